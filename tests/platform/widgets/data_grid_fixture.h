#pragma once

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/widgets/data_grid.h"
#include "tests/platform/widgets/widget_fixtures.h"

namespace widgets_test {

// Positions of the default columns of the competitor table.
enum { colName, colWeight, colRank, colTeam };

class DataGrid : public ::testing::Test {
 protected:
  void SetUp() override {
    FillLookup(ranks, {{0, ""}, {1, "ЗМС"}, {2, "МС"}, {3, "КМС"}});
    DefineCompetitors(table, &ranks);
    Refill();
    window.resize(700, 320);
    auto* layout = new QVBoxLayout(&window);
    auto* created = new TDataGrid(&window);
    created->setObjectName("grCompetitor");
    layout->addWidget(created);
    auto* edit = new QLineEdit(&window);
    edit->setObjectName("edOther");
    layout->addWidget(edit);

    grid = window.findChild<TDataGrid*>("grCompetitor");
    other = window.findChild<QLineEdit*>("edOther");
    grid->SetDataSet(&table);
    tester = WatchModel(grid->DataModel());
    ShowActive(window);
    grid->setFocus();
  }

  // The three competitors afresh, the first one current.
  void Refill() {
    table.Close();
    table.CreateDataSet();
    AppendCompetitors(
        table,
        {{"Ivanov", 72.5, 2, "Dinamo"}, {"Petrov", 68.0, 3, "Spartak"}, {"Sidorov", 85.0, 1, "Dinamo"}});
  }

  QPoint CellCenter(int row, int position) const {
    const int logical = grid->horizontalHeader()->logicalIndex(position);
    return grid->visualRect(grid->model()->index(row, logical)).center();
  }
  void Click(int row, int position) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, CellCenter(row, position));
  }
  void DoubleClick(int row, int position) {
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, CellCenter(row, position));
  }
  void ClickTitle(int position) {
    QHeaderView* titles = grid->horizontalHeader();
    const int logical = titles->logicalIndex(position);
    const QPoint at(titles->sectionViewportPosition(logical) + titles->sectionSize(logical) / 2,
                    titles->height() / 2);
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  }
  // Keys and characters go where the focus is, as the user's would.
  static void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    RunEventLoop();
  }
  static void Type(const QString& text) {
    for (const QChar c : text) {
      const int key = c.toUpper().unicode();
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
      QApplication::sendEvent(QApplication::focusWidget(), &press);
      QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
      QApplication::sendEvent(QApplication::focusWidget(), &release);
    }
    RunEventLoop();
  }
  QString Cell(int row, int position) const {
    return grid->model()->index(row, grid->horizontalHeader()->logicalIndex(position)).data().toString();
  }
  QString FieldText(const char* name) const { return table.FieldByName(name).AsString(); }
  QLineEdit* CellEditor() const { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); }

  TClientDataSet ranks{"dsRank"};
  TClientDataSet table{"dsCompetitor"};
  TDialogRecorder dialogs;
  QWidget window;
  TDataGrid* grid = nullptr;
  QLineEdit* other = nullptr;
  std::unique_ptr<QAbstractItemModelTester> tester;
};

}  // namespace widgets_test
