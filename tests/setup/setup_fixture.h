#pragma once

#include <gtest/gtest.h>

#include <QPushButton>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>

#include "platform/registry/registry.h"
#include "platform/widgets/shared_dialogs.h"
#include "setup/setup_form.h"
#include "tests/support/test_sandbox.h"

namespace setup_test {

// <sandbox>/data/Tyazharnet-protocol/ and <sandbox>/desktop/, where the shell
// folders of a fresh store point, and the desktop entry there.
QString DataFolder();
QString DesktopFolder();
inline QString DesktopEntry() {
  return DesktopFolder() + "tyazharnet-protocol.desktop";
}

// Each test starts on the sandbox's fresh registry store, data home and
// desktop folder, with the error and information boxes recorded instead of
// shown and no file dialog answer set.
class SetupTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The window as the program block shows it (its activation runs here).
  std::unique_ptr<TfrSetup> Start();
  // Clicks the install button and says whether the window closed.
  static bool Install(TfrSetup& window);

  static void SetValue(HKEY root, const char* key, const char* name, const QString& value);
  // The value, or a null text when the key does not exist.
  static QString ReadValue(HKEY root, const char* key, const char* name);
  // What an earlier installation leaves in the registry.
  static void RegisterInstallation();
  static bool Registered();

  QStringList Errors;
  QStringList Messages;  // of the information boxes

 private:
  TErrorDisplay FOldDisplay;
  TInformationDisplay FOldInformation;
};

// What desktop-file-validate says of a desktop entry: empty when it finds
// nothing at all to say, not even a hint.
std::string ValidateDesktopEntry(const QString& path);

}  // namespace setup_test
