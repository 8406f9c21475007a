#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

#include "platform/ini/ini_file.h"
#include "tests/support/file_events.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/test_sandbox.h"

namespace {

using testing_sandbox::ReadFile;
using testing_sandbox::WriteFile;

QString IniPath() {
  return testing_sandbox::Path(QStringLiteral("Tyazhar.ini"));
}

QString S(const char* utf8) {
  return QString::fromUtf8(utf8);
}

TEST(IniReadInteger, DecimalHexAndEverythingElseGivesTheDefault) {
  struct Case {
    const char* stored;
    int expected;
  };
  constexpr int kDefault = 1;
  const Case cases[] = {
      {"0x10", 16},
      {"0X1f", 31},
      {"0x", kDefault},  // two characters only: not hex, and not decimal either
      {"0x1g", kDefault},
      {"abc", kDefault},
      {"-5", -5},
      {"+8", 8},
      {"300", 300},
      {" 7 ", 7},
      {"\t42", 42},
      {"", kDefault},
      {"-", kDefault},
      {"1.5", kDefault},
      {"7 8", kDefault},
      {"x10", kDefault},
      {"-0x10", kDefault},
      {"2147483647", std::numeric_limits<int>::max()},
      {"-2147483648", std::numeric_limits<int>::min()},
      {"2147483648", kDefault},
      {"99999999999999999999", kDefault},
      {"0xFFFFFFFF", -1},
      {"0x0000000010", 16},
      {"0x100000000", kDefault},
  };
  for (const Case& c : cases) {
    WriteFile(IniPath(), QByteArray("[GENERAL]\r\nCount=") + c.stored + "\r\n");
    EXPECT_EQ(TIniFile(IniPath()).ReadInteger("GENERAL", "Count", kDefault), c.expected)
        << '"' << c.stored << '"';
  }
  EXPECT_EQ(TIniFile(IniPath()).ReadInteger("GENERAL", "Missing", 5), 5);
}

TEST(IniReadBool, AnyIntegerButZeroIsTrue) {
  struct Case {
    const char* stored;  // nullptr: no such key
    bool defaultValue;
    bool expected;
  };
  const Case cases[] = {
      {"1", false, true},    {"2", false, true},      {"-1", false, true}, {"0x0", true, false},
      {"0", true, false},    {"yes", false, false},   {"yes", true, true}, {"True", false, false},
      {nullptr, true, true}, {nullptr, false, false},
  };
  for (const Case& c : cases) {
    WriteFile(IniPath(), c.stored ? QByteArray("[Discipline]\nSnatch=") + c.stored + "\n"
                                  : QByteArray("[Discipline]\n"));
    EXPECT_EQ(TIniFile(IniPath()).ReadBool("Discipline", "Snatch", c.defaultValue), c.expected)
        << (c.stored ? c.stored : "(missing)") << " default " << c.defaultValue;
  }
}

TEST(IniWrite, IntegersAndBooleansInTheirFileForms) {
  TIniFile ini(IniPath());
  ini.WriteInteger("GENERAL", "Count", -12);
  ini.WriteBool("Discipline", "Snatch", true);
  ini.WriteBool("Discipline", "Biathlon", false);
  EXPECT_EQ(ReadFile(IniPath()),
            QByteArray("[GENERAL]\r\nCount=-12\r\n[Discipline]\r\nSnatch=1\r\nBiathlon=0\r\n"));
}

// The classic edge forms of a hand-edited or foreign file.
const QByteArray kEdgeFile =
    "; written by hand\r\n"
    "Orphan=before any section\r\n"
    "  [ GENERAL ]  \r\n"
    "  City  =  Tula  \r\n"
    ";Date=commented out\r\n"
    "a line without an equals sign\r\n"
    "Formula=a=b=c\r\n"
    "Empty=\r\n"
    "city=second City line loses\r\n"
    "=no name\r\n"
    "[Weight]\r\n"
    "SnatchM=32\r\n"
    "[general]\r\n"
    "Secretary=in the second GENERAL section, never seen\r\n"
    "[Unclosed\r\n"
    "Key=value";

TEST(IniRead, EdgeFormsOfAForeignFile) {
  WriteFile(IniPath(), kEdgeFile);
  struct Case {
    const char* section;
    const char* key;
    const char* expected;  // nullptr: the default comes back
  };
  const Case cases[] = {
      {"GENERAL", "City", "Tula"},     {" general ", "CITY ", "Tula"},
      {"GENERAL", "Formula", "a=b=c"}, {"GENERAL", "Empty", ""},
      {"GENERAL", "Date", nullptr},    {"GENERAL", "a line without an equals sign", nullptr},
      {"GENERAL", "", "no name"},      {"GENERAL", "Secretary", nullptr},
      {"GENERAL", "Orphan", nullptr},  {"", "Orphan", nullptr},
      {"weight", "snatchm", "32"},     {"Unclosed", "Key", "value"},
      {"Missing", "City", nullptr},
  };
  const TIniFile ini(IniPath());
  for (const Case& c : cases) {
    EXPECT_EQ(ini.ReadString(c.section, c.key, "<default>"),
              c.expected ? S(c.expected) : QStringLiteral("<default>"))
        << '[' << c.section << "] " << c.key;
  }
  EXPECT_EQ(ini.ReadSection("general"), QStringList({"City", "Formula", "Empty", ""}));
  EXPECT_EQ(ini.ReadSectionValues("GENERAL"),
            QStringList({"City=Tula", "Formula=a=b=c", "Empty=", "=no name"}));
  EXPECT_EQ(ini.ReadSections(), QStringList({"GENERAL", "Weight", "Unclosed"}));
  EXPECT_TRUE(ini.ReadSection("Missing").isEmpty());
  EXPECT_TRUE(ini.ReadSectionValues("Missing").isEmpty());
}

TEST(IniWrite, PutsEachLineInItsPlaceAndLeavesTheRestByteForByte) {
  struct Case {
    const char* name;
    QByteArray before;  // empty: no file
    const char* section;
    const char* key;
    const char* value;
    QByteArray after;
  };
  const QByteArray twoSections =
      "[GENERAL]\r\n; keep me\r\nLanguage=RU\r\nCity=Tula\r\n\r\n[Weight]\r\nSnatchM=32\r\n";
  const Case cases[] = {
      {"missing file is created", "", "GENERAL", "Language", "EN", "[GENERAL]\r\nLanguage=EN\r\n"},
      {"existing key replaced on its line", twoSections, "GENERAL", "Language", "EN",
       "[GENERAL]\r\n; keep me\r\nLanguage=EN\r\nCity=Tula\r\n\r\n[Weight]\r\nSnatchM=32\r\n"},
      {"names match in any letter case", twoSections, "general", "LANGUAGE", "EN",
       "[GENERAL]\r\n; keep me\r\nLanguage=EN\r\nCity=Tula\r\n\r\n[Weight]\r\nSnatchM=32\r\n"},
      {"the line keeps the file's key, lone carriage return and all", "[A]\n  a\rb = 1  \n", "A", "a\rb", "2",
       "[A]\na\rb=2\n"},
      {"new key after the last key of its section", twoSections, "GENERAL", "Date", "01.05.2024",
       "[GENERAL]\r\n; keep "
       "me\r\nLanguage=RU\r\nCity=Tula\r\nDate=01.05.2024\r\n\r\n[Weight]\r\nSnatchM=32\r\n"},
      {"new key in the last section", twoSections, "Weight", "SnatchW", "24",
       "[GENERAL]\r\n; keep me\r\nLanguage=RU\r\nCity=Tula\r\n\r\n[Weight]\r\nSnatchM=32\r\nSnatchW=24\r\n"},
      {"new section at the end", twoSections, "Discipline", "Snatch", "1",
       "[GENERAL]\r\n; keep "
       "me\r\nLanguage=RU\r\nCity=Tula\r\n\r\n[Weight]\r\nSnatchM=32\r\n[Discipline]\r\nSnatch=1\r\n"},
      {"first key of an empty section goes under its header", "[A]\r\n\r\n[B]\r\n", "A", "k", "v",
       "[A]\r\nk=v\r\n\r\n[B]\r\n"},
      {"last line without a line break", "[A]\nk=v", "A", "n", "w", "[A]\nk=v\nn=w"},
      {"new section after a last line without a line break", "[A]\nk=v", "B", "n", "w",
       "[A]\nk=v\n[B]\nn=w\n"},
      {"value replaced on an unterminated last line", "[A]\r\nk=old", "A", "k", "new", "[A]\r\nk=new"},
      {"duplicates: the first section and key take the write", "[A]\nk=1\nk=2\n[a]\nk=3\n", "A", "K", "9",
       "[A]\nk=9\nk=2\n[a]\nk=3\n"},
      {"blanks around names are dropped", "[A]\n", " A ", " k ", " v", "[A]\nk= v\n"},
      {"a line break in a value becomes a blank", "[A]\nk=1\nz=2\n", "A", "k", "x\r\ny",
       "[A]\nk=x  y\nz=2\n"},
      {"bytes outside the code page are kept", QByteArray("[A]\n\x98\x00\xFF=\x81\n", 10), "A", "k", "v",
       QByteArray("[A]\n\x98\x00\xFF=\x81\nk=v\n", 14)},
  };
  for (const Case& c : cases) {
    QFile::remove(IniPath());
    if (!c.before.isEmpty()) {
      WriteFile(IniPath(), c.before);
    }
    TIniFile ini(IniPath());
    ini.WriteString(c.section, c.key, S(c.value));
    EXPECT_EQ(ReadFile(IniPath()), c.after) << c.name;
  }
}

TEST(IniRead, ValuesAreCutTo2047Characters) {
  TIniFile ini(IniPath());
  const QString exact(2047, u'я');
  ini.WriteString("Grids", "Exact", exact);
  ini.WriteString("Grids", "Long", QString(2046, u'a') + QStringLiteral("bc"));
  EXPECT_EQ(ini.ReadString("Grids", "Exact", ""), exact);
  EXPECT_EQ(ini.ReadString("Grids", "Long", ""), QString(2046, u'a') + u'b');
  EXPECT_EQ(ini.ReadSectionValues("Grids").at(1), "Long=" + QString(2046, u'a') + u'b');
  // The whole value is on disk; only reading cuts it.
  EXPECT_TRUE(ReadFile(IniPath()).contains(QByteArray(2046, 'a') + "bc\r\n"));
}

TEST(IniWrite, TwoObjectsOnOneFileKeepEachOthersKeys) {
  TIniFile window(IniPath());
  TIniFile language(IniPath());
  window.WriteString("GENERAL", "City", "Tula");
  language.WriteString("GENERAL", "Language", "EN");
  window.WriteString("GENERAL", "Date", "01.05.2024");
  window.WriteString("Weight", "SnatchM", "32");
  language.WriteString("GENERAL", "Language", "RU");
  window.UpdateFile();
  language.UpdateFile();
  EXPECT_EQ(ReadFile(IniPath()), QByteArray("[GENERAL]\r\nCity=Tula\r\nLanguage=RU\r\nDate=01.05.2024\r\n"
                                            "[Weight]\r\nSnatchM=32\r\n"));
  // Reads see what the other object wrote, and what changed on disk behind both.
  EXPECT_EQ(window.ReadString("GENERAL", "Language", ""), "RU");
  WriteFile(IniPath(), "[GENERAL]\r\nLanguage=EN\r\n");
  EXPECT_EQ(window.ReadString("GENERAL", "Language", ""), "EN");
  EXPECT_EQ(window.ReadString("GENERAL", "City", "gone"), "gone");
}

TEST(IniFileEncoding, CyrillicRoundTripsAsWindows1251) {
  TIniFile ini(IniPath());
  ini.WriteString(S("Общие"), S("Город"), S("Москва, ул. Ёлочная"));
  EXPECT_EQ(ReadFile(IniPath()),
            QByteArray("[\xCE\xE1\xF9\xE8\xE5]\r\n\xC3\xEE\xF0\xEE\xE4=\xCC\xEE\xF1\xEA\xE2\xE0, "
                       "\xF3\xEB. \xA8\xEB\xEE\xF7\xED\xE0\xFF\r\n"));
  EXPECT_EQ(ini.ReadString(S("ОБЩИЕ"), S("гОРОД"), ""), S("Москва, ул. Ёлочная"));
}

// Letters the code page lacks turn the whole file into UTF-8 with a byte-order
// mark; nothing is written as "?".
TEST(IniFileEncoding, ATextOutsideTheCodePageMakesTheFileUtf8WithAMark) {
  const QByteArray windows1251 = "[GENERAL]\r\nLanguage=RU\r\nCity=\xD2\xF3\xEB\xE0\r\n";
  WriteFile(IniPath(), windows1251);
  TIniFile ini(IniPath());
  // A value that fits leaves the file as it was.
  ini.WriteString("GENERAL", "City", S("Тула"));
  EXPECT_EQ(ReadFile(IniPath()), windows1251);

  const QString names[] = {S("Әлия Қасымова"), S("ნინო ბერიძე"), S("Кубок 🏆 Алматы"), S("Пекин 北京")};
  for (const QString& name : names) {
    ini.WriteString("GENERAL", "Secretary", name);
    EXPECT_EQ(ini.ReadString("GENERAL", "Secretary", ""), name);
    EXPECT_EQ(ReadFile(IniPath()), QByteArray("\xEF\xBB\xBF[GENERAL]\r\nLanguage=RU\r\nCity=") +
                                       S("Тула").toUtf8() + "\r\nSecretary=" + name.toUtf8() + "\r\n");
  }
  // The language key, written by an object of its own, keeps the file UTF-8,
  // even with every value back inside the code page.
  TIniFile language(IniPath());
  language.WriteString("GENERAL", "Language", "EN");
  ini.WriteString("GENERAL", "Secretary", S("Иванова"));
  EXPECT_EQ(ReadFile(IniPath()), QByteArray("\xEF\xBB\xBF[GENERAL]\r\nLanguage=EN\r\nCity=") +
                                     S("Тула").toUtf8() + "\r\nSecretary=" + S("Иванова").toUtf8() + "\r\n");
  EXPECT_EQ(TIniFile(IniPath()).ReadString("general", "city", ""), S("Тула"));
  EXPECT_EQ(TIniFile(IniPath()).ReadSections(), QStringList{"GENERAL"});
}

TEST(IniFileEncoding, AFileWithTheMarkIsReadAsUtf8) {
  WriteFile(IniPath(),
            QByteArray("\xEF\xBB\xBF[") + S("Общие").toUtf8() + "]\nCity=" + S("Қарағанды").toUtf8() + "\n");
  TIniFile ini(IniPath());
  EXPECT_EQ(ini.ReadSections(), QStringList{S("Общие")});
  EXPECT_EQ(ini.ReadString(S("ОБЩИЕ"), "City", ""), S("Қарағанды"));
  ini.WriteString(S("Общие"), "Date", "01.05.2024");
  EXPECT_EQ(ReadFile(IniPath()), QByteArray("\xEF\xBB\xBF[") + S("Общие").toUtf8() +
                                     "]\nCity=" + S("Қарағанды").toUtf8() + "\nDate=01.05.2024\n");
  // Without the mark the same bytes are Windows-1251.
  WriteFile(IniPath(), "[A]\r\nCity=\xC3\x90\r\n");
  EXPECT_EQ(TIniFile(IniPath()).ReadString("A", "City", ""), S("Гђ"));
}

TEST(IniWrite, UnwritableFileRaisesWithTheReasonAndChangesNothing) {
  const struct {
    const char* name;
    QString path;
    int reason;
  } cases[] = {
      {"the folder is missing", testing_sandbox::Path("no/such/folder/Tyazhar.ini"), ENOENT},
      {"a folder stands where the file should be", testing_sandbox::Path("a-folder"), EISDIR},
  };
  QDir(testing_sandbox::Folder()).mkdir("a-folder");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TIniFile ini(c.path);
    try {
      ini.WriteString("GENERAL", "Language", "EN");
      ADD_FAILURE() << "no error";
    } catch (const EIniFileException& e) {
      EXPECT_EQ(e.Message(),
                "Unable to write to " + c.path + ": " + QString::fromLocal8Bit(strerror(c.reason)));
    }
    EXPECT_EQ(ini.ReadString("GENERAL", "Language", "RU"), "RU");
  }
  EXPECT_FALSE(QFileInfo::exists(testing_sandbox::Path("no")));
  EXPECT_TRUE(QFileInfo(cases[1].path).isDir());
  EXPECT_TRUE(QDir(cases[1].path).isEmpty());
}

