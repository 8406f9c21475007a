// The install sequence: what an installation writes, what a reinstallation
// deletes first, and where each failure stops.
#include <unistd.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <cerrno>
#include <cstring>
#include <functional>

#include "common/language_key.h"
#include "tests/setup/setup_fixture.h"
#include "tests/support/file_size_limit.h"

namespace setup_test {
namespace {

using testing_sandbox::ReadFile;
using testing_sandbox::WriteFile;

QByteArray BuiltProgram() {
  return ReadFile(QStringLiteral(TYAZHAR_BUILT_PROGRAM));
}
QByteArray ShippedNormative() {
  return ReadFile(QStringLiteral(TYAZHAR_SHIPPED_NORMATIVE));
}

bool Runnable(const QString& path) {
  const QFileDevice::Permissions p = QFileInfo(path).permissions();
  return QFileInfo(path).isFile() && (p & QFileDevice::ExeOwner) && (p & QFileDevice::ExeGroup) &&
         (p & QFileDevice::ExeOther);
}

QString EntryLine(const QString& entry, const QString& key) {
  for (const QString& line : QString::fromUtf8(ReadFile(entry)).split('\n')) {
    if (line.startsWith(key + '=')) {
      return line.mid(key.size() + 1);
    }
  }
  return QString();
}

TEST_F(SetupTest, FirstInstallationIntoAFolderTypedWithoutTheFinalSeparator) {
  // Blanks, quotes and a "$" the desktop entry has to quote and escape.
  const QString typed = testing_sandbox::Path("Мои программы/Tyazhar $HOME \"1\"");
  auto window = Start();
  window->edPath->setText(typed);
  window->cbLanguage->setCurrentIndex(1);
  ASSERT_TRUE(Install(*window)) << Errors.join('\n').toStdString();
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
  EXPECT_EQ(Messages, QStringList{"Program successfull install"});

  const QString program = typed + "/tyazharnet-protocol";
  EXPECT_EQ(window->FInstallDir, typed + '/');
  EXPECT_TRUE(ReadFile(program) == BuiltProgram()) << "the program differs from the built one";
  EXPECT_TRUE(Runnable(program));
  EXPECT_TRUE(ReadFile(DataFolder() + "Normative.xml") == ShippedNormative());
  EXPECT_FALSE(Runnable(DataFolder() + "Normative.xml"));

  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, "Software\\Tyazhar", "Path"), typed);
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, "Software\\Tyazhar", "CurrentVersion"), "1.0");
  EXPECT_EQ(ReadFile(DataFolder() + "Tyazhar.ini"), QByteArray("[GENERAL]\r\nLanguage=EN\r\n"));

  // The entry starts the installed program in its folder, under the name of
  // the chosen language, with our icon.
  ASSERT_TRUE(QFileInfo::exists(DesktopEntry()));
  EXPECT_EQ(QDir(DesktopFolder()).entryList(QDir::Files), QStringList{"tyazharnet-protocol.desktop"});
  EXPECT_EQ(ValidateDesktopEntry(DesktopEntry()), "");
  EXPECT_TRUE(Runnable(DesktopEntry()));
  EXPECT_EQ(EntryLine(DesktopEntry(), "Name"), "Tyazharnet.PROTOCOL");
  EXPECT_EQ(EntryLine(DesktopEntry(), "Exec"),
            "\"" + testing_sandbox::Path(R"(Мои программы/Tyazhar \\$HOME \\"1\\"/tyazharnet-protocol")"));
  EXPECT_EQ(EntryLine(DesktopEntry(), "Path"), typed + '/');
  EXPECT_EQ(EntryLine(DesktopEntry(), "Icon"), typed + "/tyazharnet-protocol.svg");
  EXPECT_TRUE(ReadFile(typed + "/tyazharnet-protocol.svg") == ReadFile(TYAZHAR_SETUP_ICON));
}

TEST_F(SetupTest, AFolderTypedRelativeToTheWorkingFolderGetsAnAbsoluteDesktopEntry) {
  const QString before = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(testing_sandbox::Folder()));
  auto window = Start();
  window->edPath->setText("opt/tyazhar/");
  const bool closed = Install(*window);
  QDir::setCurrent(before);
  ASSERT_TRUE(closed) << Errors.join('\n').toStdString();
  const QString folder = testing_sandbox::Path("opt/tyazhar/");
  EXPECT_TRUE(Runnable(folder + "tyazharnet-protocol"));
  EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, "Software\\Tyazhar", "Path"), "opt/tyazhar/");
  EXPECT_EQ(EntryLine(DesktopEntry(), "Exec"), '"' + folder + "tyazharnet-protocol\"");
  EXPECT_EQ(EntryLine(DesktopEntry(), "Path"), folder);
}

