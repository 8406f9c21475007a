// The install window before anything is installed: its texts, the proposed
// folder, the folder dialog and the cancel button.
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "app/file_dialog.h"
#include "tests/setup/setup_fixture.h"

namespace setup_test {
namespace {

TEST_F(SetupTest, TextsFollowTheModeAndTheChosenLanguage) {
  struct Case {
    bool registered;
    int language;
    const char *title, *path, *cancel, *setup;
  };
  const Case cases[] = {
      {false, 0, "Тяжарнет.ПРОТОКОЛ", "Путь", "Отмена", "Установить"},
      {false, 1, "Tyazharnet.PROTOCOL", "Path", "Cancel", "Install"},
      {true, 0, "Тяжарнет.ПРОТОКОЛ", "Путь", "Отмена", "Переустановить"},
      {true, 1, "Tyazharnet.PROTOCOL", "Path", "Cancel", "Reinstall"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.setup);
    if (c.registered) {
      RegisterInstallation();
    }
    auto window = Start();
    // Every component by its name.
    ASSERT_EQ(window->findChild<QComboBox*>("cbLanguage"), window->cbLanguage);
    ASSERT_EQ(window->findChild<QLineEdit*>("edPath"), window->edPath);
    ASSERT_EQ(window->findChild<QPushButton*>("btnPath"), window->btnPath);
    ASSERT_EQ(window->findChild<QPushButton*>("btnCancel"), window->btnCancel);
    ASSERT_EQ(window->findChild<QPushButton*>("btnSetup"), window->btnSetup);
    ASSERT_EQ(window->findChild<TFileDialog*>("dlgSave"), window->dlgSave);
    // It opens in Russian, whatever the mode.
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Тяжарнет.ПРОТОКОЛ"));
    EXPECT_EQ(window->cbLanguage->currentText(), QString::fromUtf8("Русский"));
    window->cbLanguage->setCurrentIndex(c.language);
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8(c.title));
    EXPECT_EQ(window->lbPath->text(), QString::fromUtf8(c.path));
    EXPECT_EQ(window->btnCancel->text(), QString::fromUtf8(c.cancel));
    EXPECT_EQ(window->btnSetup->text(), QString::fromUtf8(c.setup));
    EXPECT_EQ(window->btnPath->text(), "...");
    EXPECT_FALSE(window->cbLanguage->isEditable());
    EXPECT_EQ(window->cbLanguage->count(), 2);
    EXPECT_EQ(window->cbLanguage->itemText(1), "English");
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    reg.DeleteKey("Software\\Tyazhar");
  }
  EXPECT_TRUE(Errors.isEmpty()) << Errors.join('\n').toStdString();
}

TEST_F(SetupTest, ProposedFolderIsProgramFilesDirWithTheProgramsSubfolder) {
  enum TStore { sFresh, sValue, sNoKey };
  struct Case {
    TStore store;
    const char* value;
    QString proposed;
  };
  // In this order: the fresh store first, the key's removal last.
  const Case cases[] = {
      {sFresh, "", testing_sandbox::Path("home/.local/opt/Tyazharnet-protocol/")},
      {sValue, "/opt", "/opt/Tyazharnet-protocol/"},
      {sValue, "/opt/", "/opt/Tyazharnet-protocol/"},
      {sValue, "", ""},
      {sNoKey, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.store << " " << c.value);
    if (c.store == sValue) {
      SetValue(HKEY_LOCAL_MACHINE, kCurrentVersionKey, "ProgramFilesDir", QString::fromLatin1(c.value));
    } else if (c.store == sNoKey) {
      TRegistry reg;
      reg.SetRootKey(HKEY_LOCAL_MACHINE);
      ASSERT_TRUE(reg.DeleteKey(kCurrentVersionKey));
    }
    auto window = Start();
    EXPECT_EQ(window->edPath->text(), c.proposed);
    EXPECT_EQ(window->FDesktopDir, testing_sandbox::Path("desktop"));
  }
}

TEST_F(SetupTest, ATypedFolderSurvivesTheWindowShownAgain) {
  auto window = Start();
  window->edPath->setText("/srv/tyazhar");
  // As after a message box, or the window minimised and restored.
  window->hide();
  window->show();
  EXPECT_EQ(window->edPath->text(), "/srv/tyazhar");
}

TEST_F(SetupTest, FolderChoiceKeepsThePathUpToItsLastSeparator) {
  const QString existing = testing_sandbox::Path("apps");
  QDir().mkpath(existing);
  struct Case {
    QString typed;
    bool confirm;
    QString chosen;
    QString offered, result;
  };
  const Case cases[] = {
      {"", true, "/srv/Apps/x", "tyazharnet-protocol", "/srv/Apps/"},
      {"/no/such/folder/", true, "/srv/Apps/tyazharnet-protocol", "tyazharnet-protocol", "/srv/Apps/"},
      {existing, true, "/", existing + "/tyazharnet-protocol", "/"},
      {existing, false, "/srv/Apps/x", existing + "/tyazharnet-protocol", existing},
  };
  auto window = Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString() + " -> " + c.chosen.toStdString());
    window->edPath->setText(c.typed);
    QString offered, filter;
    TFileDialog::TKind kind = TFileDialog::fdOpen;
    TFileDialog::ExecuteHook = [&](TFileDialog& dialog) {
      offered = dialog.FileName;
      filter = dialog.Filter;
      kind = dialog.Kind();
      dialog.FileName = c.chosen;
      return c.confirm;
    };
    QTest::mouseClick(window->btnPath, Qt::LeftButton);
    EXPECT_EQ(offered, c.offered);
    EXPECT_EQ(filter, "tyazharnet-protocol|tyazharnet-protocol");
    EXPECT_EQ(kind, TFileDialog::fdSave);
    EXPECT_EQ(window->edPath->text(), c.result);
  }
}

TEST_F(SetupTest, CancelEndsWithoutWritingAnything) {
  auto window = Start();
  QTest::mouseClick(window->btnCancel, Qt::LeftButton);
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(QFileInfo::exists(window->edPath->text()));
  EXPECT_FALSE(QFileInfo::exists(DataFolder()));
  EXPECT_TRUE(QDir(RegistryRoot()).isEmpty());
  EXPECT_TRUE(QDir(DesktopFolder()).isEmpty());
}

}  // namespace
}  // namespace setup_test