// A full disk: the file keeps every byte it had, the write is refused with
// the system's reason, and the next write once there is room goes through.
TEST(IniWrite, AWriteThatDoesNotFitKeepsTheOldFile) {
  const QByteArray old = "[GENERAL]\r\nLanguage=EN\r\nCity=Tula\r\n";
  WriteFile(IniPath(), old);
  TIniFile ini(IniPath());
  QString message;
  {
    TFileSizeLimit limit(rlim_t(old.size()));
    try {
      ini.WriteString("GENERAL", "CompetitionName", S("Кубок области"));
    } catch (const EIniFileException& e) {
      message = e.Message();
    }
  }
  EXPECT_EQ(message, "Unable to write to " + IniPath() + ": " + QString::fromLocal8Bit(strerror(EFBIG)));
  EXPECT_EQ(ReadFile(IniPath()), old);
  EXPECT_EQ(QDir(testing_sandbox::Folder()).entryList(QDir::Files | QDir::Hidden),
            QStringList{"Tyazhar.ini"});
  ini.WriteString("GENERAL", "CompetitionName", S("Кубок области"));
  EXPECT_EQ(ini.ReadString("GENERAL", "CompetitionName", ""), S("Кубок области"));
}

// Saving settings that did not change must not need the disk: a write of
// what the file already holds touches nothing, even where nothing could be
// written.
TEST(IniWrite, AValueTheFileHoldsIsNotWrittenAgain) {
  const QByteArray old = "[GENERAL]\r\nLanguage=EN\r\nCity=Tula\r\n";
  WriteFile(IniPath(), old);
  TIniFile ini(IniPath());
  TFileSizeLimit limit(1);
  for (const auto& [key, value] : {std::pair{"Language", "EN"}, {"city", "Tula"}, {" City ", "Tula"}}) {
    EXPECT_NO_THROW(ini.WriteString("general", key, value)) << key;
  }
  EXPECT_THROW(ini.WriteString("GENERAL", "City", "Tver"), EIniFileException);
  EXPECT_EQ(ReadFile(IniPath()), old);
}

