#include "platform/ini/ini_file.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <cerrno>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "platform/core/atomic_file.h"
#include "platform/core/cp1251.h"
#include "platform/core/fmt.h"

namespace {

// The longest value a read gives back, as the settings readers were sized for.
constexpr qsizetype kMaxValueLength = 2047;

bool IsBlank(QChar c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

// Only ASCII blanks: QString::trimmed would also take the no-break space,
// which is an ordinary character (0xA0) in the code page.
QStringView Trim(QStringView s) {
  qsizetype b = 0;
  qsizetype e = s.size();
  while (b < e && IsBlank(s[b])) {
    ++b;
  }
  while (e > b && IsBlank(s[e - 1])) {
    --e;
  }
  return s.mid(b, e - b);
}

bool SameName(QStringView a, QStringView b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

enum class TLineKind { Other, Section, Key };

struct TLine {
  qsizetype begin = 0;       // first character of the line
  qsizetype contentEnd = 0;  // end of the line without its "\n" or "\r\n"
  qsizetype next = 0;        // first character of the following line
  bool terminated = false;   // ends in a line break (the last line may not)
  TLineKind kind = TLineKind::Other;
  QStringView name;   // section or key name, trimmed
  QStringView value;  // key lines: the value, trimmed
};

std::vector<TLine> Parse(const QString& text) {
  std::vector<TLine> lines;
  const qsizetype length = text.size();
  qsizetype pos = 0;
  while (pos < length) {
    TLine line;
    line.begin = pos;
    const qsizetype nl = text.indexOf(u'\n', pos);
    if (nl < 0) {
      line.contentEnd = length;
      line.next = length;
    } else {
      line.terminated = true;
      line.next = nl + 1;
      line.contentEnd = (nl > pos && text[nl - 1] == u'\r') ? nl - 1 : nl;
    }
    const QStringView content = Trim(QStringView(text).mid(pos, line.contentEnd - pos));
    if (content.startsWith(u'[')) {
      line.kind = TLineKind::Section;
      const qsizetype close = content.indexOf(u']');
      line.name = Trim(content.mid(1, close < 0 ? content.size() - 1 : close - 1));
    } else if (!content.startsWith(u';')) {
      const qsizetype eq = content.indexOf(u'=');
      if (eq >= 0) {
        line.kind = TLineKind::Key;
        line.name = Trim(content.left(eq));
        line.value = Trim(content.mid(eq + 1));
      }
    }
    lines.push_back(line);
    pos = line.next;
  }
  return lines;
}

// The line range [first, last) of the first section of that name: the lines
// after its header up to the next header.
struct TSectionRange {
  qsizetype header = -1;
  qsizetype first = 0;
  qsizetype last = 0;
  bool found() const { return header >= 0; }
};

TSectionRange FindSection(const std::vector<TLine>& lines, QStringView section) {
  TSectionRange range;
  const qsizetype count = qsizetype(lines.size());
  for (qsizetype i = 0; i < count; ++i) {
    if (lines[i].kind == TLineKind::Section && SameName(lines[i].name, section)) {
      range.header = i;
      range.first = i + 1;
      range.last = i + 1;
      while (range.last < count && lines[range.last].kind != TLineKind::Section) {
        ++range.last;
      }
      break;
    }
  }
  return range;
}

// Case folding is what the case-insensitive comparison applies character by
// character, so folded names are equal exactly when SameName says so.
bool FirstOfItsName(QSet<QString>& seen, QStringView name) {
  const QString folded = name.toString().toCaseFolded();
  if (seen.contains(folded)) {
    return false;
  }
  seen.insert(folded);
  return true;
}

const TLine* FindKey(const std::vector<TLine>& lines, const TSectionRange& range, QStringView ident) {
  for (qsizetype i = range.first; i < range.last; ++i) {
    if (lines[i].kind == TLineKind::Key && SameName(lines[i].name, ident)) {
      return &lines[i];
    }
  }
  return nullptr;
}

// A file written in UTF-8 starts with its byte-order mark; every other file
// is Windows-1251.
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

struct TContent {
  QString Text;
  bool Utf8 = false;
};

// The decoded file, or nothing when it cannot be read (*reason, when given,
// then says why). A missing file is empty, not unreadable.
std::optional<TContent> Load(const QString& fileName, QString* reason = nullptr) {
  QFile file(fileName);
  if (!file.exists()) {
    return TContent();
  }
  const auto unreadable = [reason](const QString& why) -> std::optional<TContent> {
    if (reason) {
      *reason = why;
    }
    return std::nullopt;
  };
  if (QFileInfo(fileName).isDir()) {
    return unreadable(QString::fromLocal8Bit(std::strerror(EISDIR)));
  }
  if (!QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly)) {
    return unreadable(file.errorString());
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    return unreadable(file.errorString());
  }
  if (bytes.startsWith(kUtf8Mark)) {
    return TContent{QString::fromUtf8(QByteArrayView(bytes).sliced(3)), true};
  }
  return TContent{cp1251::Decode(bytes), false};
}

// The file stays in the form it has as long as its text fits: Windows-1251,
// or UTF-8 once it has become so. A text the code page cannot hold turns the
// whole file into UTF-8 with its mark, so no letter is lost.
QByteArray Encode(const QString& text, bool utf8) {
  if (!utf8) {
    bool lossless = true;
    QByteArray bytes = cp1251::Encode(text, &lossless);
    if (lossless) {
      return bytes;
    }
  }
  return QByteArray(kUtf8Mark) + text.toUtf8();
}

QString OneLine(const QString& text) {
  QString out = text;
  out.replace(u'\r', u' ');
  out.replace(u'\n', u' ');
  return out;
}

// New lines follow the file's own line breaks; a new file gets the
// platform's "\r\n".
QString LineBreakOf(const QString& text) {
  const qsizetype nl = text.indexOf(u'\n');
  if (nl > 0 && text[nl - 1] == u'\r') {
    return QStringLiteral("\r\n");
  }
  return nl >= 0 ? QStringLiteral("\n") : QStringLiteral("\r\n");
}

struct TWrite {
  QString Section;
  QString Ident;
  QString Value;
};

// Writes held for a file while a TIniFileBatch on it lives.
struct TPendingWrites {
  std::vector<TWrite> Writes;
  int Batches = 0;
};

// One thread: the batches open, by the absolute path of their file.
QHash<QString, TPendingWrites>& PendingByFile() {
  static QHash<QString, TPendingWrites> pending;
  return pending;
}

QString FileKey(const QString& fileName) {
  return QFileInfo(fileName).absoluteFilePath();
}

TPendingWrites* PendingWritesOf(const QString& fileName) {
  QHash<QString, TPendingWrites>& pending = PendingByFile();
  if (pending.isEmpty()) {
    return nullptr;
  }
  const auto found = pending.find(FileKey(fileName));
  return found == pending.end() ? nullptr : &*found;
}

// Puts one key's value into the file's text as a write of it does; returns
// what it brought into the text that was not there (the new line, the new
// value, the new section's header).
QString Apply(QString& text, const TWrite& write) {
  const QString sectionName = Trim(write.Section).toString();
  const QString keyName = Trim(write.Ident).toString();
  const QString newValue = OneLine(write.Value);
  const QString newLine = OneLine(keyName) + u'=' + newValue;
  const QString lineBreak = LineBreakOf(text);

  const std::vector<TLine> lines = Parse(text);
  const TSectionRange range = FindSection(lines, sectionName);
  if (range.found()) {
    if (const TLine* line = FindKey(lines, range, keyName)) {
      // The key keeps the file's spelling: only the value changes.
      text.replace(line->begin, line->contentEnd - line->begin, line->name.toString() + u'=' + newValue);
      return newValue;
    }
    qsizetype anchor = range.header;
    for (qsizetype i = range.first; i < range.last; ++i) {
      if (lines[i].kind == TLineKind::Key) {
        anchor = i;
      }
    }
    const TLine& after = lines[anchor];
    if (after.terminated) {
      text.insert(after.next, newLine + lineBreak);
    } else {
      text.insert(after.next, lineBreak + newLine);
    }
    return newLine;
  }
  if (!lines.empty() && !lines.back().terminated) {
    text += lineBreak;
  }
  const QString header = u'[' + OneLine(sectionName) + u']';
  text += header + lineBreak + newLine + lineBreak;
  return header + newLine;
}

bool FitsCodePage(const QString& text) {
  bool lossless = true;
  cp1251::Encode(text, &lossless);
  return lossless;
}

// The writes one after the other, as each alone would have changed the
// file, reaching the file in one write. A file that would not change is not
// written: saving settings that did not change touches nothing, so a folder
// that takes no writes has nothing to refuse.
void WriteAll(const QString& fileName, const std::vector<TWrite>& writes) {
  const auto fail = [&fileName](const QString& reason) {
    throw EIniFileException(Fmt(QStringLiteral("Unable to write to %s: %s"), {fileName, reason}));
  };
  QString reason;
  // A file we cannot read is never replaced: its other keys would be lost.
  const std::optional<TContent> loaded = Load(fileName, &reason);
  if (!loaded) {
    fail(reason);
  }
  QString text = loaded->Text;
  // Once a write brings in a letter the code page lacks, the file is UTF-8
  // from then on, whatever the later writes leave in it.
  bool utf8 = loaded->Utf8;
  for (const TWrite& write : writes) {
    const QString added = Apply(text, write);
    utf8 = utf8 || !FitsCodePage(added);
  }
  if (text == loaded->Text) {
    return;
  }
  if (!WriteFileAtomically(fileName, Encode(text, utf8), &reason)) {
    fail(reason);
  }
}

// The text the reads see: the file's, with the writes a batch still holds.
QString LoadForReading(const QString& fileName) {
  QString text = Load(fileName).value_or(TContent()).Text;
  if (const TPendingWrites* pending = PendingWritesOf(fileName)) {
    for (const TWrite& write : pending->Writes) {
      Apply(text, write);
    }
  }
  return text;
}

}  // namespace

int IniStrToIntDef(const QString& text, int defaultValue) {
  if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
    quint64 value = 0;
    for (qsizetype i = 2; i < text.size(); ++i) {
      const char16_t c = text[i].unicode();
      int digit;
      if (c >= u'0' && c <= u'9') {
        digit = c - u'0';
      } else if (c >= u'a' && c <= u'f') {
        digit = c - u'a' + 10;
      } else if (c >= u'A' && c <= u'F') {
        digit = c - u'A' + 10;
      } else {
        return defaultValue;
      }
      value = value * 16 + quint64(digit);
      if (value > 0xFFFFFFFFu) {
        return defaultValue;
      }
    }
    return int(quint32(value));
  }
  qsizetype i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  if (i == text.size()) {
    return defaultValue;
  }
  // Accumulated as a negative number so that the most negative int fits.
  qint64 value = 0;
  for (; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c < u'0' || c > u'9') {
      return defaultValue;
    }
    value = value * 10 - (c - u'0');
    if (value < qint64(std::numeric_limits<int>::min())) {
      return defaultValue;
    }
  }
  if (!negative) {
    value = -value;
    if (value > std::numeric_limits<int>::max()) {
      return defaultValue;
    }
  }
  return int(value);
}

