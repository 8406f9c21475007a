// Weighing and weight classes: the class selectors and their filter texts,
// who a class lists, weighing a competitor out of the shown class, the
// referee pick lists, the ranks-requirements pages and the open class across
// a language switch.
#include <QComboBox>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include "app/main_window.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/data_navigator.h"
#include "tests/app/athletes.h"
#include "tests/app/window_fixture.h"
#include "tests/platform/widgets/real_error_box.h"

namespace app_test {
namespace {

using Weighing = WindowTest;

// ---- Filter texts ----

struct TFilterCase {
  const char* What;
  bool Men;
  int Item;
  const char* Filter;
};

TEST_F(Weighing, EachClassOfTheWeighingSelectorsFiltersTheRegister) {
  const TFilterCase cases[] = {
      {"all women", false, 0, "SexRef=0"},
      {"first women's class", false, 1, "SexRef=0 and Weight <= 58"},
      {"a later women's class", false, 2, "SexRef=0 and Weight > 58 and Weight <= 63"},
      {"women's open class", false, 4, "SexRef=0 and Weight > 68 and Weight <= 1000"},
      {"all men", true, 0, "SexRef=1"},
      {"first men's class", true, 1, "SexRef=1 and Weight <= 63"},
      {"a later men's class", true, 2, "SexRef=1 and Weight > 63 and Weight <= 68"},
      {"men's open class", true, 8, "SexRef=1 and Weight > 105 and Weight <= 1000"},
  };
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->tbshWeight);
  EXPECT_EQ(window->pcWeight->currentWidget(), window->tbshWoman);
  EXPECT_EQ(window->dsCompetitor.IndexName(), QStringLiteral("dsCompetitorIndexWeight"));
  EXPECT_EQ(window->cbManWeightClass->itemText(0), QStringLiteral("все"));
  EXPECT_EQ(window->cbManWeightClass->itemText(8), QStringLiteral("свыше"));
  for (const TFilterCase& c : cases) {
    ShowPageOf(c.Men ? window->tbshMan : window->tbshWoman);
    Choose(c.Men ? *window->cbManWeightClass : *window->cbWomanWeightClass, c.Item);
    EXPECT_EQ(window->dsCompetitor.Filter(), QString::fromLatin1(c.Filter)) << c.What;
    EXPECT_TRUE(window->dsCompetitor.Filtered()) << c.What;
  }
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

TEST_F(Weighing, ACompetitionSelectorFiltersAllThreeProtocols) {
  const TFilterCase cases[] = {
      {"first women's class", false, 0, "SexRef=0 and Weight <= 58"},
      {"women's open class", false, 3, "SexRef=0 and Weight > 68 and Weight <= 1000"},
      {"first men's class", true, 0, "SexRef=1 and Weight <= 63"},
      {"men's 68", true, 1, "SexRef=1 and Weight > 63 and Weight <= 68"},
      {"men's open class", true, 7, "SexRef=1 and Weight > 105 and Weight <= 1000"},
  };
  WriteAthletes({{"Иванов"}});
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->tbshCompetition);
  QTest::mouseClick(window->btnNewCompetition, Qt::LeftButton);
  for (const TFilterCase& c : cases) {
    ShowPageOf(c.Men ? window->tbshCompMan : window->tbshCompWoman);
    Choose(c.Men ? *window->cbCompManWeightClass : *window->cbCompWomanWeightClass, c.Item);
    for (TClientDataSet* protocol : {&window->dsSnatch, &window->dsLongCycle, &window->dsBiathlon}) {
      EXPECT_EQ(protocol->Filter(), QString::fromLatin1(c.Filter)) << c.What;
      EXPECT_TRUE(protocol->Filtered()) << c.What;
    }
  }
}

TEST_F(Weighing, AClassTableOfTheOpenClassAloneFiltersUpTo1000) {
  TCompetitionTables tables;
  WriteTable(tables.dsManWeight, QStringLiteral("ManWeight.xml"), [](TClientDataSet& t) {
    t.Append();
    t.FieldByName("Weight").SetAsInteger(1000);
    t.Post();
  });
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->tbshWeight);
  ShowPageOf(window->tbshMan);
  Choose(*window->cbManWeightClass, 1);
  EXPECT_EQ(window->dsCompetitor.Filter(), QStringLiteral("SexRef=1 and Weight <= 1000"));
}

