#include "tests/app/window_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>

#include "platform/core/cp1251.h"
#include "platform/widgets/data_grid.h"
#include "tests/support/test_sandbox.h"

namespace app_test {

TDialogRecorder::TDialogRecorder() {
  FOldDisplay = SetErrorDisplay([this](const QString& message) { Errors << message; });
  FOldInformation = SetInformationDisplay([this](const QString& message) { Informations << message; });
  FOldConfirmation = SetConfirmation([this](const QString& question) {
    Questions << question;
    return Answer;
  });
}

TDialogRecorder::~TDialogRecorder() {
  SetErrorDisplay(std::move(FOldDisplay));
  SetInformationDisplay(std::move(FOldInformation));
  SetConfirmation(std::move(FOldConfirmation));
}

class WindowTest::TUrlCatcher : public QObject {
  Q_OBJECT

 public:
  explicit TUrlCatcher(QStringList& urls) : FUrls(urls) {}

 public slots:
  void Open(const QUrl& url) { FUrls << url.toString(); }

 private:
  QStringList& FUrls;
};

WindowTest::WindowTest() = default;
WindowTest::~WindowTest() = default;

void WindowTest::SetUp() {
  SetRecordDeletePrompt(QStringLiteral("Delete record?"));
  FUrlCatcher = std::make_unique<TUrlCatcher>(OpenedUrls);
  QDesktopServices::setUrlHandler(QStringLiteral("http"), FUrlCatcher.get(), "Open");
  QDir().mkpath(DataFolder());
}

void WindowTest::TearDown() {
  QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
  FUrlCatcher.reset();
  SetRecordDeletePrompt(QStringLiteral("Delete record?"));
}

QString WindowTest::DataFolder() {
  return testing_sandbox::Folder() + QStringLiteral("/data/Tyazharnet-protocol/");
}

void WindowTest::WriteIni(const QString& name, const QString& text) {
  testing_sandbox::WriteFile(DataFile(name), cp1251::Encode(text));
}

QString WindowTest::ReadIni(const QString& name) {
  return cp1251::Decode(testing_sandbox::ReadFile(DataFile(name)));
}

std::unique_ptr<TfrmMain> WindowTest::Start() {
  return std::make_unique<TfrmMain>();
}

void WindowTest::Stop(std::unique_ptr<TfrmMain>& window) {
  window->close();
  window.reset();
}

void WindowTest::ShowActive(TfrmMain& window) {
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

void WindowTest::Type(const QString& text) {
  TypeText(text);
}

QMap<QString, QByteArray> WindowTest::Snapshot() {
  QMap<QString, QByteArray> files;
  for (const QString& name : QDir(DataFolder()).entryList(QDir::Files)) {
    files.insert(name, testing_sandbox::ReadFile(DataFile(name)));
  }
  return files;
}

void WriteTable(TClientDataSet& table, const QString& fileName,
                const std::function<void(TClientDataSet&)>& fill) {
  table.CreateDataSet();
  if (fill) {
    fill(table);
  }
  table.SaveToFile(testing_sandbox::Folder() + QStringLiteral("/data/Tyazharnet-protocol/") + fileName, 1);
  table.Close();
}

QStringList ReadRows(TClientDataSet TCompetitionTables::*table, const QString& fileName,
                     const QStringList& fields) {
  TCompetitionTables tables;
  TClientDataSet& read = tables.*table;
  read.SetFileName(testing_sandbox::Folder() + QStringLiteral("/data/Tyazharnet-protocol/") + fileName);
  read.Open();
  QStringList rows;
  for (read.First(); !read.Eof(); read.Next()) {
    QStringList values;
    for (const QString& field : fields) {
      values << read.FieldByName(field).AsString();
    }
    rows << values.join(u'|');
  }
  return rows;
}

QStringList ViewRows(TClientDataSet& table, const QStringList& fields) {
  QStringList rows;
  for (int row = 0; row < table.RecordCount(); ++row) {
    QStringList values;
    for (const QString& field : fields) {
      values << table.DisplayTextAt(row, table.FieldByName(field));
    }
    rows << values.join(u'|');
  }
  return rows;
}

QStringList ViewTexts(TClientDataSet& table, const char* field) {
  return ViewRows(table, {QString::fromLatin1(field)});
}

QStringList Items(const QComboBox& combo) {
  QStringList items;
  for (int i = 0; i < combo.count(); ++i) {
    items << combo.itemText(i);
  }
  return items;
}

QStringList GridColumn(TDataGrid& grid, int column) {
  QStringList texts;
  for (int row = 0; row < grid.model()->rowCount(); ++row) {
    texts << grid.model()->index(row, column).data().toString();
  }
  return texts;
}

void ShowPageOf(QWidget* widget) {
  for (QWidget* page = widget; page != nullptr; page = page->parentWidget()) {
    QWidget* stack = page->parentWidget();
    if (auto* pages = qobject_cast<QTabWidget*>(stack != nullptr ? stack->parentWidget() : nullptr);
        pages != nullptr && pages->indexOf(page) >= 0) {
      pages->setCurrentWidget(page);
    }
  }
  QApplication::processEvents();
}

void Focus(QWidget* widget) {
  widget->setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
}

void TypeText(const QString& text) {
  for (const QChar c : text) {
    const int key = c.toUpper().unicode();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(QApplication::focusWidget(), &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
    QApplication::sendEvent(QApplication::focusWidget(), &release);
    QApplication::processEvents();
  }
}

void EnterCell(TDataGrid& grid, int row, const char* field, const QString& text) {
  ShowPageOf(&grid);
  Focus(&grid);
  const int column = grid.ColumnPosition(QString::fromLatin1(field));
  EXPECT_GE(column, 0) << field;
  grid.setCurrentIndex(grid.model()->index(row, column));
  QApplication::processEvents();
  TypeText(text);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QApplication::processEvents();
}

void Click(QToolButton* button) {
  QTest::mouseClick(button, Qt::LeftButton);
  QApplication::processEvents();
}

void Choose(QComboBox& selector, int index) {
  selector.setCurrentIndex(index);
  emit selector.activated(index);
  QApplication::processEvents();
}

void SwitchTo(TfrmMain& window, int language) {
  QAction* item = language == 0 ? window.miLanguage_RU : window.miLanguage_EN;
  item->trigger();
  QApplication::processEvents();
}

std::string Errors(const TDialogRecorder& dialogs) {
  return dialogs.Errors.join(u'\n').toStdString();
}
}  // namespace app_test

#include "window_fixture.moc"
