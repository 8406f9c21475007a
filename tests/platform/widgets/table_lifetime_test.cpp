// Controls that outlive the tables they show: a table going first, or the
// lookup table its lookup columns and lists read from. The sanitizer build
// is what catches a control touching a freed table here.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/widgets/data_check_box.h"
#include "platform/widgets/data_edit.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/data_lookup_combo_box.h"
#include "platform/widgets/data_navigator.h"
#include "tests/platform/widgets/widget_fixtures.h"

namespace {

using namespace widgets_test;

// Positions of the default columns of the competitor table.
enum { colName, colWeight, colRank };

// The parameter: whether the table's controls are detached (a walk in
// progress) when a table goes.
class ControlsOutliveTheirTables : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ranks = std::make_unique<TClientDataSet>("dsRank");
    FillLookup(*ranks, {{0, ""}, {1, "ЗМС"}, {2, "МС"}, {3, "КМС"}});
    table = std::make_unique<TClientDataSet>("dsCompetitor");
    DefineCompetitors(*table, ranks.get());
    table->CreateDataSet();
    AppendCompetitors(
        *table, {{"Ivanov", 72.5, 2, "Dinamo"}, {"Petrov", 68.0, 3, "Spartak"}, {"Sidorov", 85.0, 1, ""}});
    window.resize(700, 500);
    auto* layout = new QVBoxLayout(&window);
    const auto add = [&](auto* control) {
      layout->addWidget(control);
      return control;
    };
    other = add(new QLineEdit(&window));
    grid = add(new TDataGrid(&window));
    navigator = add(new TDataNavigator(&window));
    edit = add(new TDataEdit(&window));
    box = add(new TDataCheckBox(&window));
    rankBox = add(new TDataLookupComboBox(&window));
    refBox = add(new TDataLookupComboBox(&window));
    spareBox = add(new TDataLookupComboBox(&window));
    grid->SetDataSet(table.get());
    navigator->SetDataSet(table.get());
    edit->SetDataSet(table.get());
    edit->SetDataField("Name");
    box->SetDataSet(table.get());
    box->SetDataField("AtTheTeam");
    rankBox->SetDataSet(table.get());
    rankBox->SetDataField("Rank");
    refBox->SetDataSet(table.get());
    refBox->SetDataField("RankRef");
    refBox->SetListSource(ranks.get());
    refBox->SetKeyField("ID");
    refBox->SetListField("Name");
    // A list source set before any field is bound.
    spareBox->SetListSource(ranks.get());
    spareBox->SetKeyField("ID");
    spareBox->SetListField("Name");
    tester = WatchModel(grid->DataModel());
    ShowActive(window);
    ASSERT_EQ(refBox->count(), 4);
  }

  void TearDown() override {
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join("; ").toStdString();
  }

  // The table goes the way it would while its controls are detached or not.
  void Destroy(std::unique_ptr<TClientDataSet>& doomed) {
    if (GetParam() && table != nullptr) {
      table->DisableControls();
    }
    doomed.reset();
    if (GetParam() && table != nullptr) {
      table->EnableControls();
    }
    RunEventLoop();
  }

  static void Key(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(target, key, modifiers);
    RunEventLoop();
  }
  void ClickCell(int row, int column) {
    const QRect cell = grid->visualRect(grid->model()->index(row, column));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                      cell.isValid() ? cell.center() : QPoint(5, 5));
    RunEventLoop();
  }

  // Everything a user does to the controls, with a paint of all of them.
  void UseEveryControl() {
    static_cast<void>(window.grab());
    grid->setFocus();
    ClickCell(0, colName);
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_F2}) {
      Key(QApplication::focusWidget(), key);
    }
    QTest::keyClicks(QApplication::focusWidget(), "x");
    Key(QApplication::focusWidget(), Qt::Key_Return);
    Key(grid, Qt::Key_Insert);
    Key(grid, Qt::Key_Escape);
    Key(grid, Qt::Key_Delete, Qt::ControlModifier);
    ClickCell(0, colRank);
    Key(grid, Qt::Key_F2);
    Key(QApplication::focusWidget(), Qt::Key_Down);
    Key(QApplication::focusWidget(), Qt::Key_Escape);
    for (int button = 0; button < NavigateBtnCount; ++button) {
      navigator->BtnClick(TNavigateBtn(button));
    }
    edit->setFocus();
    QTest::keyClicks(edit, "y");
    other->setFocus();
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(6, box->height() / 2));
    for (TDataLookupComboBox* combo : {rankBox, refBox, spareBox}) {
      combo->setFocus();
      Key(combo, Qt::Key_Down);
    }
    other->setFocus();
    RunEventLoop();
    static_cast<void>(window.grab());
  }

  QStringList Items(const TDataLookupComboBox* combo) const {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) {
      items << combo->itemText(i);
    }
    return items;
  }

  std::unique_ptr<TClientDataSet> ranks;
  std::unique_ptr<TClientDataSet> table;
  TDialogRecorder dialogs;
  QWidget window;
  QLineEdit* other = nullptr;
  TDataGrid* grid = nullptr;
  TDataNavigator* navigator = nullptr;
  TDataEdit* edit = nullptr;
  TDataCheckBox* box = nullptr;
  TDataLookupComboBox* rankBox = nullptr;
  TDataLookupComboBox* refBox = nullptr;
  TDataLookupComboBox* spareBox = nullptr;
  std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_P(ControlsOutliveTheirTables, TheTableGoesFirstWhileACellIsBeingTyped) {
  ClickCell(1, colName);
  QTest::keyClicks(grid, "Orlov");
  ASSERT_TRUE(grid->EditorOpen());
  Destroy(table);

  EXPECT_EQ(grid->DataSet(), nullptr);
  EXPECT_FALSE(grid->EditorOpen());
  EXPECT_EQ(grid->model()->rowCount(), 0);
  EXPECT_EQ(grid->model()->columnCount(), 0);
  EXPECT_EQ(navigator->DataSet(), nullptr);
  for (int button = 0; button < NavigateBtnCount; ++button) {
    EXPECT_FALSE(navigator->Button(TNavigateBtn(button))->isEnabled()) << button;
  }
  EXPECT_EQ(edit->Field(), nullptr);
  EXPECT_EQ(edit->text(), "");
  EXPECT_TRUE(edit->isReadOnly());
  EXPECT_EQ(box->Field(), nullptr);
  EXPECT_FALSE(box->isChecked());
  EXPECT_EQ(rankBox->count(), 0);
  EXPECT_EQ(refBox->count(), 0);
  EXPECT_EQ(refBox->ListSource(), ranks.get());
  UseEveryControl();

  // Bound again, they work as before.
  TClientDataSet fresh("dsCompetitor");
  DefineCompetitors(fresh, ranks.get());
  fresh.CreateDataSet();
  AppendCompetitors(fresh, {{"Kozlov", 90.0, 1, ""}});
  grid->SetDataSet(&fresh);
  edit->SetDataSet(&fresh);
  refBox->SetDataSet(&fresh);
  EXPECT_EQ(ModelColumn(*grid->model(), colName), QStringList{"Kozlov"});
  EXPECT_EQ(edit->text(), "Kozlov");
  EXPECT_EQ(refBox->currentText(), QString::fromUtf8("ЗМС"));
  grid->SetDataSet(nullptr);
  edit->SetDataSet(nullptr);
  refBox->SetDataSet(nullptr);
}

TEST_P(ControlsOutliveTheirTables, TheLookupTableGoesFirst) {
  Destroy(ranks);

  EXPECT_EQ(table->FieldByName("Rank").LookupDataSet(), nullptr);
  EXPECT_EQ(ModelColumn(*grid->model(), colName), (QStringList{"Ivanov", "Petrov", "Sidorov"}));
  EXPECT_EQ(ModelColumn(*grid->model(), colRank), (QStringList{"", "", ""}));
  EXPECT_EQ(Items(rankBox), QStringList());
  EXPECT_EQ(Items(refBox), QStringList());
  EXPECT_EQ(refBox->ListSource(), nullptr);
  EXPECT_EQ(spareBox->ListSource(), nullptr);
  // The box that had no field bound yet must not reach for the gone table.
  spareBox->SetDataSet(table.get());
  spareBox->SetDataField("RankRef");
  EXPECT_EQ(spareBox->count(), 0);
  UseEveryControl();

  // And then the table itself.
  Destroy(table);
  EXPECT_EQ(grid->model()->rowCount(), 0);
  UseEveryControl();
}

INSTANTIATE_TEST_SUITE_P(Controls, ControlsOutliveTheirTables, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Detached" : "Following";
                         });

}  // namespace