// ---- Who a class lists ----

TEST_F(Weighing, AWeightOnALimitBelongsToThatLimitsClass) {
  WriteAthletes({{"Ровно63", 1, 63}, {"Чуть63", 1, 63.1}, {"Тяжёлый", 1, 120}, {"Лёгкая", 0, 55}});
  auto window = Start();
  ShowActive(*window);
  // A competitor without a body weight: only "all" lists him.
  window->dsCompetitor.Append();
  window->dsCompetitor.FieldByName("Name").SetAsString(QStringLiteral("Без веса"));
  window->dsCompetitor.FieldByName("SexRef").SetAsInteger(1);
  window->dsCompetitor.FieldByName("Birthday").SetAsString(QStringLiteral("01.01.1990"));
  window->dsCompetitor.Post();
  ShowPageOf(window->tbshWeight);
  ShowPageOf(window->tbshMan);
  const struct {
    int Item;
    QStringList Listed;
  } cases[] = {
      {0, {"Без веса", "Ровно63", "Чуть63", "Тяжёлый"}},
      {1, {"Ровно63"}},
      {2, {"Чуть63"}},
      {8, {"Тяжёлый"}},
  };
  for (const auto& c : cases) {
    Choose(*window->cbManWeightClass, c.Item);
    EXPECT_EQ(GridColumn(*window->grWeight), c.Listed) << c.Item;
  }
}

TEST_F(Weighing, AllWomenAreListedByBodyWeight) {
  WriteAthletes({{"Третья", 0, 70}, {"Первая", 0, 50}, {"Мужчина", 1, 60}, {"Вторая", 0, 61.5}});
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->tbshWeight);
  EXPECT_EQ(GridColumn(*window->grWeight), (QStringList{"Первая", "Вторая", "Третья"}));
  // The registration tab lists every competitor again, in the order of entry.
  ShowPageOf(window->tbshCredentialsCommittee);
  EXPECT_EQ(window->dsCompetitor.RecordCount(), 4);
  EXPECT_TRUE(window->dsCompetitor.IndexName().isEmpty());
}

TEST_F(Weighing, AWeighedCompetitorLeavesTheClassShownWhenPosted) {
  WriteAthletes({{"Петров", 1, 62}, {"Сидоров", 1, 60}});
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->tbshWeight);
  ShowPageOf(window->tbshMan);
  Choose(*window->cbManWeightClass, 1);
  ASSERT_EQ(GridColumn(*window->grWeight), (QStringList{"Сидоров", "Петров"}));
  EnterCell(*window->grWeight, 1, "RealWeight", QStringLiteral("64,2"));
  window->dbnvgrSHWeight->Button(nbPost)->click();
  QApplication::processEvents();
  EXPECT_EQ(GridColumn(*window->grWeight), QStringList{"Сидоров"});
  Choose(*window->cbManWeightClass, 2);
  EXPECT_EQ(GridColumn(*window->grWeight), QStringList{"Петров"});
  EXPECT_DOUBLE_EQ(window->dsCompetitor.FieldByName("Weight").AsFloat(), 64.2);
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

// Weighing adds and removes nobody: its navigator has no such buttons, and
// neither have the grid's keys.
TEST_F(Weighing, TheWeighingGridsKeysDeleteAndAddNobody) {
  WriteAthletes({{"Петров", 1, 62}, {"Сидоров", 1, 60}});
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->tbshWeight);
  ShowPageOf(window->tbshMan);
  TDataGrid& grid = *window->grWeight;
  Focus(&grid);
  grid.setCurrentIndex(grid.model()->index(1, grid.ColumnPosition(QStringLiteral("RealWeight"))));
  for (const auto& [key, modifiers] :
       {std::pair{Qt::Key_Delete, Qt::ControlModifier}, std::pair{Qt::Key_Insert, Qt::NoModifier},
        std::pair{Qt::Key_Down, Qt::NoModifier}}) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    QApplication::processEvents();
  }
  EXPECT_EQ(GridColumn(grid), (QStringList{"Сидоров", "Петров"}));
  EXPECT_EQ(window->dsCompetitor.State(), TDataSetState::dsBrowse);
  ShowPageOf(window->tbshCredentialsCommittee);
  EXPECT_EQ(window->dsCompetitor.RecordCount(), 2);
  EXPECT_TRUE(Dialogs.Questions.isEmpty());
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

