#include "tests/setup/setup_fixture.h"

#include <QProcess>
#include <QTest>

#include "app/file_dialog.h"

namespace setup_test {

void SetupTest::SetUp() {
  FOldDisplay = SetErrorDisplay([this](const QString& message) { Errors << message; });
  FOldInformation = SetInformationDisplay([this](const QString& message) { Messages << message; });
  TFileDialog::ExecuteHook = nullptr;
}

void SetupTest::TearDown() {
  SetErrorDisplay(std::move(FOldDisplay));
  SetInformationDisplay(std::move(FOldInformation));
  TFileDialog::ExecuteHook = nullptr;
}

std::unique_ptr<TfrSetup> SetupTest::Start() {
  auto window = std::make_unique<TfrSetup>();
  window->show();
  return window;
}

bool SetupTest::Install(TfrSetup& window) {
  QTest::mouseClick(window.btnSetup, Qt::LeftButton);
  return !window.isVisible();
}

QString DataFolder() {
  return testing_sandbox::Path("data/Tyazharnet-protocol/");
}

QString DesktopFolder() {
  return testing_sandbox::Path("desktop/");
}

void SetupTest::SetValue(HKEY root, const char* key, const char* name, const QString& value) {
  TRegistry reg;
  reg.SetRootKey(root);
  ASSERT_TRUE(reg.OpenKey(QString::fromLatin1(key), true)) << key;
  reg.WriteString(QString::fromLatin1(name), value);
}

QString SetupTest::ReadValue(HKEY root, const char* key, const char* name) {
  TRegistry reg;
  reg.SetRootKey(root);
  if (!reg.OpenKeyReadOnly(QString::fromLatin1(key))) {
    return QString();
  }
  return reg.ReadString(QString::fromLatin1(name));
}

void SetupTest::RegisterInstallation() {
  SetValue(HKEY_LOCAL_MACHINE, "Software\\Tyazhar", "CurrentVersion", "1.0");
}

bool SetupTest::Registered() {
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  return reg.KeyExists("Software\\Tyazhar");
}

std::string ValidateDesktopEntry(const QString& path) {
  QProcess validate;
  validate.setProcessChannelMode(QProcess::MergedChannels);
  validate.start("desktop-file-validate", {path});
  if (!validate.waitForFinished(60000)) {
    return "desktop-file-validate did not run: " + validate.errorString().toStdString();
  }
  const QByteArray output = validate.readAll();
  if (validate.exitStatus() != QProcess::NormalExit || validate.exitCode() != 0 || !output.isEmpty()) {
    return "exit " + std::to_string(validate.exitCode()) + ": " + output.toStdString();
  }
  return "";
}

}  // namespace setup_test
