// The XML data packet: a byte-exact writer of our own and a reader on top of
// pugixml. Attribute values are taken raw from pugixml and decoded here, in
// one pass from Windows-1251 with the character references, so that a
// reference (&#1040;) and a raw byte of the code page never mix.
#include <strings.h>
#include <QByteArray>
#include <QHash>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <pugixml.hpp>

#include "platform/core/atomic_file.h"
#include "platform/core/cp1251.h"
#include "platform/core/fmt.h"
#include "platform/table/client_dataset_impl.h"
#include "platform/table/filter.h"
#include "platform/table/value.h"

namespace {

using namespace table_value;

// ---------------------------------------------------------------------------
// Writing

// A growing byte buffer without the per-append checks of QByteArray.
class TByteWriter {
 public:
  explicit TByteWriter(qsizetype reserve) { FData.resize(std::max<qsizetype>(reserve, 256)); }

  void Put(char c) {
    Reserve(1);
    *FPos++ = c;
  }
  void Put(const char* text, size_t n) {
    Reserve(qsizetype(n));
    std::memcpy(FPos, text, n);
    FPos += n;
  }
  template <size_t N>
  void Lit(const char (&text)[N]) {
    Put(text, N - 1);
  }
  void Put(const QByteArray& bytes) { Put(bytes.constData(), size_t(bytes.size())); }
  void Int(long long v) {
    Reserve(24);
    FPos = std::to_chars(FPos, FPos + 24, v).ptr;
  }
  // The C library's general form with 16 significant digits.
  void Float(double v) {
    Reserve(40);
    FPos = std::to_chars(FPos, FPos + 40, v, std::chars_format::general, 16).ptr;
  }
  void Date(const QDate& d) {
    int y = d.year();
    int m = d.month();
    int day = d.day();
    if (y < 0 || y > 9999) {
      // Out of the file form's four digits: written as it is and refused on
      // reading rather than turned silently into another day.
      Int(y);
    } else {
      Reserve(4);
      FPos[0] = char('0' + y / 1000);
      FPos[1] = char('0' + y / 100 % 10);
      FPos[2] = char('0' + y / 10 % 10);
      FPos[3] = char('0' + y % 10);
      FPos += 4;
    }
    Reserve(4);
    FPos[0] = char('0' + m / 10);
    FPos[1] = char('0' + m % 10);
    FPos[2] = char('0' + day / 10);
    FPos[3] = char('0' + day % 10);
    FPos += 4;
  }

  // Text as an attribute value: Windows-1251 with the packet's escapes; a
  // character the code page lacks becomes a character reference.
  void Text(const QString& s) {
    const QChar* p = s.constData();
    const qsizetype n = s.size();
    Reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
      const char16_t c = p[i].unicode();
      if (c < 0x80) {
        switch (c) {
          case u'<':
            Lit("&lt;");
            continue;
          case u'>':
            Lit("&gt;");
            continue;
          case u'&':
            Lit("&amp;");
            continue;
          case u'\'':
            Lit("&apos;");
            continue;
          case u'"':
            Lit("&quot;");
            continue;
          case u'\\':
            Lit("&#092;");
            continue;
          default:
            break;
        }
        if (c < 0x20) {
          // Tab, line feed and carriage return as &#009; &#010; &#013;; the
          // other control characters the same way, as XML has no raw form.
          Reserve(6);
          FPos[0] = '&';
          FPos[1] = '#';
          FPos[2] = '0';
          FPos[3] = char('0' + c / 10);
          FPos[4] = char('0' + c % 10);
          FPos[5] = ';';
          FPos += 6;
          continue;
        }
        Reserve(1);
        *FPos++ = char(c);
        continue;
      }
      if (c >= 0x0410 && c <= 0x044F) {
        Reserve(1);
        *FPos++ = char(0xC0 + (c - 0x0410));
        continue;
      }
      const int b = cp1251::EncodeChar(c);
      if (b >= 0) {
        Reserve(1);
        *FPos++ = char(b);
        continue;
      }
      char32_t code = c;
      if (QChar::isHighSurrogate(c) && i + 1 < n && p[i + 1].isLowSurrogate()) {
        code = QChar::surrogateToUcs4(c, p[i + 1].unicode());
        ++i;
      }
      Lit("&#");
      Int(code);
      Put(';');
    }
  }