// Showing the other sex's page filters the register anew while a measured
// weight may still be in its cell's editor (a click on a page tab leaves the
// focus in the grid): it is written and posted first, not dropped.
TEST_F(Weighing, AWeightStillBeingTypedIsKeptWhenThePageChanges) {
  WriteAthletes({{"Петрова", 0, 60}, {"Петров", 1, 62}});
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->tbshWeight);
  TDataGrid& grid = *window->grWeight;
  ASSERT_EQ(GridColumn(grid), QStringList{"Петрова"});
  Focus(&grid);
  grid.setCurrentIndex(grid.model()->index(0, grid.ColumnPosition(QStringLiteral("RealWeight"))));
  TypeText(QStringLiteral("57,5"));
  ASSERT_TRUE(grid.EditorOpen());
  QTabBar* pages = window->pcWeight->tabBar();
  QTest::mouseClick(pages, Qt::LeftButton, Qt::NoModifier, pages->tabRect(1).center());
  QApplication::processEvents();
  ASSERT_EQ(window->pcWeight->currentWidget(), window->tbshMan);
  EXPECT_EQ(GridColumn(grid), QStringList{"Петров"});
  ShowPageOf(window->tbshCredentialsCommittee);
  EXPECT_EQ(ViewRows(window->dsCompetitor, {"Name", "RealWeight", "Weight"}),
            (QStringList{"Петрова|57,5|57,5", "Петров||62"}));
  EXPECT_EQ(window->dsCompetitor.State(), TDataSetState::dsBrowse);
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

