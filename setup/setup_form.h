#pragma once

#include <QString>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TFileDialog;

// The installer's one window: the interface language, the install folder and
// the two buttons. Installs or, when an earlier installation is registered,
// reinstalls the competition program.
//
// Every entry point from Qt runs guarded: an error is shown through the
// shared error display (in Russian in either language) and the window stays
// open with what the steps before the error did.
class TfrSetup : public QWidget {
  Q_OBJECT

 public:
  explicit TfrSetup(QWidget* parent = nullptr);
  ~TfrSetup() override;

  QComboBox* cbLanguage;
  QLabel* lbPath;  // the caption above edPath
  QLineEdit* edPath;
  QPushButton* btnPath;
  QPushButton* btnCancel;
  QPushButton* btnSetup;
  TFileDialog* dlgSave;

  // Set by FormActivate: whether an installation is registered, and the
  // current user's desktop folder. FInstallDir is set by the install sequence.
  bool FReinstall = false;
  QString FInstallDir;
  QString FDesktopDir;

  // The program's file name; Linux stand-in: no ".exe".
  static const QString kProgramFileName;

  // Runs once, at the window's first showing.
  void FormActivate();
  void ApplyLanguage();
  void cbLanguageChange();
  void btnPathClick();
  void btnCancelClick();
  void btnSetupClick();
  void WriteRegistry();
  void DeleteDataFiles(const QString& mask);
  void CreateDesktopShortcut(const QString& fileName, const QString& folder);

  // 1 (English) when the selected language is not the first item, else 0.
  quint8 Language() const;
  QString ChooseText(const QString& Russian, const QString& English) const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  bool FActivated = false;
};