TIniFile::TIniFile(QString fileName) : FFileName(std::move(fileName)) {}

QString TIniFile::ReadString(const QString& section, const QString& ident,
                             const QString& defaultValue) const {
  const QString text = LoadForReading(FFileName);
  const std::vector<TLine> lines = Parse(text);
  const TSectionRange range = FindSection(lines, Trim(section));
  if (!range.found()) {
    return defaultValue;
  }
  const TLine* line = FindKey(lines, range, Trim(ident));
  if (!line) {
    return defaultValue;
  }
  return line->value.left(kMaxValueLength).toString();
}

int TIniFile::ReadInteger(const QString& section, const QString& ident, int defaultValue) const {
  const QString text = ReadString(section, ident, QString());
  if (text.isEmpty()) {
    return defaultValue;
  }
  return IniStrToIntDef(text, defaultValue);
}

bool TIniFile::ReadBool(const QString& section, const QString& ident, bool defaultValue) const {
  return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(const QString& section, const QString& ident, const QString& value) {
  if (TPendingWrites* pending = PendingWritesOf(FFileName)) {
    pending->Writes.push_back({section, ident, value});
    return;
  }
  WriteAll(FFileName, {{section, ident, value}});
}

void TIniFile::WriteInteger(const QString& section, const QString& ident, int value) {
  WriteString(section, ident, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& ident, bool value) {
  WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QStringList TIniFile::ReadSection(const QString& section) const {
  const QString text = LoadForReading(FFileName);
  const std::vector<TLine> lines = Parse(text);
  const TSectionRange range = FindSection(lines, Trim(section));
  QStringList keys;
  QSet<QString> seen;
  for (qsizetype i = range.first; i < range.last; ++i) {
    const TLine& line = lines[i];
    if (line.kind == TLineKind::Key && FirstOfItsName(seen, line.name)) {
      keys.append(line.name.toString());
    }
  }
  return keys;
}

QStringList TIniFile::ReadSectionValues(const QString& section) const {
  const QString text = LoadForReading(FFileName);
  const std::vector<TLine> lines = Parse(text);
  const TSectionRange range = FindSection(lines, Trim(section));
  QStringList result;
  QSet<QString> seen;
  for (qsizetype i = range.first; i < range.last; ++i) {
    const TLine& line = lines[i];
    if (line.kind == TLineKind::Key && FirstOfItsName(seen, line.name)) {
      result.append(line.name.toString() + u'=' + line.value.left(kMaxValueLength).toString());
    }
  }
  return result;
}

QStringList TIniFile::ReadSections() const {
  const QString text = LoadForReading(FFileName);
  const std::vector<TLine> lines = Parse(text);
  QStringList names;
  QSet<QString> seen;
  for (const TLine& line : lines) {
    if (line.kind == TLineKind::Section && FirstOfItsName(seen, line.name)) {
      names.append(line.name.toString());
    }
  }
  return names;
}

TIniFileBatch::TIniFileBatch(const QString& fileName) : FFileName(fileName) {
  ++PendingByFile()[FileKey(fileName)].Batches;
}

TIniFileBatch::~TIniFileBatch() {
  QHash<QString, TPendingWrites>& pending = PendingByFile();
  const auto found = pending.find(FileKey(FFileName));
  if (found != pending.end() && --found->Batches == 0) {
    pending.erase(found);
  }
}

void TIniFileBatch::Commit() {
  TPendingWrites* pending = PendingWritesOf(FFileName);
  if (pending == nullptr || pending->Batches > 1) {
    return;
  }
  // Taken first: a failed write is not tried again when the batch ends.
  const std::vector<TWrite> writes = std::exchange(pending->Writes, {});
  WriteAll(FFileName, writes);
}
