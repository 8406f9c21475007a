#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box: the program's name, what it is for and the maker's address.
// A fixed dialog sized to its contents; its texts follow the language its
// creator gives it and are set each time it is activated.
class TfrmAbout : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmAbout(QWidget* owner);

  QLabel* lbProgramName;
  QLabel* lbProgramAbout;
  QLabel* lbCopyright;
  QPushButton* btnOk;

  // Set by the creator before the box is shown: 0 Russian, 1 English.
  quint8 FLanguage = 0;

  void FormActivate();
  void btnOkClick();
  QString ChooseText(const QString& Russian, const QString& English) const;

 protected:
  bool event(QEvent* event) override;
};
