#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <QMap>
#include <QStringList>
#include <QTest>
#include <memory>

#include "app/file_dialog.h"
#include "app/main_window.h"
#include "platform/widgets/shared_dialogs.h"
#include "tests/support/test_sandbox.h"

class QComboBox;
class QToolButton;
class QUrl;
class TDataGrid;

namespace app_test {

// Stands in for the message boxes: records every error, information and
// question; the questions are answered by Answer (OK unless a test says
// otherwise).
class TDialogRecorder {
 public:
  TDialogRecorder();
  ~TDialogRecorder();
  TDialogRecorder(const TDialogRecorder&) = delete;
  TDialogRecorder& operator=(const TDialogRecorder&) = delete;

  QStringList Errors;
  QStringList Informations;
  QStringList Questions;
  bool Answer = true;

 private:
  TErrorDisplay FOldDisplay;
  TInformationDisplay FOldInformation;
  TConfirmation FOldConfirmation;
};

// Each test starts from an empty data folder in its sandbox, with the shared
// record-delete prompt back at the controls' own text and web links caught
// instead of opened.
class WindowTest : public ::testing::Test {
 protected:
  WindowTest();
  ~WindowTest() override;
  void SetUp() override;
  void TearDown() override;

  // <sandbox>/data/Tyazharnet-protocol/, where the "AppData" shell folder of
  // the sandbox points.
  static QString DataFolder();
  static QString DataFile(const QString& name) { return DataFolder() + name; }
  // Writes the text in Windows-1251, as the program's INI files are.
  static void WriteIni(const QString& name, const QString& text);
  static QString ReadIni(const QString& name);

  // The window as the program block builds it (its start-up runs here).
  std::unique_ptr<TfrmMain> Start();
  // Closes (merging into the handbook) and destroys the window.
  void Stop(std::unique_ptr<TfrmMain>& window);

  // Shows the window and makes it the active one, so that focus moves work as
  // on a desktop.
  static void ShowActive(TfrmMain& window);

  template <class T = QObject>
  static T* Find(QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }

  // Types the text into whichever control has the focus, one key at a time
  // (the first key into a grid opens its cell editor, which takes the rest).
  static void Type(const QString& text);

  // Every file of the data folder by name.
  static QMap<QString, QByteArray> Snapshot();

  TDialogRecorder Dialogs;
  QStringList OpenedUrls;

 private:
  class TUrlCatcher;
  std::unique_ptr<TUrlCatcher> FUrlCatcher;
};

// For as long as it lives, answers the window's file dialogs: records the
// name each one offered and confirms the path given (an empty path cancels).
class TFileAnswers {
 public:
  TFileAnswers() {
    TFileDialog::ExecuteHook = [this](TFileDialog& dialog) {
      Offered << dialog.FileName;
      Kinds << dialog.Kind();
      if (Path.isEmpty()) {
        return false;
      }
      dialog.FileName = Path;
      return true;
    };
  }
  ~TFileAnswers() { TFileDialog::ExecuteHook = {}; }
  TFileAnswers(const TFileAnswers&) = delete;
  TFileAnswers& operator=(const TFileAnswers&) = delete;

  QString Path;
  QStringList Offered;
  QList<TFileDialog::TKind> Kinds;
};

// Prints go to this PDF file instead of a printer for as long as it lives.
class TPrintToPdf {
 public:
  explicit TPrintToPdf(const QString& path) : Path(path) { qputenv("TYAZHAR_PRINT_TO", Path.toUtf8()); }
  ~TPrintToPdf() { qunsetenv("TYAZHAR_PRINT_TO"); }
  TPrintToPdf(const TPrintToPdf&) = delete;
  TPrintToPdf& operator=(const TPrintToPdf&) = delete;
  const QString Path;
};

// Writes a table into the data folder under the file name the program uses.
// Fill runs with the table created empty and open.
void WriteTable(TClientDataSet& table, const QString& fileName,
                const std::function<void(TClientDataSet&)>& fill);

// The current rows of a table file, each as the texts of the given fields
// joined by "|", in the table's order.
QStringList ReadRows(TClientDataSet TCompetitionTables::*table, const QString& fileName,
                     const QStringList& fields);

// The display texts of one field over a table's view, without moving its
// cursor.
QStringList ViewTexts(TClientDataSet& table, const char* field);

// The display texts of the given fields over a table's view, joined by "|",
// without moving its cursor.
QStringList ViewRows(TClientDataSet& table, const QStringList& fields);

// The item texts of a selector.
QStringList Items(const QComboBox& combo);

// What a grid shows in one column, the first unless told.
QStringList GridColumn(TDataGrid& grid, int column = 0);

// Makes the widget's page, and the pages above it, the current ones.
void ShowPageOf(QWidget* widget);

void Focus(QWidget* widget);

// Types the text into whichever control has the focus, one key at a time.
void TypeText(const QString& text);

// Types the text into a grid cell as a user does: the cell made current, the
// text typed, Enter pressed (which gives it to the field; the row stays in
// editing).
void EnterCell(TDataGrid& grid, int row, const char* field, const QString& text);

// Clicks a tool button as a user does.
void Click(QToolButton* button);

// Chooses a selector's item as a user does, so its handler runs.
void Choose(QComboBox& selector, int index);

// Switches the window's language by its menu item: 0 Russian, 1 English.
void SwitchTo(TfrmMain& window, int language);

// The recorded errors, one per line, for a failure message.
std::string Errors(const TDialogRecorder& dialogs);

}  // namespace app_test
