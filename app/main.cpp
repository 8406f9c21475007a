// The program block: the splash window, then the main window, then the
// message loop.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "app/main_window.h"
#include "app/splash.h"
#include "platform/widgets/shared_dialogs.h"

namespace {

// Errors are shown under the program's name in the language of the moment:
// the main window knows it as soon as the settings are read, even while it is
// still being built.
QString ProgramTitle() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* main = qobject_cast<TfrmMain*>(widget)) {
      return main->Translate(QStringLiteral("Тяжарнет.ПРОТОКОЛ"), QStringLiteral("Tyazharnet.PROTOCOL"));
    }
  }
  return QStringLiteral("Тяжарнет.ПРОТОКОЛ");
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  SetErrorDisplay([](const QString& message) {
    QWidget* parent = QApplication::activeModalWidget();
    if (parent == nullptr) {
      parent = QApplication::activeWindow();
    }
    QMessageBox::critical(parent, ProgramTitle(), message);
  });

  auto* frmHeadPiece = new TfrmHeadPiece();
  frmHeadPiece->show();
  frmHeadPiece->raise();
  frmHeadPiece->activateWindow();
  frmHeadPiece->repaint();
  // The timer switches itself off at its first tick, about a second on.
  while (frmHeadPiece->Timer->isActive()) {
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }

  // Built while the splash window is still on screen.
  auto* frmMain = new TfrmMain();
  frmHeadPiece->hide();
  delete frmHeadPiece;

  frmMain->show();
  const int result = QApplication::exec();
  delete frmMain;
  return result;
}