// ---- Batches ----

struct TBatchWrite {
  bool Language;  // through the second object, as the language key is written
  const char* Section;
  const char* Key;
  QString Value;
};

// The writes one by one, or held by a batch and committed.
void Write(const QString& path, const std::vector<TBatchWrite>& writes, bool batched) {
  TIniFile window(path);
  TIniFile language(path);
  std::optional<TIniFileBatch> batch;
  if (batched) {
    batch.emplace(path);
  }
  for (const TBatchWrite& w : writes) {
    (w.Language ? language : window).WriteString(w.Section, w.Key, w.Value);
  }
  if (batch) {
    batch->Commit();
  }
}

TEST(IniBatch, OneWriteLeavesTheFileAsTheWritesOneByOneWould) {
  const struct {
    const char* What;
    QByteArray Before;  // none when null
    std::vector<TBatchWrite> Writes;
    int FileWrites;
  } cases[] = {
      {"a first save",
       QByteArray(),
       {{true, "GENERAL", "Language", "RU"},
        {false, "GENERAL", "City", S("Тула")},
        {false, "Weight", "SnatchM", "32"},
        {false, "GENERAL", "Date", ""}},
       1},
      {"keys in place, new keys, a line break in a value, the installer's LF file",
       "[GENERAL]\nLanguage=EN\n; kept\n[Weight]\nSnatchM=24",
       {{false, "general", "city", "Tver\nOblast"},
        {true, "GENERAL", "Language", "RU"},
        {false, "WEIGHT", "SnatchW", "16"},
        {false, "Weight", "SnatchM", "32"},
        {false, "New", "Key", "1"}},
       1},
      {"a letter outside the code page written and then replaced",
       "[GENERAL]\r\nCity=\xD2\xF3\xEB\xE0\r\n",
       {{false, "GENERAL", "Secretary", S("Әлия")}, {false, "GENERAL", "Secretary", S("Алия")}},
       1},
      {"nothing that changes",
       "[GENERAL]\r\nLanguage=EN\r\nCity=Tula\r\n",
       {{true, "GENERAL", "Language", "EN"}, {false, "general", "CITY", "Tula"}},
       0},
  };
  const QString oneByOne = testing_sandbox::Path("one by one/Tyazhar.ini");
  const QString batched = testing_sandbox::Path("batched/Tyazhar.ini");
  QDir().mkpath(QFileInfo(oneByOne).path());
  QDir().mkpath(QFileInfo(batched).path());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    for (const QString& path : {oneByOne, batched}) {
      QFile::remove(path);
      if (!c.Before.isNull()) {
        WriteFile(path, c.Before);
      }
    }
    Write(oneByOne, c.Writes, false);
    TFileEvents events(QFileInfo(batched).path());
    Write(batched, c.Writes, true);
    EXPECT_EQ(events.Count("Tyazhar.ini"), c.FileWrites);
    EXPECT_EQ(ReadFile(batched), ReadFile(oneByOne));
  }
}