// A data folder as the competition program leaves it, with a protocol saved
// there by the user and a folder whose name matches a mask.
void FillDataFolder() {
  QDir().mkpath(DataFolder() + "old.xml");
  WriteFile(DataFolder() + "old.xml/Competitor.xml", "kept inside the folder");
  WriteFile(DataFolder() + "Competitor.xml", "<DATAPACKET/>");
  WriteFile(DataFolder() + "Normative.xml", "<DATAPACKET>edited</DATAPACKET>");
  WriteFile(DataFolder() + "Grids.ini", "[grCompetitor]\r\nName=120\r\n");
  WriteFile(DataFolder() + "Tyazhar.ini", "[GENERAL]\r\nLanguage=EN\r\nCity=Tula\r\n");
  WriteFile(DataFolder() + "protocol_snatch.ktp", "<DATAPACKET/>");
}

TEST_F(SetupTest, ReinstallationDeletesTheDataFilesButNoFolder) {
  RegisterInstallation();
  FillDataFolder();
  WriteFile(DataFolder() + "StreamSnatch.XML", "<DATAPACKET/>");  // any letter case
  auto window = Start();
  EXPECT_EQ(window->btnSetup->text(), QString::fromUtf8("Переустановить"));
  window->edPath->setText(testing_sandbox::Path("opt/"));
  ASSERT_TRUE(Install(*window)) << Errors.join('\n').toStdString();
  EXPECT_EQ(Messages,
            QStringList{QString::fromUtf8("Программа успешно установлена. Ярлык добавлен на рабочий стол")});

  QDir data(DataFolder());
  EXPECT_EQ(data.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name),
            (QStringList{"Normative.xml", "Tyazhar.ini", "old.xml", "protocol_snatch.ktp"}));
  EXPECT_EQ(ReadFile(DataFolder() + "old.xml/Competitor.xml"), QByteArray("kept inside the folder"));
  EXPECT_EQ(ReadFile(DataFolder() + "Tyazhar.ini"), QByteArray("[GENERAL]\r\nLanguage=RU\r\n"));
  EXPECT_TRUE(ReadFile(DataFolder() + "Normative.xml") == ShippedNormative());
}

TEST_F(SetupTest, InstallationOverAnExistingDataFolderKeepsItsTablesButResetsTheRanksRequirements) {
  FillDataFolder();
  auto window = Start();
  window->edPath->setText(testing_sandbox::Path("opt"));
  ASSERT_TRUE(Install(*window)) << Errors.join('\n').toStdString();
  EXPECT_EQ(ReadFile(DataFolder() + "Competitor.xml"), QByteArray("<DATAPACKET/>"));
  EXPECT_EQ(ReadFile(DataFolder() + "Grids.ini"), QByteArray("[grCompetitor]\r\nName=120\r\n"));
  EXPECT_EQ(ReadFile(DataFolder() + "Tyazhar.ini"), QByteArray("[GENERAL]\r\nLanguage=RU\r\nCity=Tula\r\n"));
  EXPECT_TRUE(ReadFile(DataFolder() + "Normative.xml") == ShippedNormative());
}

TEST_F(SetupTest, AnOldProgramFileIsReplacedAndTheDataHomeMadeWhenMissing) {
  const QString folder = testing_sandbox::Path("opt/");
  QDir().mkpath(folder);
  WriteFile(folder + "tyazharnet-protocol", "an older program");
  QFile::setPermissions(folder + "tyazharnet-protocol", QFileDevice::ReadOwner);
  // A fresh account whose data home nobody has written to yet.
  SetValue(HKEY_CURRENT_USER, kShellFoldersKey, "AppData", testing_sandbox::Path("home/.local/share"));
  auto window = Start();
  window->edPath->setText(folder);
  ASSERT_TRUE(Install(*window)) << Errors.join('\n').toStdString();
  EXPECT_TRUE(ReadFile(folder + "tyazharnet-protocol") == BuiltProgram());
  EXPECT_TRUE(Runnable(folder + "tyazharnet-protocol"));
  EXPECT_TRUE(ReadFile(testing_sandbox::Path("home/.local/share/Tyazharnet-protocol/Normative.xml")) ==
              ShippedNormative());
}

