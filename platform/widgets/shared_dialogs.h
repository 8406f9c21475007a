#pragma once

#include <QString>
#include <functional>

// The message boxes that the data controls and the window share (errors,
// notices, questions), and the wrapper that keeps exceptions away from Qt.
//
// Each box goes through one replaceable function, so that the window can
// restyle it and tests can answer it without a real dialog.

// ---- The title of the boxes ----

// The default boxes below are titled with what this gives when they are shown;
// the default is the application's display name. A program gives its own name
// here, in its interface language of the moment.
using TDialogTitle = std::function<QString()>;

// Replaces the title; an empty function restores the default. Returns the one
// that was in place.
TDialogTitle SetDialogTitle(TDialogTitle title);

// ---- Errors ----

// Shows a user-facing error text. The default is a critical message box.
using TErrorDisplay = std::function<void(const QString& message)>;

// Replaces the error display; an empty function restores the default.
// Returns the one that was in place.
TErrorDisplay SetErrorDisplay(TErrorDisplay display);
void ShowErrorMessage(const QString& message);

// The application's default handler: call it inside a catch block. The silent
// abort is swallowed, every other exception has its message shown. Never
// throws.
void HandleCurrentException() noexcept;

// Every entry point from the event loop (slot, event handler, timer) runs its
// work through this. Returns true when the work ran to its end.
template <class F>
bool RunGuarded(F&& work) noexcept {
  try {
    work();
    return true;
  } catch (...) {
    HandleCurrentException();
    return false;
  }
}

// ---- Information ----

// Shows a refusal or a notice with one OK button. The default is an
// information box.
using TInformationDisplay = std::function<void(const QString& message)>;

// Replaces the information display; an empty function restores the default.
// Returns the one that was in place.
TInformationDisplay SetInformationDisplay(TInformationDisplay display);
void ShowInformation(const QString& message);

// ---- The record-delete prompt ----

// The one question that every grid and navigator asks before deleting a
// record. "Delete record?" until the window replaces it.
QString RecordDeletePrompt();
void SetRecordDeletePrompt(const QString& text);

// Asks an OK/Cancel question; true for OK. The default is a question box with
// OK and Cancel.
using TConfirmation = std::function<bool(const QString& question)>;

// Replaces the confirmation; an empty function restores the default. Returns
// the one that was in place.
TConfirmation SetConfirmation(TConfirmation confirmation);

// Asks the question through the confirmation; true for OK.
bool Confirm(const QString& question);

// Asks RecordDeletePrompt() through the confirmation.
bool ConfirmRecordDelete();