  QByteArray Take() {
    FData.resize(FPos - FData.data());
    return std::move(FData);
  }

 private:
  void Reserve(qsizetype n) {
    if (FPos == nullptr) {
      FPos = FData.data();
    }
    const qsizetype used = FPos - FData.data();
    if (used + n > FData.size()) {
      FData.resize(std::max(FData.size() * 2, used + n + 256));
      FPos = FData.data() + used;
    }
  }

  QByteArray FData;
  char* FPos = nullptr;
};

// ---------------------------------------------------------------------------
// Reading

bool FieldTypeOfWord(const char* word, TFieldType& type) {
  static const struct {
    const char* Word;
    TFieldType Type;
  } kTypes[] = {{"string", TFieldType::ftString},
                {"i4", TFieldType::ftInteger},
                {"r8", TFieldType::ftFloat},
                {"boolean", TFieldType::ftBoolean},
                {"date", TFieldType::ftDate}};
  for (const auto& t : kTypes) {
    if (std::strcmp(word, t.Word) == 0) {
      type = t.Type;
      return true;
    }
  }
  return false;
}

void AppendCodePoint(QString& out, char32_t code) {
  if (code > 0xFFFF) {
    out += QChar(QChar::highSurrogate(code));
    out += QChar(QChar::lowSurrogate(code));
  } else {
    out += QChar(char16_t(code));
  }
}

// Decodes the entity at p[0] == '&'; returns the bytes it took, 0 when it is
// no entity (the ampersand then stands for itself).
size_t DecodeEntity(const char* p, size_t n, QString& out) {
  size_t semi = 1;
  while (semi < n && semi < 12 && p[semi] != ';') {
    ++semi;
  }
  if (semi >= n || p[semi] != ';') {
    return 0;
  }
  const char* name = p + 1;
  const size_t len = semi - 1;
  auto is = [&](const char* word) { return std::strlen(word) == len && std::memcmp(name, word, len) == 0; };
  if (is("lt")) {
    out += u'<';
  } else if (is("gt")) {
    out += u'>';
  } else if (is("amp")) {
    out += u'&';
  } else if (is("apos")) {
    out += u'\'';
  } else if (is("quot")) {
    out += u'"';
  } else if (len >= 2 && name[0] == '#') {
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const char* first = name + (hex ? 2 : 1);
    const char* last = name + len;
    uint32_t code = 0;
    const auto res = std::from_chars(first, last, code, hex ? 16 : 10);
    if (first == last || res.ec != std::errc() || res.ptr != last || code > 0x10FFFF) {
      return 0;
    }
    AppendCodePoint(out, char32_t(code));
  } else {
    return 0;
  }
  return semi + 1;
}

QString DecodeText(const char* p, size_t n) {
  const char* amp = static_cast<const char*>(std::memchr(p, '&', n));
  if (!amp) {
    QString out(qsizetype(n), Qt::Uninitialized);
    QChar* d = out.data();
    for (size_t i = 0; i < n; ++i) {
      const unsigned char b = static_cast<unsigned char>(p[i]);
      d[i] = QChar(b < 0x80 ? char16_t(b) : cp1251::DecodeByte(b));
    }
    return out;
  }
  QString out;
  out.reserve(qsizetype(n));
  for (size_t i = 0; i < n;) {
    if (p[i] == '&') {
      const size_t used = DecodeEntity(p + i, n - i, out);
      if (used > 0) {
        i += used;
        continue;
      }
    }
    out += QChar(cp1251::DecodeByte(static_cast<unsigned char>(p[i])));
    ++i;
  }
  return out;
}

struct TPacketField {
  QString Name;
  QByteArray RawName;  // as the ROW attributes spell it
  QByteArray TypeWord;
  bool Known = false;
  TFieldType Type = TFieldType::ftString;
  int Width = 0;
  int Slot = -1;  // the table's record position; -1: not kept
  const TField* Field = nullptr;
};

}  // namespace

