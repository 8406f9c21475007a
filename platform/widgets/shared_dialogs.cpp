#include "platform/widgets/shared_dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <exception>
#include <utility>

#include "platform/core/exception.h"

namespace {

// A box raised from inside another modal box (an error while a dialog is
// open) belongs over that box, not behind it.
QWidget* DialogParent() {
  QWidget* parent = QApplication::activeModalWidget();
  return parent != nullptr ? parent : QApplication::activeWindow();
}

QString DefaultDialogTitle() {
  return QGuiApplication::applicationDisplayName();
}

TDialogTitle& Title() {
  static TDialogTitle title = DefaultDialogTitle;
  return title;
}

QString DialogTitle() {
  return Title()();
}

// Gives the window that was active back its activation once the box shown
// meanwhile is answered. Not every desktop does so by itself (none at all
// offscreen), and a window left inactive sends the keys nowhere: the user
// would have to click into it before typing on.
class TActivationKeeper {
 public:
  TActivationKeeper() : FActive(QApplication::activeWindow()) {}
  ~TActivationKeeper() {
    if (FActive != nullptr && FActive->isVisible() && !FActive->isActiveWindow()) {
      FActive->activateWindow();
    }
  }
  TActivationKeeper(const TActivationKeeper&) = delete;
  TActivationKeeper& operator=(const TActivationKeeper&) = delete;

 private:
  QPointer<QWidget> FActive;
};

void DefaultErrorDisplay(const QString& message) {
  const TActivationKeeper keeper;
  QMessageBox::critical(DialogParent(), DialogTitle(), message);
}

bool DefaultConfirmation(const QString& question) {
  const TActivationKeeper keeper;
  return QMessageBox::question(DialogParent(), DialogTitle(), question, QMessageBox::Ok | QMessageBox::Cancel,
                               QMessageBox::Ok) == QMessageBox::Ok;
}

void DefaultInformationDisplay(const QString& message) {
  const TActivationKeeper keeper;
  QMessageBox::information(DialogParent(), DialogTitle(), message);
}

TInformationDisplay& InformationDisplay() {
  static TInformationDisplay display = DefaultInformationDisplay;
  return display;
}

TErrorDisplay& ErrorDisplay() {
  static TErrorDisplay display = DefaultErrorDisplay;
  return display;
}

TConfirmation& Confirmation() {
  static TConfirmation confirmation = DefaultConfirmation;
  return confirmation;
}

QString& DeletePrompt() {
  static QString prompt = QStringLiteral("Delete record?");
  return prompt;
}

// Puts a replacement in the place of one of the boxes, or the default for an
// empty one; returns what was in place.
template <typename F, typename Default>
F Replace(F& current, F replacement, Default fallback) {
  F previous = std::move(current);
  current = replacement ? std::move(replacement) : F(fallback);
  return previous;
}

}  // namespace

TDialogTitle SetDialogTitle(TDialogTitle title) {
  return Replace(Title(), std::move(title), DefaultDialogTitle);
}

TErrorDisplay SetErrorDisplay(TErrorDisplay display) {
  return Replace(ErrorDisplay(), std::move(display), DefaultErrorDisplay);
}

void ShowErrorMessage(const QString& message) {
  // A copy: the display may replace itself while it runs.
  const TErrorDisplay display = ErrorDisplay();
  display(message);
}

void HandleCurrentException() noexcept {
  try {
    try {
      throw;
    } catch (const EAbort&) {
    } catch (const Exception& e) {
      ShowErrorMessage(e.Message());
    } catch (const std::exception& e) {
      ShowErrorMessage(QString::fromUtf8(e.what()));
    } catch (...) {
      ShowErrorMessage(QStringLiteral("Unknown error"));
    }
  } catch (...) {
    // The display itself failed; there is nobody left to tell.
  }
}

TInformationDisplay SetInformationDisplay(TInformationDisplay display) {
  return Replace(InformationDisplay(), std::move(display), DefaultInformationDisplay);
}

void ShowInformation(const QString& message) {
  const TInformationDisplay display = InformationDisplay();
  display(message);
}

QString RecordDeletePrompt() {
  return DeletePrompt();
}

void SetRecordDeletePrompt(const QString& text) {
  DeletePrompt() = text;
}

TConfirmation SetConfirmation(TConfirmation confirmation) {
  return Replace(Confirmation(), std::move(confirmation), DefaultConfirmation);
}

bool Confirm(const QString& question) {
  // A copy: the confirmation may replace itself while it runs.
  const TConfirmation confirmation = Confirmation();
  return confirmation(question);
}

bool ConfirmRecordDelete() {
  return Confirm(RecordDeletePrompt());
}
