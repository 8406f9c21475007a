// Arbitrary bytes as an INI file. Beyond not crashing, the reader must agree
// with itself (ReadSectionValues, ReadSection and ReadString tell the same
// story), and a write must change exactly the key it names: every other key
// keeps its value, sections and keys keep their order, a new key comes last
// in its section and a new section last in the file.
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/ini/ini_file.h"

namespace {

// Enough to see every kind of line, few enough that one input stays cheap
// (each read parses the whole file again).
constexpr int kMaxSections = 8;
constexpr int kMaxKeys = 4;

const QString kMissing = QStringLiteral("\x01missing");

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "ini invariant broken: %s\n", what);
    std::abort();
  }
}

struct TSnapshot {
  QStringList sections;
  std::vector<std::pair<QStringList, QStringList>> keysAndValues;  // per section: ReadSection, values
};

// checkReads: also ask ReadString for each key (a whole read per key, so
// only for the snapshot of the input itself).
TSnapshot Take(const TIniFile& ini, bool checkReads) {
  TSnapshot snapshot;
  snapshot.sections = ini.ReadSections();
  for (qsizetype i = 0; i < snapshot.sections.size() && i < kMaxSections; ++i) {
    const QString& section = snapshot.sections[i];
    const QStringList keys = ini.ReadSection(section);
    const QStringList lines = ini.ReadSectionValues(section);
    Check(keys.size() == lines.size(), "ReadSection and ReadSectionValues differ in length");
    QStringList values;
    for (qsizetype k = 0; k < keys.size(); ++k) {
      Check(lines[k].startsWith(keys[k] + u'='), "ReadSectionValues line does not start with its key");
      values.append(lines[k].mid(keys[k].size() + 1));
      Check(values.back().size() <= 2047, "value longer than 2047 characters");
      if (checkReads && k < kMaxKeys) {
        Check(ini.ReadString(section, keys[k], kMissing) == values.back(),
              "ReadString differs from ReadSectionValues");
      }
      if (checkReads && k == 0) {
        ini.ReadInteger(section, keys[k], 7);
        ini.ReadBool(section, keys[k], true);
      }
    }
    snapshot.keysAndValues.emplace_back(keys, values);
  }
  return snapshot;
}

qsizetype IndexOf(const QStringList& names, const QString& name) {
  for (qsizetype i = 0; i < names.size(); ++i) {
    if (names[i].compare(name, Qt::CaseInsensitive) == 0) {
      return i;
    }
  }
  return -1;
}

// Writes one key and checks that nothing else moved.
void WriteAndCompare(TIniFile& ini, const TSnapshot& before, const QString& section, const QString& key,
                     const QString& value) {
  ini.WriteString(section, key, value);
  Check(ini.ReadString(section, key, kMissing) == value, "written value does not read back");
  const TSnapshot after = Take(ini, false);

  QStringList sections = before.sections;
  const qsizetype written = IndexOf(sections, section);
  if (written < 0) {
    sections.append(section);
  }
  Check(after.sections == sections, "sections changed beyond the written one");

  for (qsizetype i = 0; i < qsizetype(before.keysAndValues.size()); ++i) {
    QStringList keys = before.keysAndValues[i].first;
    QStringList values = before.keysAndValues[i].second;
    if (i == written) {
      const qsizetype k = IndexOf(keys, key);
      if (k < 0) {
        keys.append(key);
        values.append(value);
      } else {
        values[k] = value;
      }
    }
    Check(after.keysAndValues[i].first == keys, "keys changed beyond the written one");
    Check(after.keysAndValues[i].second == values, "values changed beyond the written one");
  }
  if (written < 0 && sections.size() <= kMaxSections) {
    Check(after.keysAndValues.back().first == QStringList{key}, "new section holds more than the new key");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                  ? QStringLiteral("/dev/shm/fuzz-ini-XXXXXX")
                                  : QDir::tempPath() + "/fuzz-ini-XXXXXX");
  const QString path = folder.path() + QStringLiteral("/fuzz.ini");
  {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
      std::abort();
    }
    file.write(reinterpret_cast<const char*>(data), qint64(size));
  }

  TIniFile ini(path);
  TSnapshot snapshot = Take(ini, true);

  // An existing key of the file, named as the file names it.
  for (qsizetype i = 0; i < qsizetype(snapshot.keysAndValues.size()); ++i) {
    const QStringList& keys = snapshot.keysAndValues[i].first;
    if (!keys.isEmpty()) {
      WriteAndCompare(ini, snapshot, snapshot.sections[i], keys[(size / 3) % keys.size()],
                      QString::fromUtf8("знач=1 ; [x]"));
      snapshot = Take(ini, false);
      break;
    }
  }
  // A new key in an existing section, and a key in a section of our own.
  if (!snapshot.sections.isEmpty() && snapshot.sections.size() <= kMaxSections) {
    WriteAndCompare(ini, snapshot, snapshot.sections[size % snapshot.sections.size()],
                    QStringLiteral("FuzzNewKey"), QStringLiteral("42"));
    snapshot = Take(ini, false);
  }
  if (snapshot.sections.size() < kMaxSections) {
    WriteAndCompare(ini, snapshot, QStringLiteral("FuzzSection"), QStringLiteral("FuzzKey"),
                    QStringLiteral("0x10"));
    Check(ini.ReadInteger(QStringLiteral("FuzzSection"), QStringLiteral("FuzzKey"), 0) == 16,
          "hex read back");
  }
  return 0;
}
