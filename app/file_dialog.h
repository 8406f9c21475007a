#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

// A file dialog kept as a component of the window: its settings live with the
// window, the dialog itself exists only while Execute shows it.
class TFileDialog : public QObject {
  Q_OBJECT

 public:
  enum TKind { fdOpen, fdSave };
  enum TOption : unsigned {
    ofOverwritePrompt = 1u << 0,
    ofHideReadOnly = 1u << 1,
    ofPathMustExist = 1u << 2,
    ofFileMustExist = 1u << 3,
    ofEnableSizing = 1u << 4,
  };

  TFileDialog(TKind kind, QObject* parent = nullptr);

  TKind Kind() const { return FKind; }
  // Without the dot: "ktp".
  QString DefaultExt;
  // "label|mask" pairs joined by "|": "KTP|*.ktp".
  QString Filter;
  unsigned Options = 0;
  // Offered when the dialog opens; the chosen file after a confirmed Execute.
  QString FileName;

  // Shows the dialog modally; true when the user confirmed a file.
  bool Execute(QWidget* parent);

  // Takes the place of the real dialog (tests answer it): gets the dialog,
  // sets FileName and returns whether the user confirmed.
  static std::function<bool(TFileDialog& dialog)> ExecuteHook;

 private:
  TKind FKind;
};
