// The window's components: each one the later tabs' logic relies on exists
// under its name, with its kind and its state at start; the stream frames;
// the grids that post their edit when the focus leaves them; the rank "none"
// chosen in a grid and carried into the handbook.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

#include "app/file_dialog.h"
#include "app/frames/stream_frame.h"
#include "app/image_list.h"
#include "platform/widgets/data_check_box.h"
#include "platform/widgets/data_edit.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/data_lookup_combo_box.h"
#include "platform/widgets/data_navigator.h"
#include "tests/app/athletes.h"
#include "tests/app/window_fixture.h"

namespace app_test {
namespace {

using Components = WindowTest;

template <class T>
void ExpectAll(TfrmMain& window, std::initializer_list<const char*> names, const char* kind) {
  for (const char* name : names) {
    EXPECT_NE(window.findChild<T*>(QString::fromLatin1(name)), nullptr) << kind << " " << name;
  }
}

TEST_F(Components, EveryNamedComponentExistsWithItsKind) {
  auto window = Start();
  TfrmMain& w = *window;
  ExpectAll<QTabWidget>(w,
                        {"pcMain", "pcProtocol", "pcNormativeSex", "pcWeight", "pcStream", "pcCompetition",
                         "pcCompetitionWeight", "pcRelayRaceSex", "pcRRDiscipline"},
                        "page control");
  // Pages, each in its page control.
  const std::pair<const char*, const char*> pages[] = {
      {"pcMain", "tbshProtocol"},
      {"pcMain", "tbshCredentialsCommittee"},
      {"pcMain", "tbshWeight"},
      {"pcMain", "tbshStream"},
      {"pcMain", "tbshCompetition"},
      {"pcMain", "tbshRelayRace"},
      {"pcMain", "tbshTeamProtocol"},
      {"pcProtocol", "tbshProtocol_General"},
      {"pcProtocol", "tbshRefereePlatformMain"},
      {"pcProtocol", "tbshRefereePlatform"},
      {"pcProtocol", "tbshProtocol_Weight"},
      {"pcProtocol", "tbshNormative"},
      {"pcNormativeSex", "tbshNormMan"},
      {"pcNormativeSex", "tbshNormWoman"},
      {"pcWeight", "tbshWoman"},
      {"pcWeight", "tbshMan"},
      {"pcStream", "tbshStreamSnatch"},
      {"pcStream", "tbshStreamLongCycle"},
      {"pcStream", "tbshStreamBiathlon"},
      {"pcCompetition", "tbshSnatch"},
      {"pcCompetition", "tbshLongCycle"},
      {"pcCompetition", "tbshBiathlon"},
      {"pcCompetitionWeight", "tbshCompWoman"},
      {"pcCompetitionWeight", "tbshCompMan"},
      {"pcRelayRaceSex", "tbshRRMan"},
      {"pcRelayRaceSex", "tbshRRWoman"},
      {"pcRRDiscipline", "tbshRRJerk"},
      {"pcRRDiscipline", "tbshRRLongCycle"},
      {"pcRRDiscipline", "tbshRRSnatch"},
  };
  for (const auto& [control, page] : pages) {
    auto* pagesControl = w.findChild<QTabWidget*>(QString::fromLatin1(control));
    QWidget* sheet = w.findChild<QWidget*>(QString::fromLatin1(page));
    ASSERT_NE(pagesControl, nullptr) << control;
    ASSERT_NE(sheet, nullptr) << page;
    EXPECT_GE(pagesControl->indexOf(sheet), 0) << page << " in " << control;
  }
  // The order of the main pages is the order the secretary works in.
  EXPECT_EQ(w.pcMain->indexOf(w.tbshProtocol), 0);
  EXPECT_EQ(w.pcWeight->indexOf(w.tbshWoman), 0);
  EXPECT_EQ(w.pcRelayRaceSex->indexOf(w.tbshRRMan), 0);

  ExpectAll<TDataGrid>(
      w,
      {"grOrganizer", "grRefereePlatformMain", "grRefereePlatform", "grManWeight", "grWomanWeight",
       "grNormative", "grCompetitor", "grCompetitorHB", "grWeight", "grStreamHB", "grSnatch", "grLongCycle",
       "grBiathlon", "grRelayRace", "grRelayRaceHB", "grRRTeam", "grTeamProtocol"},
      "grid");
  ExpectAll<TDataNavigator>(
      w,
      {"dbnvgrProtocolGeneral", "dbnvgrRefereePlatformMain", "dbnvgrRefereePlatform", "dbnvgrManWeight",
       "dbnvgrWomanWeight", "dbnvgrNormative", "dbnvgrCompetitor", "dbnvgrComp2", "dbnvgrSHWeight",
       "dbnvgrSnatch", "dbnvgrLongCycle", "dbnvgrBiathlon", "dbnvgrRelayRace", "dbnvgrTeamProtocol"},
      "navigator");
  ExpectAll<QToolButton>(w,
                         {"btnSaveOrganizator",
                          "btnSaveRefereePM",
                          "btnSaveRefereeP",
                          "btnSaveManWeight",
                          "btnSaveWomanWeight",
                          "btnRefreshManWeightHB",
                          "btnRefreshWomanWeightHB",
                          "btnSaveNormative",
                          "btnSaveCompetitor",
                          "btnLoadCompetitor",
                          "butHBSelect",
                          "btnSaveCompetitorWeight",
                          "butCompetitorStreamSelect",
                          "btnRefreshStreamHB",
                          "btnNewCompetition",
                          "btnSaveSnatch",
                          "btnLoadSnatch",
                          "btnPrintSnatch",
                          "btnSetPointSnatch",
                          "btnSetMadeRankSnatch",
                          "btnSaveLongCycle",
                          "btnLoadLongCycle",
                          "btnPrintLongCycle",
                          "btnSetPointLongCycle",
                          "btnSetMadeRankLongCycle",
                          "btnSaveBiathlon",
                          "btnLoadBiathlon",
                          "btnPrintBiathlon",
                          "btnSetPointBiathlon",
                          "btnSetMadeRankBiathlon",
                          "btnNewRelayRace",
                          "btnShowRRCompetitorHB",
                          "btnSaveRR",
                          "btnLoadRR",
                          "btnPrintRR",
                          "butCompetitorSelect",
                          "btnRRCalculate",
                          "btnCreateTeamProtocol",
                          "btnCalculatePosition",
                          "btnSaveTeamProtocol",
                          "btnLoadTeamProtocol",
                          "btnPrintTeamProtocol"},
                         "tool button");
  ExpectAll<QLineEdit>(w, {"edDate", "edCity", "edCompetitionName", "edRefereeMain", "edSecretary"}, "edit");
  ExpectAll<TDataEdit>(w,
                       {"edName", "edPassport", "edBirthday", "edTeam", "edTrainer", "edWeight",
                        "edBestResJerk", "edBestResSnatch", "edBestResBiathlon", "edBestResLongCycle"},
                       "data edit");
  ExpectAll<TDataLookupComboBox>(w, {"edRank", "edSex"}, "lookup list");
  ExpectAll<TDataCheckBox>(w, {"edAtTheTeam", "edSnatch", "edBiathlon", "edLongCycle"}, "data check box");
  ExpectAll<QCheckBox>(w,
                       {"cbBiathlon", "cbLongCycle", "cbSnatch", "cbRRDJerk", "cbRRDLongCycle", "cbRRDSnatch",
                        "cbCountTeamProtocolCompetitor", "cbAddRelayToTeamProtocol", "cbExcept"},
                       "check box");
  ExpectAll<QComboBox>(w,
                       {"cbSnatchWeightM", "cbSnatchWeightW", "cbLongCycleWeightM", "cbLongCycleWeightW",
                        "cbBiathlonWeightM", "cbBiathlonWeightW", "cbWomanWeightClass", "cbManWeightClass",
                        "cbCompWomanWeightClass", "cbCompManWeightClass", "cbTeam"},
                       "combo box");
  ExpectAll<QSpinBox>(w, {"seCountTeamProtocolCompetitor"}, "spin edit");
  ExpectAll<QLabel>(
      w, {"lbAnchor",       "lbDate",       "lbCity",        "lbDiscipline", "lbRelayRaceDiscipline",
          "lbWeightM",      "lbWeightW",    "lbX",           "lbName",       "lbPassport",
          "lbBirthday",     "lbRank",       "lbTeam",        "lbTrainer",    "lbWeight",
          "lbSex",          "lbBestResult", "lbBestResJerk", "lbDiscip",     "lbInvolved",
          "lbParticipants", "lbHandbook"},
      "label");
  ExpectAll<QWidget>(w, {"pMenuCompLeft", "pMenuRRLeft", "pRelayRace", "pTop"}, "panel");
  ExpectAll<TfrmStream>(w, {"frmStreamSnatch", "frmStreamLongCycle", "frmStreamBiathlon"}, "stream frame");
  ExpectAll<QMenu>(w, {"miLanguage"}, "menu");
  ExpectAll<QAction>(w, {"miLanguage_RU", "miLanguage_EN", "miExportExcel", "mniAbout"}, "menu item");
  EXPECT_EQ(w.miLanguage->actions(), (QList<QAction*>{w.miLanguage_RU, w.miLanguage_EN}));
  EXPECT_EQ(w.lbX->text(), "X=");

  ASSERT_NE(w.findChild<TImageList*>("ImageList"), nullptr);
  EXPECT_EQ(w.ImageList->Width(), 32);
  EXPECT_EQ(w.ImageList->Height(), 32);
  for (int i = 0; i < w.ImageList->Count(); ++i) {
    EXPECT_FALSE(w.ImageList->Icon(i).pixmap(32, 32).isNull()) << i;
  }
  auto* save = w.findChild<TFileDialog*>("SaveDialog");
  auto* open = w.findChild<TFileDialog*>("OpenDialog");
  ASSERT_NE(save, nullptr);
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(save->DefaultExt, "ktp");
  EXPECT_EQ(open->Filter, "KTP|*.ktp");
  EXPECT_TRUE(save->Options & TFileDialog::ofOverwritePrompt);
  EXPECT_TRUE(open->Options & TFileDialog::ofFileMustExist);
}

TEST_F(Components, StatesAtStart) {
  auto window = Start();
  TfrmMain& w = *window;
  // Nothing can be viewed or filtered before the first build.
  EXPECT_FALSE(w.pcCompetition->isEnabled());
  EXPECT_FALSE(w.pMenuCompLeft->isEnabled());
  EXPECT_FALSE(w.pMenuRRLeft->isEnabled());
  EXPECT_FALSE(w.pRelayRace->isEnabled());
  EXPECT_TRUE(w.btnNewCompetition->isEnabled());
  EXPECT_TRUE(w.btnNewRelayRace->isEnabled());
  EXPECT_FALSE(w.cbExcept->isChecked());
  EXPECT_TRUE(w.btnShowRRCompetitorHB->isCheckable());
  EXPECT_FALSE(w.btnShowRRCompetitorHB->isChecked());

  struct TButtons {
    TDataNavigator* Navigator;
    QList<TNavigateBtn> Shown;
  };
  const QList<TNavigateBtn> browse = {nbFirst, nbPrior, nbNext, nbLast, nbEdit, nbPost, nbCancel};
  const QList<TNavigateBtn> noInsert = {nbFirst, nbPrior, nbNext, nbLast, nbDelete, nbEdit, nbPost, nbCancel};
  const TButtons navigators[] = {
      {w.dbnvgrCompetitor, {nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel}},
      {w.dbnvgrComp2, {nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel}},
      {w.dbnvgrSHWeight, browse},
      {w.dbnvgrSnatch, browse},
      {w.dbnvgrLongCycle, browse},
      {w.dbnvgrBiathlon, browse},
      {w.dbnvgrRelayRace, noInsert},
      {w.dbnvgrTeamProtocol, noInsert},
      {w.frmStreamSnatch->dbnvgrStream, {nbFirst, nbPrior, nbNext, nbLast, nbDelete}},
  };
  for (const TButtons& n : navigators) {
    for (int b = 0; b < NavigateBtnCount; ++b) {
      EXPECT_EQ(n.Navigator->ButtonVisible(TNavigateBtn(b)), n.Shown.contains(TNavigateBtn(b)))
          << n.Navigator->objectName().toStdString() << " "
          << TDataNavigator::ButtonName(TNavigateBtn(b)).toStdString();
    }
  }
  // Grids whose rows are only looked at.
  for (TDataGrid* grid :
       {w.grCompetitorHB, w.grStreamHB, w.grRelayRaceHB, w.grRRTeam, w.frmStreamSnatch->grStream}) {
    EXPECT_TRUE(grid->ReadOnly()) << grid->objectName().toStdString();
  }
  EXPECT_TRUE(w.grCompetitorHB->RowSelect());
  EXPECT_TRUE(w.grStreamHB->RowSelect());
  EXPECT_FALSE(w.grWeight->ColumnReadOnly(1));
  for (int position : {0, 2, 3}) {
    EXPECT_TRUE(w.grWeight->ColumnReadOnly(position));
  }
  EXPECT_EQ(w.grNormative->ColumnPickList(0), (QStringList{"Двоеборье", "Толчок ДЦ", "Рывок"}));
  EXPECT_EQ(w.grManWeight->ColumnFieldName(1), "RefereePlatform");
  EXPECT_EQ(w.grWomanWeight->ColumnFieldName(2), "RefereePlatformMain");
}

TEST_F(Components, StreamFramesCarryTheirOwnTableAndTexts) {
  auto window = Start();
  for (TfrmStream* frame : {window->frmStreamSnatch, window->frmStreamLongCycle, window->frmStreamBiathlon}) {
    EXPECT_EQ(frame->tlbarStream->objectName(), "tlbarStream");
    // The tool bar in its order.
    QStringList order;
    for (QAction* action : frame->tlbarStream->actions()) {
      if (QWidget* widget = frame->tlbarStream->widgetForAction(action)) {
        order << widget->objectName();
      }
    }
    EXPECT_EQ(order, (QStringList{"btnPrintStream", "btnAddStream", "btnDelStream", "dbnvgrStream",
                                  "cbStream", "btnDelAllStream"}));
    EXPECT_EQ(frame->cbStream->count(), 1);
    EXPECT_EQ(frame->cbStream->currentText(), "1");
    EXPECT_FALSE(frame->cbStream->isEditable());
    EXPECT_EQ(frame->grStream->DataSet(), &frame->dsStream);
    EXPECT_EQ(frame->dsStream.IndexName(), "dsStreamIndex");
    EXPECT_FALSE(frame->btnAddStream->icon().isNull());
    EXPECT_EQ(frame->btnAddStream->toolTip(), "Добавить поток");
    ASSERT_TRUE(frame->FTranslate);
    ASSERT_TRUE(frame->FSetNavigatorHints);
    ASSERT_TRUE(frame->FOnCompetitorRemoved);
  }
  // Each frame its own table.
  EXPECT_NE(&window->frmStreamSnatch->dsStream, &window->frmStreamBiathlon->dsStream);

  // The frame's text table, in a language of its own.
  TfrmStream frame;
  int hintCalls = 0;
  frame.FTranslate = [](const QString&, const QString& english) { return english; };
  frame.FSetNavigatorHints = [&](TDataNavigator& navigator, TDataNavigator* source) {
    EXPECT_EQ(&navigator, frame.dbnvgrStream);
    EXPECT_EQ(source, nullptr);
    ++hintCalls;
  };
  frame.SetLanguage();
  EXPECT_EQ(hintCalls, 1);
  EXPECT_EQ(frame.dsStream.FieldByName("Name").DisplayLabel(), "Name");
  EXPECT_EQ(frame.dsStream.FieldByName("Weight").DisplayLabel(), "Body weight");
  EXPECT_EQ(frame.btnAddStream->toolTip(), "Add stream");
  EXPECT_EQ(frame.btnDelStream->toolTip(), "Delete stream");
  EXPECT_EQ(frame.btnDelAllStream->toolTip(), "Delete all stream");
  EXPECT_EQ(frame.btnPrintStream->toolTip(), "Print");
}

// ---- Posting when the focus leaves a grid ----

struct TPostCase {
  const char* Grid;
  bool Posts;
};

TEST_F(Components, LeavingAGridPostsItsPendingRowOnlyWhereBound) {
  const TPostCase cases[] = {
      {"grCompetitor", true},
      {"grOrganizer", true},
      {"grRefereePlatform", true},
      {"grRefereePlatformMain", false},
  };
  for (const TPostCase& c : cases) {
    auto window = Start();
    ShowActive(*window);
    auto* grid = Find<TDataGrid>(*window, c.Grid);
    ASSERT_NE(grid, nullptr);
    // Show the grid's page and its parents.
    for (QWidget* page = grid; page != nullptr; page = page->parentWidget()) {
      if (auto* pages = qobject_cast<QTabWidget*>(page->parentWidget() ? page->parentWidget()->parentWidget()
                                                                       : nullptr);
          pages != nullptr && pages->indexOf(page) >= 0) {
        pages->setCurrentWidget(page);
      }
    }
    TClientDataSet& table = *grid->DataSet();
    QApplication::processEvents();
    ASSERT_TRUE(grid->isVisible()) << c.Grid;
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Insert);
    ASSERT_EQ(table.State(), TDataSetState::dsInsert) << c.Grid;
    Type("Новиков");
    QApplication::processEvents();
    window->pcMain->tabBar()->setFocus();
    QApplication::processEvents();
    if (c.Posts) {
      EXPECT_EQ(table.State(), TDataSetState::dsBrowse) << c.Grid;
      EXPECT_EQ(table.RecordCount(), 1) << c.Grid;
      EXPECT_EQ(table.FieldByName("Name").AsString(), "Новиков") << c.Grid;
    } else {
      EXPECT_EQ(table.State(), TDataSetState::dsInsert) << c.Grid;
      EXPECT_EQ(table.RecordCount(), 0) << c.Grid;
    }
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(u'\n').toStdString();
    window->hide();
    window.reset();
  }
}

// ---- The rank "none" ----

// The rank table's first row is the rank "none": key 0 with an empty name.
// Chosen in the register grid, and merged into the handbook at close, it stays
// that key rather than no key at all.
TEST_F(Components, TheRankNoneKeepsItsKeyFromTheGridToTheHandbook) {
  WriteAthletes({{.Name = "Иванов", .Rank = 3}, {.Name = "Петров", .Rank = 0}});
  auto window = Start();
  ShowActive(*window);
  TDataGrid& grid = *window->grCompetitor;
  ShowPageOf(&grid);
  Focus(&grid);
  grid.setCurrentIndex(grid.model()->index(0, grid.ColumnPosition("Rank")));
  QTest::keyClick(&grid, Qt::Key_F2);
  auto* ranks = qobject_cast<QComboBox*>(QApplication::focusWidget());
  ASSERT_NE(ranks, nullptr);
  ASSERT_EQ(ranks->currentText(), "КМС");
  ASSERT_EQ(ranks->itemText(0), "");
  QTest::keyClick(ranks, Qt::Key_Home);
  QApplication::processEvents();
  Click(window->dbnvgrCompetitor->Button(nbPost));
  const QStringList none = {"Иванов|0", "Петров|0"};
  EXPECT_EQ(ViewRows(window->dsCompetitor, {"Name", "RankRef"}), none);

  Stop(window);
  EXPECT_EQ(ReadRows(&TCompetitionTables::dsCompetitor, "Competitor.xml", {"Name", "RankRef"}), none);
  EXPECT_EQ(ReadRows(&TCompetitionTables::dsCompetitorHB, "CompetitorHB.xml", {"Name", "RankRef"}), none);
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

}  // namespace
}  // namespace app_test
