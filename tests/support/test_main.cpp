// The main of every test program: a Qt application object (a GUI one,
// offscreen, for the window and control tests) and the per-test sandbox.
#include <gtest/gtest.h>

#include <QtGlobal>

#include "tests/support/test_sandbox.h"

#ifdef TYAZHAR_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv) {
#ifdef TYAZHAR_TEST_GUI
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
#endif
  ::testing::InitGoogleTest(&argc, argv);
  TestApplication app(argc, argv);
  testing_sandbox::InstallListener();
  return RUN_ALL_TESTS();
}