QByteArray TClientDataSet::TImpl::PacketBytes() const {
  qsizetype estimate = 256 + qsizetype(DataFields.size()) * 64 + qsizetype(Log.size()) * 6;
  for (const TRowVersion& v : Versions) {
    estimate += 24 + qsizetype(v.Values.size()) * 12;
  }
  TByteWriter w(estimate);
  w.Lit("<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>");
  std::vector<QByteArray> names;
  names.reserve(DataFields.size());
  for (const TField* f : DataFields) {
    w.Lit("<FIELD attrname=\"");
    w.Text(f->FieldName());
    w.Lit("\" fieldtype=\"");
    w.Put(FieldTypeWord(f->DataType()).toLatin1());
    if (f->DataType() == TFieldType::ftString) {
      w.Lit("\" WIDTH=\"");
      w.Int(f->Size());
    }
    w.Lit("\"/>");
    // An attribute name cannot carry references: the name goes in the code page as it is.
    names.push_back(QByteArray(" ") + cp1251::Encode(f->FieldName()) + "=\"");
  }
  w.Lit("</FIELDS>");
  if (Log.empty()) {
    w.Lit("<PARAMS/>");
  } else {
    w.Lit("<PARAMS CHANGE_LOG=\"");
    for (size_t i = 0; i < Log.size(); ++i) {
      if (i > 0) {
        w.Put(' ');
      }
      w.Int(Log[i]);
    }
    w.Lit("\"/>");
  }
  w.Lit("</METADATA><ROWDATA>");
  for (const TRowVersion& version : Versions) {
    w.Lit("<ROW");
    if (version.RowState != 0) {
      w.Lit(" RowState=\"");
      w.Int(version.RowState);
      w.Put('"');
    }
    for (size_t slot = 0; slot < DataFields.size() && slot < version.Values.size(); ++slot) {
      const TValue& v = version.Values[slot];
      if (!v.isValid()) {
        continue;
      }
      w.Put(names[slot]);
      switch (DataFields[slot]->DataType()) {
        case TFieldType::ftString:
          w.Text(TextOf(v));
          break;
        case TFieldType::ftInteger:
          w.Int(IntOf(v));
          break;
        case TFieldType::ftFloat:
          w.Float(FloatOf(v));
          break;
        case TFieldType::ftBoolean:
          if (BoolOf(v)) {
            w.Lit("TRUE");
          } else {
            w.Lit("FALSE");
          }
          break;
        case TFieldType::ftDate:
          w.Date(DateOf(v));
          break;
      }
      w.Put('"');
    }
    w.Lit("/>");
  }
  w.Lit("</ROWDATA></DATAPACKET>");
  return w.Take();
}

void TClientDataSet::TImpl::WriteFile(const QString& path) {
  QString reason;
  if (!WriteFileAtomically(path, PacketBytes(), &reason)) {
    Error(Fmt(QStringLiteral("Cannot create file \"%s\". %s"), {path, reason}));
  }
}

