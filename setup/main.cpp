// The installer's program block: the install window as the main window, then
// the message loop; closing the window ends the program.
#include <QApplication>
#include <QMessageBox>

#include "platform/widgets/shared_dialogs.h"
#include "setup/setup_form.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  TfrSetup frSetup;
  // Both boxes are titled with the window's caption in the chosen language.
  SetErrorDisplay([&frSetup](const QString& message) {
    QMessageBox::critical(&frSetup, frSetup.windowTitle(), message);
  });
  SetInformationDisplay([&frSetup](const QString& message) {
    QMessageBox::information(&frSetup, frSetup.windowTitle(), message);
  });
  frSetup.show();
  const int result = QApplication::exec();
  SetErrorDisplay(nullptr);
  SetInformationDisplay(nullptr);
  return result;
}