TEST_F(SetupTest, EachFailureShowsItsMessageAndLeavesTheLaterStepsUndone) {
  struct Case {
    const char* name;
    std::function<void(TfrSetup&)> arrange;  // after the activation
    QString message;                         // the whole text, or its start before "..."
    bool registered, languageWritten, programWritten;
  };
  const QString folder = testing_sandbox::Path("opt/");
  const Case cases[] = {
      {"empty folder", [](TfrSetup& w) { w.edPath->clear(); }, "Unable to create directory", false, false,
       false},
      {"a file standing in the folder's path",
       [](TfrSetup& w) {
         WriteFile(testing_sandbox::Path("file"), "");
         w.edPath->setText(testing_sandbox::Path("file/tyazhar"));
       },
       "Создание каталога для установки не удалось.", false, false, false},
      {"a folder where the program goes", [&](TfrSetup&) { QDir().mkpath(folder + "tyazharnet-protocol"); },
       "В каталоге находятся файлы препятствующие установке.", false, false, false},
      {"a registry store that cannot be read",
       [&](TfrSetup&) {
         WriteFile(folder + "tyazharnet-protocol", "old");
         QDir().mkpath(RegistryRoot());
         WriteFile(RegistryRoot() + "/HKEY_LOCAL_MACHINE.json", "not a store");
       },
       "Запись информации в реестр не удалась.", false, false, false},
      {"a data folder that cannot be created",
       [](TfrSetup&) {
         WriteFile(testing_sandbox::Path("file"), "");
         SetValue(HKEY_CURRENT_USER, kShellFoldersKey, "AppData", testing_sandbox::Path("file/share"));
       },
       "Не удается создать каталог с данными приложения", true, false, false},
      {"a folder where Normative.xml goes", [](TfrSetup&) { QDir().mkpath(DataFolder() + "Normative.xml"); },
       "Cannot create file \"" + DataFolder() + "Normative.xml\". ...", true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QDir(testing_sandbox::Path("opt")).removeRecursively();
    QDir(testing_sandbox::Path("data")).removeRecursively();
    QDir(testing_sandbox::Path("registry")).removeRecursively();
    QFile::remove(testing_sandbox::Path("file"));
    QDir().mkpath(testing_sandbox::Path("data"));
    QDir().mkpath(folder);
    Errors.clear();
    auto window = Start();
    window->edPath->setText(folder);
    c.arrange(*window);
    EXPECT_FALSE(Install(*window));
    ASSERT_EQ(Errors.size(), 1);
    if (c.message.endsWith("...")) {
      EXPECT_TRUE(Errors[0].startsWith(c.message.chopped(3))) << Errors[0].toStdString();
      EXPECT_GT(Errors[0].size(), c.message.size() - 3) << "no reason given";
    } else {
      EXPECT_EQ(Errors[0], c.message);
    }
    EXPECT_TRUE(Messages.isEmpty());
    EXPECT_EQ(Registered(), c.registered);
    EXPECT_EQ(QFileInfo::exists(DataFolder() + "Tyazhar.ini"), c.languageWritten);
    // Where an old program stood, it is gone all the same.
    EXPECT_EQ(QFileInfo(folder + "tyazharnet-protocol").isFile(), c.programWritten);
    if (c.programWritten) {
      EXPECT_TRUE(ReadFile(folder + "tyazharnet-protocol") == BuiltProgram());
    }
    EXPECT_FALSE(QFileInfo(DataFolder() + "Normative.xml").isFile());
    EXPECT_FALSE(QFileInfo::exists(DesktopEntry()));
  }
}

// A full disk: the write that does not fit is told with its file and the
// system's reason, leaves nothing half-written, and the steps after it are
// not done.
TEST_F(SetupTest, AWriteThatDoesNotFitStopsTheInstallationWithTheFileAndTheReason) {
  const QString folder = testing_sandbox::Path("opt/");
  const QString tooLarge = QString::fromLocal8Bit(strerror(EFBIG));
  const struct {
    const char* name;
    rlim_t limit;
    QString message;
    bool registered;
  } cases[] = {
      {"the registry store", 10,
       QString::fromUtf8("Запись информации в реестр не удалась. Cannot create file \"") + RegistryRoot() +
           "/HKEY_LOCAL_MACHINE.json\". " + tooLarge,
       false},
      // Room for the store, the settings and the ranks requirements, not for the program.
      {"the program", 64 * 1024, "Cannot create file \"" + folder + "tyazharnet-protocol\". " + tooLarge,
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QDir(testing_sandbox::Path("registry")).removeRecursively();
    QDir(folder).removeRecursively();
    Errors.clear();
    auto window = Start();
    window->edPath->setText(folder);
    bool closed = true;
    {
      TFileSizeLimit limit(c.limit);
      closed = Install(*window);
    }
    EXPECT_FALSE(closed);
    EXPECT_EQ(Errors, QStringList{c.message});
    EXPECT_EQ(Registered(), c.registered);
    EXPECT_TRUE(QDir(folder).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(DataFolder() + "Normative.xml"));
    EXPECT_TRUE(QDir(DesktopFolder()).isEmpty());
  }
}

TEST_F(SetupTest, AnIconOrDesktopEntryThatDoesNotFitIsToldAndTheOldEntryStays) {
  const QString tooLarge = QString::fromLocal8Bit(strerror(EFBIG));
  const QString shortFolder = testing_sandbox::Path("opt/");
  // The entry names its folder three times: with a long one it outgrows the icon.
  const QString longFolder = testing_sandbox::Path(QString(200, 'p') + "/");
  const struct {
    const char* name;
    QString folder;
    rlim_t limit;
    QString failing;
  } cases[] = {
      {"the icon", shortFolder, 100, shortFolder + "tyazharnet-protocol.svg"},
      {"the entry", longFolder, 700, DesktopEntry()},
  };
  WriteFile(DesktopEntry(), "an older entry");
  auto window = Start();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QDir().mkpath(c.folder);
    WriteFile(c.folder + "tyazharnet-protocol", "the program");
    QString message;
    {
      TFileSizeLimit limit(c.limit);
      try {
        window->CreateDesktopShortcut("tyazharnet-protocol", c.folder);
      } catch (const Exception& e) {
        message = e.Message();
      }
    }
    EXPECT_EQ(message, "Cannot create file \"" + c.failing + "\". " + tooLarge);
    EXPECT_EQ(ReadFile(DesktopEntry()), QByteArray("an older entry"));
    EXPECT_EQ(QDir(DesktopFolder()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"tyazharnet-protocol.desktop"});
    for (const QString& name : QDir(c.folder).entryList(QDir::Files | QDir::Hidden)) {
      EXPECT_TRUE(name == "tyazharnet-protocol" || name == "tyazharnet-protocol.svg") << name.toStdString();
    }
  }
}

// A shortcut that cannot be made (here a folder stands where its file goes,
// which stops the superuser too) leaves an installation that is done: it is
// reported as done, with the file that could not be written and why.
TEST_F(SetupTest, AShortcutThatCannotBeMadeIsToldWithTheSuccessOfTheInstallation) {
  const struct {
    const char* name;
    int language;
    QString blocked;  // relative to the install folder, or the desktop entry
    QString said;
  } cases[] = {
      {"the icon, in Russian", 0, "tyazharnet-protocol.svg",
       QString::fromUtf8("Программа успешно установлена. Создание ярлыка на рабочем столе не удалось. ")},
      {"the desktop entry, in English", 1, DesktopEntry(),
       "Program successfull install. Creating the desktop shortcut failed. "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString folder = testing_sandbox::Path(QString("opt%1/").arg(c.language));
    const QString blocked = QDir::isAbsolutePath(c.blocked) ? c.blocked : folder + c.blocked;
    ASSERT_TRUE(QDir().mkpath(blocked));
    Messages.clear();
    auto window = Start();
    window->edPath->setText(folder);
    window->cbLanguage->setCurrentIndex(c.language);
    EXPECT_TRUE(Install(*window));
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
    ASSERT_EQ(Messages.size(), 1);
    const QString failure = c.said + "Cannot create file \"" + blocked + "\". ";
    EXPECT_TRUE(Messages[0].startsWith(failure) && Messages[0].size() > failure.size())
        << Messages[0].toStdString();
    EXPECT_TRUE(Runnable(folder + "tyazharnet-protocol"));
    EXPECT_TRUE(ReadFile(DataFolder() + "Normative.xml") == ShippedNormative());
    EXPECT_TRUE(Registered());
    EXPECT_EQ(ReadLanguage(), c.language);
    EXPECT_TRUE(QDir(DesktopFolder()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    QDir(blocked).removeRecursively();
  }
}

TEST_F(SetupTest, AFailedFirstInstallationIsStillAnInstallationWhenRetried) {
  WriteFile(testing_sandbox::Path("file"), "");
  SetValue(HKEY_CURRENT_USER, kShellFoldersKey, "AppData", testing_sandbox::Path("file/share"));
  auto window = Start();
  window->edPath->setText(testing_sandbox::Path("opt"));
  EXPECT_FALSE(Install(*window));
  ASSERT_TRUE(Registered());

  SetValue(HKEY_CURRENT_USER, kShellFoldersKey, "AppData", testing_sandbox::Path("data"));
  QDir().mkpath(DataFolder());
  WriteFile(DataFolder() + "Competitor.xml", "<DATAPACKET/>");
  EXPECT_EQ(window->btnSetup->text(), QString::fromUtf8("Установить"));
  ASSERT_TRUE(Install(*window)) << Errors.join('\n').toStdString();
  EXPECT_EQ(ReadFile(DataFolder() + "Competitor.xml"), QByteArray("<DATAPACKET/>"));
}

// The installation is done all the same, and the message says that no
// shortcut was made and why, in the language chosen.
TEST_F(SetupTest, WithoutADesktopFolderNoEntryIsWrittenAndTheMessageSaysSo) {
  struct Case {
    const char* name;
    std::function<void()> arrange;
    int language;
    QString said;
  };
  const QString russian = QString::fromUtf8(
      "Программа успешно установлена. Создание ярлыка на рабочем столе не удалось. Папка рабочего стола "
      "не найдена");
  const QString english =
      "Program successfull install. Creating the desktop shortcut failed. No desktop folder was found";
  const Case cases[] = {
      {"no desktop value",
       [] {
         TRegistry reg;
         ASSERT_TRUE(reg.OpenKey(kShellFoldersKey, false));
         ASSERT_TRUE(reg.DeleteValue("desktop"));
       },
       0, russian + "."},
      {"an empty value", [] { SetValue(HKEY_CURRENT_USER, kShellFoldersKey, "desktop", ""); }, 1,
       english + "."},
      {"a folder that does not exist",
       [] { SetValue(HKEY_CURRENT_USER, kShellFoldersKey, "desktop", testing_sandbox::Path("nowhere")); },
       0, russian + ": " + testing_sandbox::Path("nowhere")},
      {"a file",
       [] {
         WriteFile(testing_sandbox::Path("file"), "");
         SetValue(HKEY_CURRENT_USER, kShellFoldersKey, "desktop", testing_sandbox::Path("file"));
       },
       1, english + ": " + testing_sandbox::Path("file")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Messages.clear();
    c.arrange();
    auto window = Start();
    window->edPath->setText(testing_sandbox::Path("opt"));
    window->cbLanguage->setCurrentIndex(c.language);
    ASSERT_TRUE(Install(*window)) << Errors.join('\n').toStdString();
    ASSERT_EQ(Messages.size(), 1);
    EXPECT_EQ(Messages[0], c.said);
    EXPECT_TRUE(Runnable(testing_sandbox::Path("opt/tyazharnet-protocol")));
    EXPECT_TRUE(QDir(DesktopFolder()).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(testing_sandbox::Path("nowhere")));
  }
}

TEST_F(SetupTest, NoDesktopEntryForAProgramThatIsNotThere) {
  auto window = Start();
  QDir().mkpath(testing_sandbox::Path("opt/tyazharnet-protocol"));  // a folder is no program
  for (const char* folder : {"nowhere/", "opt/"}) {
    window->CreateDesktopShortcut("tyazharnet-protocol", testing_sandbox::Path(folder));
  }
  EXPECT_TRUE(QDir(DesktopFolder()).isEmpty());
  EXPECT_FALSE(QFileInfo::exists(testing_sandbox::Path("nowhere")));
}

TEST_F(SetupTest, ADataFileThatCannotBeDeletedStopsTheReinstallation) {
  if (geteuid() == 0) {
    GTEST_SKIP() << "the superuser deletes files in any folder";
  }
  RegisterInstallation();
  FillDataFolder();
  QFile::setPermissions(DataFolder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  auto window = Start();
  window->edPath->setText(testing_sandbox::Path("opt"));
  const bool closed = Install(*window);
  QFile::setPermissions(DataFolder(),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  EXPECT_FALSE(closed);
  EXPECT_EQ(Errors,
            QStringList{QString::fromUtf8("Удаление служебных данных для переустановки не удалось.")});
  EXPECT_EQ(ReadFile(DataFolder() + "Tyazhar.ini"), QByteArray("[GENERAL]\r\nLanguage=EN\r\nCity=Tula\r\n"));
  EXPECT_FALSE(QFileInfo::exists(testing_sandbox::Path("opt/tyazharnet-protocol")));
}

}  // namespace
}  // namespace setup_test
