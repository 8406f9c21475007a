// The program block: the splash window, then the main window, then the
// message loop.
#include <QApplication>
#include <QTimer>

#include "app/main_window.h"
#include "app/program.h"
#include "app/splash.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  BindDialogTitle();
  MakeShellDataFolder();

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
