#pragma once

#include <QApplication>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <utility>

#include "platform/widgets/shared_dialogs.h"

namespace widgets_test {

// For as long as it lives, errors are shown in the program's own message box,
// which takes the focus from the window as a real one does, and each box is
// answered the way a user answers it: Return pressed on it once it is up.
// The texts shown are recorded.
class TRealErrorBox {
 public:
  TRealErrorBox() {
    FOld = SetErrorDisplay({});
    FDefault = SetErrorDisplay([this](const QString& message) {
      Shown << message;
      QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget()) {
          QTest::keyClick(box, Qt::Key_Return);
        }
      });
      FDefault(message);
    });
  }
  ~TRealErrorBox() { SetErrorDisplay(std::move(FOld)); }
  TRealErrorBox(const TRealErrorBox&) = delete;
  TRealErrorBox& operator=(const TRealErrorBox&) = delete;

  QStringList Shown;

 private:
  TErrorDisplay FOld;
  TErrorDisplay FDefault;
};

}  // namespace widgets_test