// A class limit above 999 is told in the program's message box; once it is
// answered, the keys are the class grid's again on the limit's cell.
TEST_F(Weighing, AfterARefusedClassLimitTheKeysGoOnInItsCell) {
  auto window = Start();
  ShowActive(*window);
  TDataGrid& grid = *window->grManWeight;
  ShowPageOf(&grid);
  widgets_test::TRealErrorBox box;
  EnterCell(grid, 5, "Weight", QStringLiteral("1200"));
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QApplication::processEvents();
  EXPECT_EQ(box.Shown, QStringList{"Значение не может быть больше, чем 999"});
  EXPECT_EQ(QApplication::focusWidget(), &grid);
  EXPECT_EQ(grid.currentIndex(), grid.model()->index(5, grid.ColumnPosition(QStringLiteral("Weight"))));

  QTest::keyClick(&grid, Qt::Key_Escape);
  EXPECT_EQ(window->dsManWeight.State(), TDataSetState::dsBrowse);
  TypeText(QStringLiteral("100"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
  QApplication::processEvents();
  EXPECT_EQ(GridColumn(grid), (QStringList{"63", "68", "73", "78", "85", "100", "105", "свыше"}));
  EXPECT_EQ(window->dsManWeight.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(box.Shown.size(), 1);
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

TEST_F(Weighing, ANewClassShowsInTheSelectorAtTheNextWeighing) {
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->tbshWeight);
  ShowPageOf(window->grManWeight);
  window->dsManWeight.Append();
  window->dsManWeight.FieldByName("Weight").SetText(QStringLiteral("90"));
  window->dsManWeight.Post();
  ShowPageOf(window->tbshWeight);
  ShowPageOf(window->tbshMan);
  EXPECT_EQ(Items(*window->cbManWeightClass),
            (QStringList{"все", "63", "68", "73", "78", "85", "90", "95", "105", "свыше"}));
  Choose(*window->cbManWeightClass, 7);
  EXPECT_EQ(window->dsCompetitor.Filter(), QStringLiteral("SexRef=1 and Weight > 90 and Weight <= 95"));
}

TEST_F(Weighing, ALanguageSwitchRelabelsTheSelectorsAndTheOpenClassStillFilters) {
  WriteAthletes({{"Иванов"}});
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->tbshCompetition);
  QTest::mouseClick(window->btnNewCompetition, Qt::LeftButton);
  ShowPageOf(window->tbshCompMan);
  Choose(*window->cbCompManWeightClass, 7);
  ShowPageOf(window->tbshWeight);
  ShowPageOf(window->tbshMan);
  Choose(*window->cbManWeightClass, 8);

  SwitchTo(*window, 1);
  EXPECT_EQ(window->cbManWeightClass->itemText(0), QStringLiteral("all"));
  EXPECT_EQ(window->cbManWeightClass->currentText(), QStringLiteral("above"));
  EXPECT_EQ(window->cbCompManWeightClass->currentText(), QStringLiteral("above"));
  EXPECT_EQ(window->cbCompWomanWeightClass->itemText(3), QStringLiteral("above"));
  Choose(*window->cbManWeightClass, 8);
  EXPECT_EQ(window->dsCompetitor.Filter(), QStringLiteral("SexRef=1 and Weight > 105 and Weight <= 1000"));
  ShowPageOf(window->tbshCompetition);
  Choose(*window->cbCompManWeightClass, 7);
  EXPECT_EQ(window->dsSnatch.Filter(), QStringLiteral("SexRef=1 and Weight > 105 and Weight <= 1000"));
}

TEST_F(Weighing, ACompetitionSelectorWithoutClassesChangesNoFilter) {
  TCompetitionTables tables;
  WriteTable(tables.dsWomanWeight, QStringLiteral("WomanWeight.xml"), {});
  WriteAthletes({{"Иванова", 0, 60}});
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->tbshCompetition);
  QTest::mouseClick(window->btnNewCompetition, Qt::LeftButton);
  EXPECT_EQ(window->cbCompWomanWeightClass->count(), 0);
  ShowPageOf(window->tbshCompWoman);
  Choose(*window->cbCompWomanWeightClass, -1);
  EXPECT_TRUE(window->dsSnatch.Filter().isEmpty());
  EXPECT_EQ(window->dsSnatch.RecordCount(), 1);
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

TEST_F(Weighing, TheRefereeColumnsOfferTheRefereesInTheirTablesOrder) {
  auto names = [](TClientDataSet& t, const QStringList& list) {
    for (const QString& name : list) {
      t.Append();
      t.FieldByName("Name").SetAsString(name);
      t.Post();
    }
  };
  TCompetitionTables tables;
  WriteTable(tables.dsRefereePlatform, QStringLiteral("RefereePlatform.xml"), [&](TClientDataSet& t) {
    names(t, {"Орлов", "Белов"});
  });
  WriteTable(tables.dsRefereePlatformMain, QStringLiteral("RefereePlatformMain.xml"),
             [&](TClientDataSet& t) { names(t, {"Главный"}); });
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->grWomanWeight);
  for (TDataGrid* grid : {window->grWomanWeight, window->grManWeight}) {
    EXPECT_EQ(grid->ColumnPickList(1), (QStringList{"Орлов", "Белов"}));
    EXPECT_EQ(grid->ColumnPickList(2), QStringList{"Главный"});
  }
  // A referee added later is offered after the refresh button.
  window->dsRefereePlatform.Append();
  window->dsRefereePlatform.FieldByName("Name").SetAsString(QStringLiteral("Новиков"));
  window->dsRefereePlatform.Post();
  QTest::mouseClick(window->btnRefreshWomanWeightHB, Qt::LeftButton);
  EXPECT_EQ(window->grManWeight->ColumnPickList(1), (QStringList{"Орлов", "Белов", "Новиков"}));
}

TEST_F(Weighing, ARequirementAddedOnASexPageBelongsToThatSex) {
  auto window = Start();
  ShowActive(*window);
  for (const auto& [page, sex] : {std::pair{window->tbshNormWoman, 0}, std::pair{window->tbshNormMan, 1}}) {
    ShowPageOf(page);
    EXPECT_EQ(window->dsNormative.Filter(), QStringLiteral("sexref = %1").arg(sex));
    window->dsNormative.Append();
    EXPECT_EQ(window->dsNormative.FieldByName("SexRef").AsInteger(), sex);
    window->dsNormative.Cancel();
  }
}

}  // namespace
}  // namespace app_test