TEST(IniBatch, ReadsSeeTheHeldWritesAndNothingReachesTheFileWithoutCommit) {
  const QByteArray old = "[GENERAL]\r\nLanguage=EN\r\n";
  WriteFile(IniPath(), old);
  {
    TIniFileBatch batch(IniPath());
    TIniFile ini(IniPath());
    ini.WriteString("GENERAL", "City", "Tula");
    // Another object on the same file, and the file named another way.
    TIniFile(testing_sandbox::Folder() + "/./Tyazhar.ini").WriteString("GENERAL", "Language", "RU");
    EXPECT_EQ(ini.ReadString("GENERAL", "Language", ""), "RU");
    EXPECT_EQ(ini.ReadSectionValues("GENERAL"), (QStringList{"Language=RU", "City=Tula"}));
    EXPECT_EQ(ReadFile(IniPath()), old);
  }
  EXPECT_EQ(ReadFile(IniPath()), old);
  EXPECT_EQ(TIniFile(IniPath()).ReadString("GENERAL", "City", "none"), "none");
  // Once the batch is gone, writes go straight to the file again.
  TIniFile(IniPath()).WriteString("GENERAL", "City", "Tver");
  EXPECT_EQ(ReadFile(IniPath()), old + "City=Tver\r\n");
}

