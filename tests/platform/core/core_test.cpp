#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <cerrno>
#include <cstring>

#include "platform/core/atomic_file.h"
#include "platform/core/cp1251.h"
#include "platform/core/fmt.h"
#include "platform/core/format_settings.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/test_sandbox.h"

namespace {

struct FmtCase {
  const char* pattern;
  QStringList args;
  const char* expected;
};

TEST(Fmt, FillsPlaceholdersInOrderAndNeverRereadsArguments) {
  const FmtCase cases[] = {
      {"Field '%s' not found", {"Name"}, "Field 'Name' not found"},
      {"%s and (result <= %d)", {"(SexRef=1)", "57"}, "(SexRef=1) and (result <= 57)"},
      // A percent sign inside an argument is printed as it stands.
      {"%s по гиревому спорту", {"Кубок 100%s %d"}, "Кубок 100%s %d по гиревому спорту"},
      {"100%% done", {}, "100% done"},
      {"missing %s and %s", {"one"}, "missing one and %s"},
      {"trailing %", {}, "trailing %"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Fmt(QString::fromUtf8(c.pattern), c.args), QString::fromUtf8(c.expected)) << c.pattern;
  }
}

TEST(Cp1251, EveryByteSurvivesDecodeAndEncode) {
  QByteArray all;
  for (int b = 0; b < 256; ++b) {
    all += char(b);
  }
  bool lossless = false;
  EXPECT_EQ(cp1251::Encode(cp1251::Decode(all), &lossless), all);
  EXPECT_TRUE(lossless);
}

TEST(Cp1251, CyrillicAndUnmappableCharacters) {
  EXPECT_EQ(cp1251::Encode(QStringLiteral("Ёжик АЯая№")),
            QByteArray("\xA8\xE6\xE8\xEA \xC0\xDF\xE0\xFF\xB9"));
  bool lossless = true;
  // One '?' per character, a surrogate pair included.
  EXPECT_EQ(cp1251::Encode(QString::fromUtf8("a\xE4\xB8\xAD"
                                             "b\xF0\x9F\x98\x80"),
                           &lossless),
            QByteArray("a?b?"));
  EXPECT_FALSE(lossless);
}

// Qt's own locale data: the test needs no locale generated on the machine.
TEST(FormatSettings, ALocalesFormsAreKeptOnlyWhenTheyReadBack) {
  struct Case {
    const char* Locale;
    char16_t Separator;
    const char* DateFormat;
  };
  const Case cases[] = {
      // Month names ("d MMM yyyy"): the dotted form instead.
      {"C", u'.', "dd.MM.yyyy"},
      {"C.UTF-8", u'.', "dd.MM.yyyy"},
      {"en_US", u'.', "M/d/yyyy"},
      {"en_GB", u'.', "dd/MM/yyyy"},
      {"ru_RU", u',', "dd.MM.yyyy"},
      {"de_DE", u',', "dd.MM.yyyy"},
      {"sv_SE", u',', "yyyy-MM-dd"},
      // Trailing marks ("yyyy. MM. dd."), a word ("d.MM.yy 'г'."),
      // direction marks and a separator outside ASCII.
      {"hu_HU", u',', "dd.MM.yyyy"},
      {"bg_BG", u',', "dd.MM.yyyy"},
      {"ar_EG", u'.', "dd.MM.yyyy"},
  };
  for (const Case& c : cases) {
    const TFormatSettings s = FormatSettingsOf(QLocale(QString::fromLatin1(c.Locale)));
    EXPECT_EQ(s.DecimalSeparator, QChar(c.Separator)) << c.Locale;
    EXPECT_EQ(s.ShortDateFormat, QString::fromLatin1(c.DateFormat)) << c.Locale;
  }
}

TEST(FormatSettings, NumericDateFormatsAreThoseOfThreeNumbersAndOneSeparator) {
  const std::pair<const char*, bool> cases[] = {
      {"dd.MM.yyyy", true},
      {"d/M/yyyy", true},
      {"yyyy-MM-dd", true},
      {"M d yyyy", true},
      {"d MMM yyyy", false},
      {"dd.MM.yy", false},
      {"dd.MM/yyyy", false},
      {"dd.dd.yyyy", false},
      // A dotted text is read as day, month, year.
      {"yyyy.MM.dd", false},
      {"MM.dd.yyyy", false},
      {"dd'x'MM'x'yyyy", false},
      {"ddMMyyyy", false},
  };
  for (const auto& [format, numeric] : cases) {
    EXPECT_EQ(IsNumericDateFormat(QString::fromLatin1(format)), numeric) << format;
  }
}

// The files of a folder: a write must leave nothing of its own behind.
QStringList EntriesOf(const QString& folder) {
  return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

QString ReasonOf(int error) {
  return QString::fromLocal8Bit(std::strerror(error));
}

TEST(AtomicFile, ReplacesTheWholeFileOrReportsWhyNot) {
  const QString path = testing_sandbox::Path("t.xml");
  ASSERT_TRUE(WriteFileAtomically(path, "old"));
  ASSERT_TRUE(WriteFileAtomically(path, "new contents"));
  EXPECT_EQ(testing_sandbox::ReadFile(path), QByteArray("new contents"));
  EXPECT_EQ(EntriesOf(testing_sandbox::Folder()), QStringList{"t.xml"});

  QString error;
  EXPECT_FALSE(WriteFileAtomically(testing_sandbox::Path("no/such/folder/t.xml"), "x", &error));
  EXPECT_EQ(error, ReasonOf(ENOENT));
  // A folder where the file should be is not replaced by a file.
  QDir().mkpath(testing_sandbox::Path("a-folder"));
  EXPECT_FALSE(WriteFileAtomically(testing_sandbox::Path("a-folder"), "x", &error));
  EXPECT_EQ(error, ReasonOf(EISDIR));
  EXPECT_TRUE(QFileInfo(testing_sandbox::Path("a-folder")).isDir());
}

TEST(AtomicFile, AFolderThatCannotTakeTheTemporaryFileKeepsTheOldOne) {
  QString error;
  const QString dir = testing_sandbox::Path("ro");
  QDir().mkpath(dir);
  const QString target = dir + "/t.xml";
  ASSERT_TRUE(WriteFileAtomically(target, "kept"));
  QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
  const bool ok = WriteFileAtomically(target, "lost", &error);
  QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  if (ok) {
    GTEST_SKIP() << "running with rights that ignore folder permissions";
  }
  EXPECT_EQ(error, ReasonOf(EACCES));
  EXPECT_EQ(testing_sandbox::ReadFile(target), QByteArray("kept"));
}

// A write that fails half-way: the small write that a buffered writer keeps
// in memory until its final flush, a buffer's worth, and a large one.
TEST(AtomicFile, AWriteCutShortLeavesTheOldFileAndNoTemporaryFile) {
  const QString path = testing_sandbox::Path("Competitor.xml");
  const QByteArray old(3000, 'o');
  for (const qsizetype size : {qsizetype(100), qsizetype(16 * 1024), qsizetype(1024 * 1024)}) {
    SCOPED_TRACE(size);
    testing_sandbox::WriteFile(path, old);
    const QByteArray bigger(size, 'n');
    QString error;
    bool written = false;
    {
      TFileSizeLimit limit(rlim_t(size / 2));
      written = WriteFileAtomically(path, bigger, &error);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(error, ReasonOf(EFBIG));
    EXPECT_TRUE(testing_sandbox::ReadFile(path) == old);
    EXPECT_EQ(EntriesOf(testing_sandbox::Folder()), QStringList{"Competitor.xml"});
    // Nothing stays broken: the same write goes through without the limit.
    ASSERT_TRUE(WriteFileAtomically(path, bigger));
    EXPECT_TRUE(testing_sandbox::ReadFile(path) == bigger);
  }
}

TEST(AtomicFile, ALinkStaysAndTheFileItPointsToIsReplaced) {
  QDir().mkpath(testing_sandbox::Path("real"));
  const QString real = testing_sandbox::Path("real/Tyazhar.ini");
  const QString link = testing_sandbox::Path("Tyazhar.ini");
  testing_sandbox::WriteFile(real, "old");
  ASSERT_TRUE(QFile::link(real, link));
  ASSERT_TRUE(WriteFileAtomically(link, "new"));
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_EQ(testing_sandbox::ReadFile(real), QByteArray("new"));
  EXPECT_EQ(EntriesOf(testing_sandbox::Path("real")), QStringList{"Tyazhar.ini"});
}

TEST(AtomicFile, GivenPermissionsHoldForANewAndAReplacedFile) {
  const QString path = testing_sandbox::Path("program");
  const QFileDevice::Permissions runnable =
      QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
      QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
  const QFileDevice::Permissions plain = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
  // The "user" bits repeat the owner's for the running user.
  const QFileDevice::Permissions noUserBits = ~QFileDevice::Permissions(0x0700);
  ASSERT_TRUE(WriteFileAtomically(path, "one", nullptr, runnable));
  EXPECT_EQ(QFileInfo(path).permissions() & noUserBits, runnable);
  ASSERT_TRUE(WriteFileAtomically(path, "two", nullptr, plain));
  EXPECT_EQ(QFileInfo(path).permissions() & noUserBits, plain);
  // Without permissions the replaced file keeps the ones it had.
  ASSERT_TRUE(WriteFileAtomically(path, "three"));
  EXPECT_EQ(QFileInfo(path).permissions() & noUserBits, plain);
  EXPECT_EQ(testing_sandbox::ReadFile(path), QByteArray("three"));
}

}  // namespace