void TClientDataSet::TImpl::LoadBytes(const QByteArray& bytes, const QString& sourceName) {
  const auto bad = [&](const QString& reason) {
    if (sourceName.isEmpty()) {
      Error(Fmt(QStringLiteral("Invalid data packet: %s"), {reason}));
    }
    Error(Fmt(QStringLiteral("Invalid data packet in file \"%s\": %s"), {sourceName, reason}));
  };

  if (bytes.isEmpty()) {
    bad(QStringLiteral("the file is empty"));
  }
  // pugixml parses in place; its buffer is our copy.
  QByteArray buffer = bytes;
  buffer.detach();
  pugi::xml_document doc;
  const pugi::xml_parse_result parsed =
      doc.load_buffer_inplace(buffer.data(), size_t(buffer.size()), pugi::parse_minimal, pugi::encoding_utf8);
  if (!parsed) {
    bad(Fmt(QStringLiteral("%s at byte %d"),
            {QString::fromLatin1(parsed.description()), QString::number(parsed.offset)}));
  }
  const pugi::xml_node root = doc.document_element();
  if (std::strcmp(root.name(), "DATAPACKET") != 0) {
    bad(QStringLiteral("no DATAPACKET element"));
  }
  const pugi::xml_node metadata = root.child("METADATA");
  const pugi::xml_node fieldsNode = metadata.child("FIELDS");
  if (!fieldsNode) {
    bad(QStringLiteral("no METADATA/FIELDS element"));
  }

  std::vector<TPacketField> packetFields;
  QHash<QString, int> packetIndex;  // case-folded name
  for (const pugi::xml_node node : fieldsNode.children("FIELD")) {
    TPacketField pf;
    const pugi::xml_attribute nameAttr = node.attribute("attrname");
    const char* rawName = nameAttr.value();
    pf.Name = DecodeText(rawName, std::strlen(rawName));
    pf.RawName = cp1251::Encode(pf.Name);
    pf.TypeWord = node.attribute("fieldtype").value();
    pf.Known = FieldTypeOfWord(pf.TypeWord.constData(), pf.Type);
    pf.Width = node.attribute("WIDTH").as_int(0);
    if (pf.Name.isEmpty()) {
      bad(QStringLiteral("a FIELD without attrname"));
    }
    const QString key = pf.Name.toCaseFolded();
    if (packetIndex.contains(key)) {
      bad(Fmt(QStringLiteral("field '%s' appears twice"), {pf.Name}));
    }
    packetIndex.insert(key, int(packetFields.size()));
    packetFields.push_back(std::move(pf));
  }

  std::vector<int> log;
  if (const pugi::xml_attribute logAttr = metadata.child("PARAMS").attribute("CHANGE_LOG")) {
    const char* p = logAttr.value();
    const char* end = p + std::strlen(p);
    while (p < end) {
      if (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') {
        ++p;
        continue;
      }
      int v = 0;
      const auto res = std::from_chars(p, end, v);
      if (res.ec != std::errc() || v < 0) {
        bad(QStringLiteral("CHANGE_LOG is not a list of numbers"));
      }
      log.push_back(v);
      p = res.ptr;
    }
  }

  // Bind the packet's fields to the definition; a table without fields
  // takes the packet's own for as long as it is open.
  const bool adopt = FieldList.empty();
  try {
    if (adopt) {
      for (TPacketField& pf : packetFields) {
        if (!pf.Known) {
          continue;  // a type this program never writes: left out
        }
        const int size = pf.Type == TFieldType::ftString ? (pf.Width > 0 ? pf.Width : 20) : 0;
        std::unique_ptr<TField> field(new TField(&Self, pf.Name, pf.Type, size, TFieldKind::fkData));
        field->FFromFile = true;
        AddFieldObject(std::move(field));
      }
    }
    for (TField* field : DataFields) {
      const int i = packetIndex.value(field->FieldName().toCaseFolded(), -1);
      if (i < 0) {
        Error(Fmt(QStringLiteral("Field '%s' not found"), {field->FieldName()}));
      }
      TPacketField& pf = packetFields[size_t(i)];
      if (!pf.Known || pf.Type != field->DataType()) {
        Error(Fmt(QStringLiteral("Type mismatch for field '%s', expecting: %s actual: %s"),
                  {field->FieldName(), FieldTypeWord(field->DataType()), QString::fromLatin1(pf.TypeWord)}));
      }
      pf.Slot = field->FSlot;
      pf.Field = field;
    }

    std::vector<TRowVersion> versions;
    const size_t slotCount = DataFields.size();
    const size_t fieldCount = packetFields.size();
    for (const pugi::xml_node row : root.child("ROWDATA").children("ROW")) {
      TRowVersion version;
      version.Values.resize(slotCount);
      size_t hint = 0;
      for (const pugi::xml_attribute attr : row.attributes()) {
        const char* name = attr.name();
        const char* value = attr.value();
        if (std::strcmp(name, "RowState") == 0) {
          const char* end = value + std::strlen(value);
          const auto res = std::from_chars(value, end, version.RowState);
          if (res.ec != std::errc() || res.ptr != end || version.RowState < 0) {
            bad(QStringLiteral("a RowState that is not a number"));
          }
          continue;
        }
        // The attributes come in field order: look from the last one on.
        const size_t nameLength = std::strlen(name);
        int index = -1;
        for (size_t k = 0; k < fieldCount; ++k) {
          const size_t j = (hint + k) % fieldCount;
          const QByteArray& raw = packetFields[j].RawName;
          if (size_t(raw.size()) == nameLength && std::memcmp(raw.constData(), name, nameLength) == 0) {
            index = int(j);
            hint = j + 1;
            break;
          }
        }
        if (index < 0) {
          index = packetIndex.value(DecodeText(name, nameLength).toCaseFolded(), -1);
        }
        if (index < 0 || packetFields[size_t(index)].Slot < 0) {
          continue;  // a field the table does not keep
        }
        const TPacketField& pf = packetFields[size_t(index)];
        TValue& target = version.Values[size_t(pf.Slot)];
        const size_t length = std::strlen(value);
        if (pf.Type == TFieldType::ftString) {
          QString text = DecodeText(value, length);
          if (!text.isEmpty()) {
            target = std::move(text);
          }
          continue;
        }
        // Numbers, Booleans and dates are plain ASCII; a reference in one is
        // decoded first, as anywhere else.
        QByteArray decoded;
        const char* v = value;
        size_t vn = length;
        if (std::memchr(value, '&', length)) {
          decoded = DecodeText(value, length).toLatin1();
          v = decoded.constData();
          vn = size_t(decoded.size());
        }
        const char* end = v + vn;
        bool ok = false;
        switch (pf.Type) {
          case TFieldType::ftInteger: {
            int x = 0;
            const auto res = std::from_chars(v, end, x);
            ok = vn > 0 && res.ec == std::errc() && res.ptr == end;
            if (ok) {
              target = x;
            }
            break;
          }
          case TFieldType::ftFloat: {
            double x = 0;
            const auto res = std::from_chars(v, end, x, std::chars_format::general);
            ok = vn > 0 && res.ec == std::errc() && res.ptr == end && std::isfinite(x);
            if (ok) {
              target = x;
            }
            break;
          }
          case TFieldType::ftBoolean:
            if (vn == 4 && strncasecmp(v, "TRUE", 4) == 0) {
              target = true;
              ok = true;
            } else if (vn == 5 && strncasecmp(v, "FALSE", 5) == 0) {
              target = false;
              ok = true;
            }
            break;
          case TFieldType::ftDate: {
            if (vn == 8 && std::all_of(v, end, [](char c) { return c >= '0' && c <= '9'; })) {
              const int y = (v[0] - '0') * 1000 + (v[1] - '0') * 100 + (v[2] - '0') * 10 + (v[3] - '0');
              const int m = (v[4] - '0') * 10 + (v[5] - '0');
              const int d = (v[6] - '0') * 10 + (v[7] - '0');
              const QDate date(y, m, d);
              ok = y > 0 && date.isValid();
              if (ok) {
                target = date;
              }
            }
            break;
          }
          case TFieldType::ftString:
            break;
        }
        if (!ok) {
          static const char* const patterns[] = {"", "'%s' is not a valid integer value for field '%s'",
                                                 "'%s' is not a valid floating point value for field '%s'",
                                                 "'%s' is not a valid boolean value for field '%s'",
                                                 "'%s' is not a valid date for field '%s'"};
          ConvertError(QString::fromLatin1(patterns[int(pf.Type)]), DecodeText(value, length), *pf.Field);
        }
      }
      versions.push_back(std::move(version));
    }

    ResolveActiveKey();
    ResolveUniqueKeys();
    CompileFilter();

    // The rows are the current versions, in the order their first versions
    // were made: an edited row keeps its place after a save and a load.
    const int count = int(versions.size());
    std::vector<int> replaces(size_t(count) + 1, 0);
    for (size_t i = 0; i + 2 < log.size(); i += 3) {
      const int a = log[i];
      const int b = log[i + 1];
      if (log[i + 2] == 8 && b >= 1 && b < a && a <= count) {
        replaces[size_t(a)] = b;
      }
    }
    std::vector<std::pair<int, int>> current;  // (first version, version), both 1-based
    for (int n = 1; n <= count; ++n) {
      if ((versions[size_t(n - 1)].RowState & (rsSuperseded | rsDeleted)) == 0) {
        int origin = n;
        while (replaces[size_t(origin)] != 0) {
          origin = replaces[size_t(origin)];  // strictly decreasing: ends
        }
        current.push_back({origin, n});
      }
    }
    std::stable_sort(current.begin(), current.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });

    ClearData();
    Versions = std::move(versions);
    Log = std::move(log);
    Rows.reserve(current.size());
    Natural.reserve(current.size());
    for (const auto& [origin, version] : current) {
      Natural.push_back(int(Rows.size()));
      Rows.push_back({version - 1, int(Rows.size()), true});
    }
  } catch (...) {
    ClearData();
    Filter.reset();
    DropFileFields();
    throw;
  }
  State = TDataSetState::dsBrowse;
  RebuildView(-1);
  AtBof = true;
  Notify(TDataChange::RowsReset, -1);
}