// A commit fails as the first write of the keys would have, and leaves the
// file as it was.
TEST(IniBatch, ACommitThatCannotWriteRaisesAsAWriteWould) {
  const QByteArray old = "[GENERAL]\r\nLanguage=EN\r\nCity=Tula\r\n";
  WriteFile(IniPath(), old);
  const auto commit = [](const QString& path) {
    TIniFileBatch batch(path);
    TIniFile ini(path);
    ini.WriteString("GENERAL", "CompetitionName", S("Кубок области"));
    ini.WriteString("GENERAL", "Secretary", S("Иванова"));
    try {
      batch.Commit();
    } catch (const EIniFileException& e) {
      return e.Message();
    }
    return QString();
  };
  {
    TFileSizeLimit limit(rlim_t(old.size()));
    EXPECT_EQ(commit(IniPath()),
              "Unable to write to " + IniPath() + ": " + QString::fromLocal8Bit(strerror(EFBIG)));
  }
  EXPECT_EQ(ReadFile(IniPath()), old);
  QDir(testing_sandbox::Folder()).mkdir("a-folder");
  EXPECT_EQ(commit(testing_sandbox::Path("a-folder")), "Unable to write to " +
                                                           testing_sandbox::Path("a-folder") + ": " +
                                                           QString::fromLocal8Bit(strerror(EISDIR)));
  EXPECT_TRUE(QDir(testing_sandbox::Path("a-folder")).isEmpty());
  EXPECT_EQ(commit(IniPath()), QString());
  EXPECT_EQ(TIniFile(IniPath()).ReadString("GENERAL", "Secretary", ""), S("Иванова"));
}

}  // namespace
