#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
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

// Every permission a user can set to keep a file from being changed; the
// write fails with the system's reason and the file stays, also for root,
// whom the system itself would let write.
TEST(AtomicFile, AReadOnlyFileIsNeverReplaced) {
  const QString path = testing_sandbox::Path("Tyazhar.ini");
  const QString link = testing_sandbox::Path("link.ini");
  ASSERT_TRUE(QFile::link(path, link));
  const QFileDevice::Permissions modes[] = {
      QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther,  // 0444
      QFileDevice::ReadOwner,                                                    // 0400
      QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther,   // 0504
  };
  for (const QFileDevice::Permissions mode : modes) {
    for (const QString& written : {path, link}) {
      SCOPED_TRACE(QString::number(int(mode), 16).toStdString() + " " + written.toStdString());
      QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
      testing_sandbox::WriteFile(path, "kept");
      ASSERT_TRUE(QFile::setPermissions(path, mode));
      QString error;
      EXPECT_FALSE(WriteFileAtomically(written, "lost", &error));
      EXPECT_EQ(error, ReasonOf(EACCES));
      EXPECT_EQ(testing_sandbox::ReadFile(path), QByteArray("kept"));
      EXPECT_EQ(QFileInfo(path).permissions() & ~QFileDevice::Permissions(0x0700), mode);
      EXPECT_EQ(EntriesOf(testing_sandbox::Folder()), (QStringList{"link.ini", "Tyazhar.ini"}));
    }
  }
  // Writable again, it is written as ever.
  QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  EXPECT_TRUE(WriteFileAtomically(link, "new"));
  EXPECT_EQ(testing_sandbox::ReadFile(path), QByteArray("new"));
}

// A child process that begins writing the data to the path and is stopped
// half-way through the write, holding its temporary file: the state in which
// a kill leaves a save. It is killed when this goes, whatever the test did.
class THalfWayWrite {
 public:
  THalfWayWrite(const QString& path, const QByteArray& data) {
    FPid = ::fork();
    if (FPid == 0) {
      struct sigaction stop {};
      stop.sa_handler = [](int) { ::raise(SIGSTOP); };
      ::sigaction(SIGXFSZ, &stop, nullptr);
      rlimit limit{};
      ::getrlimit(RLIMIT_FSIZE, &limit);
      limit.rlim_cur = rlim_t(data.size() / 2);
      ::setrlimit(RLIMIT_FSIZE, &limit);
      WriteFileAtomically(path, data);
      ::_exit(0);
    }
    int status = 0;
    EXPECT_EQ(::waitpid(FPid, &status, WUNTRACED), FPid);
    EXPECT_TRUE(WIFSTOPPED(status)) << status;
  }
  ~THalfWayWrite() { Kill(); }
  THalfWayWrite(const THalfWayWrite&) = delete;
  THalfWayWrite& operator=(const THalfWayWrite&) = delete;

  void Kill() {
    if (FPid > 0) {
      ::kill(FPid, SIGKILL);
      int status = 0;
      ::waitpid(FPid, &status, 0);
      FPid = -1;
    }
  }

 private:
  pid_t FPid = -1;
};

// The temporary files of writes in a folder.
QStringList TemporaryFilesIn(const QString& folder) {
  static const QRegularExpression kName(QStringLiteral("^.+\\.tyazharnet-[A-Za-z0-9]{6}\\.tmp$"));
  return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System).filter(kName);
}

// Names like ours that we did not make, and a folder named like one of ours.
const QStringList kNotOurs = {"Competitor.xml.bak",
                              "Competitor.xml.Ab12Cd",
                              "notes.tmp",
                              "Competitor.xml.tyazharnet-Ab12C.tmp",
                              "Competitor.xml.tyazharnet-Ab12Cd.tmp.txt",
                              "Competitor.xml.tyazharnet-Ab_2Cd.tmp"};

void PlantFilesNotOurs(const QString& folder) {
  for (const QString& name : kNotOurs) {
    testing_sandbox::WriteFile(folder + "/" + name, "user's");
  }
  QDir(folder).mkdir("Organizer.xml.tyazharnet-Ab12Cd.tmp");
}

void ExpectFilesNotOursKept(const QString& folder) {
  for (const QString& name : kNotOurs) {
    EXPECT_EQ(testing_sandbox::ReadFile(folder + "/" + name), QByteArray("user's")) << name.toStdString();
  }
  EXPECT_TRUE(QFileInfo(folder + "/Organizer.xml.tyazharnet-Ab12Cd.tmp").isDir());
}

TEST(AtomicFile, AKilledWriteLeavesTheOldFileAndTheNextWriteOfItTakesItsLeftoverAway) {
  const QString folder = testing_sandbox::Folder();
  const QString path = testing_sandbox::Path("Competitor.xml");
  testing_sandbox::WriteFile(path, "old");
  PlantFilesNotOurs(folder);

  THalfWayWrite writer(path, QByteArray(1 << 20, 'n'));
  const QStringList leftover = TemporaryFilesIn(folder);
  ASSERT_EQ(leftover.size(), 1);
  EXPECT_TRUE(leftover[0].startsWith("Competitor.xml.tyazharnet-")) << leftover[0].toStdString();
  EXPECT_EQ(testing_sandbox::ReadFile(path), QByteArray("old"));
  // A write still going on in another process keeps its file.
  ASSERT_TRUE(WriteFileAtomically(path, "second"));
  EXPECT_EQ(TemporaryFilesIn(folder), leftover);
  writer.Kill();
  EXPECT_EQ(testing_sandbox::ReadFile(path), QByteArray("second"));
  EXPECT_EQ(TemporaryFilesIn(folder), leftover);

  // Another file's write leaves it; the next write of its own file takes it.
  ASSERT_TRUE(WriteFileAtomically(testing_sandbox::Path("Competitor.xml.bak2"), "x"));
  EXPECT_EQ(TemporaryFilesIn(folder), leftover);
  ASSERT_TRUE(WriteFileAtomically(path, "third"));
  EXPECT_TRUE(TemporaryFilesIn(folder).isEmpty());
  EXPECT_EQ(testing_sandbox::ReadFile(path), QByteArray("third"));
  ExpectFilesNotOursKept(folder);
}

TEST(AtomicFile, TheLeftoversOfAFolderGoAndNothingElse) {
  const QString folder = testing_sandbox::Path("data");
  QDir().mkpath(folder);
  PlantFilesNotOurs(folder);
  for (const char* name : {"Organizer.xml", "Grids.ini"}) {
    THalfWayWrite(folder + "/" + name, QByteArray(64 * 1024, 'n')).Kill();
  }
  ASSERT_EQ(TemporaryFilesIn(folder).size(), 2);
  // A link named like a leftover is not followed, nor removed.
  testing_sandbox::WriteFile(testing_sandbox::Path("elsewhere"), "user's");
  ASSERT_TRUE(
      QFile::link(testing_sandbox::Path("elsewhere"), folder + "/Normative.xml.tyazharnet-Q1w2E3.tmp"));

  RemoveLeftoverTemporaryFiles(folder + "/");
  EXPECT_EQ(TemporaryFilesIn(folder), QStringList{"Normative.xml.tyazharnet-Q1w2E3.tmp"});
  EXPECT_EQ(testing_sandbox::ReadFile(testing_sandbox::Path("elsewhere")), QByteArray("user's"));
  ExpectFilesNotOursKept(folder);
  // A folder that is not there is no error.
  RemoveLeftoverTemporaryFiles(testing_sandbox::Path("no such folder"));
}

}  // namespace
