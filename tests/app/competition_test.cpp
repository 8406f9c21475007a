// The discipline protocols from the window: the build from the register,
// places as results are typed, the biathlon sum, team points and achieved
// ranks, the pages of the disciplines held.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QTabWidget>
#include <QToolButton>

#include "app/main_window.h"
#include "platform/widgets/data_grid.h"
#include "tests/app/athletes.h"
#include "tests/app/window_fixture.h"
#include "tests/platform/widgets/real_error_box.h"
#include "tests/support/pdf_reader.h"

namespace app_test {
namespace {

using Competition = WindowTest;

// Builds the protocols on the competition tab and shows the men's class at
// the given item.
void Build(TfrmMain& window, bool men = true, int item = 1) {
  ShowPageOf(window.tbshCompetition);
  Click(window.btnNewCompetition);
  ShowPageOf(men ? window.tbshCompMan : window.tbshCompWoman);
  Choose(men ? *window.cbCompManWeightClass : *window.cbCompWomanWeightClass, item);
}

QStringList Column(TClientDataSet& table, const char* field) {
  return ViewTexts(table, field);
}

// ---- The build ----

TEST_F(Competition, EachProtocolTakesTheCompetitorsEnteredForIt) {
  WriteAthletes({{"Рывок", 1, 66, "Динамо", true, false, false, true, 3, "02.03.1995", "Тренер"},
                 {"Толчок", 1, 67, "Спартак", false, true, false, false},
                 {"Все три", 1, 65, "Динамо", true, true, true},
                 {"Никуда", 1, 64, "Динамо", false, false, false}});
  auto window = Start();
  ShowActive(*window);
  // The weighing tab leaves the register filtered; the build borrows the filter and puts it back.
  ShowPageOf(window->tbshWeight);
  ShowPageOf(window->tbshMan);
  Choose(*window->cbManWeightClass, 2);
  const QString registerFilter = window->dsCompetitor.Filter();
  EXPECT_FALSE(window->pcCompetition->isEnabled());
  Build(*window);
  EXPECT_TRUE(window->pcCompetition->isEnabled());
  EXPECT_TRUE(window->pMenuCompLeft->isEnabled());
  EXPECT_EQ(window->dsCompetitor.Filter(), registerFilter);
  EXPECT_TRUE(window->dsCompetitor.Filtered());

  EXPECT_EQ(Column(window->dsSnatch, "Name"), (QStringList{"Все три", "Рывок"}));
  EXPECT_EQ(Column(window->dsLongCycle, "Name"), (QStringList{"Все три", "Толчок"}));
  EXPECT_EQ(Column(window->dsBiathlon, "Name"), QStringList{"Все три"});
  window->dsSnatch.Last();
  EXPECT_EQ(window->dsSnatch.FieldByName("Team").AsString(), QStringLiteral("Динамо"));
  EXPECT_EQ(window->dsSnatch.FieldByName("Rank").AsString(), QStringLiteral("КМС"));
  EXPECT_EQ(window->dsSnatch.FieldByName("Trainer").AsString(), QStringLiteral("Тренер"));
  EXPECT_EQ(window->dsSnatch.FieldByName("Birthday").AsString(), QStringLiteral("02.03.1995"));
  EXPECT_TRUE(window->dsSnatch.FieldByName("AtTheTeam").AsBoolean());
  for (const char* empty : {"Position", "Result", "Point", "MadeRankRef"}) {
    EXPECT_TRUE(window->dsSnatch.FieldByName(empty).IsNull()) << empty;
  }
  window->dsLongCycle.Last();
  EXPECT_FALSE(window->dsLongCycle.FieldByName("AtTheTeam").AsBoolean());

  // The guards are back: the user adds no row to a protocol.
  EXPECT_THROW(window->dsSnatch.Append(), EAbort);
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
  EXPECT_TRUE(Dialogs.Questions.isEmpty());
}

TEST_F(Competition, ARebuildAsksFirstAndCancelKeepsEveryProtocol) {
  WriteAthletes({{"Иванов", 1, 66, "Динамо", true, true, true}});
  auto window = Start();
  ShowActive(*window);
  Build(*window);
  EnterCell(*window->grSnatch, 0, "Result", QStringLiteral("120"));
  window->dsLongCycle.First();
  window->dsLongCycle.Edit();
  window->dsLongCycle.FieldByName("Result").SetAsInteger(50);
  window->dsLongCycle.Post();

  Dialogs.Answer = false;
  Click(window->btnNewCompetition);
  EXPECT_EQ(Dialogs.Questions, QStringList{"Протокол будет удален и пересоздан"});
  EXPECT_EQ(Column(window->dsSnatch, "Result"), QStringList{"120"});
  EXPECT_EQ(Column(window->dsLongCycle, "Result"), QStringList{"50"});
  EXPECT_EQ(window->cbCompManWeightClass->currentIndex(), 1);

  Dialogs.Answer = true;
  Click(window->btnNewCompetition);
  EXPECT_EQ(Dialogs.Questions.size(), 2);
  // A rebuild shows the first class of the sex page shown.
  EXPECT_EQ(window->cbCompManWeightClass->currentIndex(), 0);
  Choose(*window->cbCompManWeightClass, 1);
  EXPECT_EQ(Column(window->dsSnatch, "Result"), QStringList{""});
  EXPECT_EQ(Column(window->dsLongCycle, "Result"), QStringList{""});
}

TEST_F(Competition, OnlyTheDisciplinesHeldShowTheirPages) {
  auto window = Start();
  ShowActive(*window);
  window->cbSnatch->setChecked(false);
  window->cbBiathlon->setChecked(false);
  ShowPageOf(window->tbshCompetition);
  EXPECT_FALSE(window->pcCompetition->isTabVisible(window->pcCompetition->indexOf(window->tbshSnatch)));
  EXPECT_TRUE(window->pcCompetition->isTabVisible(window->pcCompetition->indexOf(window->tbshLongCycle)));
  EXPECT_FALSE(window->pcCompetition->isTabVisible(window->pcCompetition->indexOf(window->tbshBiathlon)));
  EXPECT_EQ(window->pcCompetition->currentWidget(), window->tbshLongCycle);
}

// ---- Places ----

TEST_F(Competition, PlacesFollowEveryResultAndTheCursorKeepsItsLine) {
  WriteAthletes(
      {{"А", 1, 67}, {"Б", 1, 66}, {"В", 1, 65.5}, {"Г", 1, 66}, {"Д", 1, 64}, {"Другой класс", 1, 70}});
  auto window = Start();
  ShowActive(*window);
  Build(*window);
  TDataGrid& grid = *window->grSnatch;
  // Rows without a result are listed lighter first.
  ASSERT_EQ(GridColumn(grid).size(), 5);
  const struct {
    int Line;  // 0-based line of the grid typed into
    const char* Result;
    QStringList Names;  // the view afterwards
    QStringList Places;
  } steps[] = {
      {0, "100", {"Д", "В", "Б", "Г", "А"}, {"1", "2", "3", "4", "5"}},
      // Equal results: the lighter athlete first; equal weights keep distinct places.
      {1, "100", {"Д", "В", "Б", "Г", "А"}, {"1", "2", "3", "4", "5"}},
      {2, "100", {"Д", "В", "Б", "Г", "А"}, {"1", "2", "3", "4", "5"}},
      {3, "100", {"Д", "В", "Б", "Г", "А"}, {"1", "2", "3", "4", "5"}},
      // From the fifth line to the first: the cursor stays on the fifth line.
      {4, "130", {"А", "Д", "В", "Б", "Г"}, {"1", "2", "3", "4", "5"}},
      // A lower result moves the athlete down; the cursor stays on the first line.
      {0, "90", {"Д", "В", "Б", "Г", "А"}, {"1", "2", "3", "4", "5"}},
  };
  window->dsSnatch.First();
  for (const auto& step : steps) {
    EnterCell(grid, step.Line, "Result", QString::fromLatin1(step.Result));
    EXPECT_EQ(Column(window->dsSnatch, "Name"), step.Names) << step.Line;
    EXPECT_EQ(Column(window->dsSnatch, "Position"), step.Places) << step.Line;
    EXPECT_EQ(window->dsSnatch.RecNo(), step.Line + 1) << step.Line;
    EXPECT_EQ(grid.currentIndex().row(), step.Line) << step.Line;
    EXPECT_EQ(window->dsSnatch.State(), TDataSetState::dsBrowse) << step.Line;
  }
  // Another class's rows keep their places.
  Choose(*window->cbCompManWeightClass, 2);
  EXPECT_EQ(Column(window->dsSnatch, "Position"), QStringList{""});
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

// Types a run of keys where the focus is: numbers as they are, and the words
// Enter, Down, Up, Tab, Left, Escape, Insert, Ctrl+Home and Ctrl+Delete as
// those keys.
void Keys(const QString& run) {
  static const QMap<QString, std::pair<Qt::Key, Qt::KeyboardModifiers>> named = {
      {"Enter", {Qt::Key_Return, Qt::NoModifier}},
      {"Down", {Qt::Key_Down, Qt::NoModifier}},
      {"Up", {Qt::Key_Up, Qt::NoModifier}},
      {"Tab", {Qt::Key_Tab, Qt::NoModifier}},
      {"Left", {Qt::Key_Left, Qt::NoModifier}},
      {"Escape", {Qt::Key_Escape, Qt::NoModifier}},
      {"Insert", {Qt::Key_Insert, Qt::NoModifier}},
      {"Ctrl+Home", {Qt::Key_Home, Qt::ControlModifier}},
      {"Ctrl+Delete", {Qt::Key_Delete, Qt::ControlModifier}}};
  for (const QString& token : run.split(u' ', Qt::SkipEmptyParts)) {
    if (const auto key = named.find(token); key != named.end()) {
      QTest::keyClick(QApplication::focusWidget(), key->first, key->second);
      QApplication::processEvents();
    } else {
      TypeText(token);
    }
  }
}

void ClickCell(TDataGrid& grid, int row, const char* field) {
  const int position = grid.ColumnPosition(QString::fromLatin1(field));
  const QModelIndex cell = grid.model()->index(row, grid.horizontalHeader()->logicalIndex(position));
  grid.scrollTo(cell);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, grid.visualRect(cell).center());
  QApplication::processEvents();
}

// A secretary types the results of a class row after row: the first result
// cell is clicked once, then only keys. Each renumbering resets the grid; the
// typing goes on in the column it was in, on the line the renumbering keeps.
TEST_F(Competition, ResultsTypedRowAfterRowLandInTheResultColumn) {
  const struct {
    const char* What;
    const char* Grid;   // grSnatch or grBiathlon
    const char* First;  // the field of the cell clicked on the first line
    const char* Keys;
    QStringList Rows;    // the view afterwards: name, the results typed, place
    const char* Column;  // of the current cell afterwards
  } cases[] = {
      {"type and Down, falling results",
       "grSnatch",
       "Result",
       "50 Down 40 Down 30 Down 20 Down 10 Down",
       {"А|50|1", "Б|40|2", "В|30|3", "Г|20|4", "Д|10|5"},
       "Result"},
      {"type, Enter and Down, falling results",
       "grSnatch",
       "Result",
       "50 Enter Down 40 Enter Down 30 Enter Down 20 Enter Down 10 Enter Down",
       {"А|50|1", "Б|40|2", "В|30|3", "Г|20|4", "Д|10|5"},
       "Result"},
      // Each result takes its athlete to the top; the line typed on stays,
      // and the next line down holds the next athlete still without one.
      {"type and Down, rising results",
       "grSnatch",
       "Result",
       "10 Down 20 Down 30 Down 40 Down 50 Down",
       {"Д|50|1", "Г|40|2", "В|30|3", "Б|20|4", "А|10|5"},
       "Result"},
      {"type, Enter and Down, rising results",
       "grSnatch",
       "Result",
       "10 Enter Down 20 Enter Down 30 Enter Down 40 Enter Down 50 Enter",
       {"Д|50|1", "Г|40|2", "В|30|3", "Б|20|4", "А|10|5"},
       "Result"},
      {"a line gone back to with Up",
       "grSnatch",
       "Result",
       "10 Enter Down 20 Enter Up 30 Enter",
       {"Б|30|1", "А|10|2", "В||3", "Г||4", "Д||5"},
       "Result"},
      {"the jerk, Tab, the snatch, Down, back Left",
       "grBiathlon",
       "PutResult",
       "40 Tab 20 Down Left 30 Tab 30 Down Left 50 Tab 10 Down Left 20 Tab 10 Down Left 10 Tab 10 Down",
       {"В|50|10|1", "А|40|20|2", "Б|30|30|3", "Г|20|10|4", "Д|10|10|5"},
       "JerkResult"},
      // Tab out of the snatch goes on along the line after the renumbering.
      {"the jerk, Tab, the snatch, Tab",
       "grBiathlon",
       "PutResult",
       "40 Tab 20 Tab Escape",
       {"А|40|20|1", "Б|||2", "В|||3", "Г|||4", "Д|||5"},
       "JerkPoint"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    WriteAthletes({{"А", 1, 64, "Динамо", true, false, true},
                   {"Б", 1, 65, "Динамо", true, false, true},
                   {"В", 1, 66, "Динамо", true, false, true},
                   {"Г", 1, 67, "Динамо", true, false, true},
                   {"Д", 1, 68, "Динамо", true, false, true}});
    auto window = Start();
    ShowActive(*window);
    Build(*window);
    auto& grid = *window->findChild<TDataGrid*>(QString::fromLatin1(c.Grid));
    ShowPageOf(&grid);
    ClickCell(grid, 0, c.First);
    Keys(QString::fromLatin1(c.Keys));
    const bool biathlon = &grid == window->grBiathlon;
    TClientDataSet& table = *grid.DataSet();
    EXPECT_EQ(ViewRows(table, biathlon ? QStringList{"Name", "PutResult", "JerkResult", "Position"}
                                       : QStringList{"Name", "Result", "Position"}),
              c.Rows);
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
    EXPECT_FALSE(grid.EditorOpen());
    ASSERT_TRUE(grid.currentIndex().isValid());
    EXPECT_EQ(grid.ColumnFieldName(grid.horizontalHeader()->visualIndex(grid.currentIndex().column())),
              QString::fromLatin1(c.Column));
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
    window.reset();
  }
}

// ---- The class selectors after a change of the classes ----

// The competition tab's class selectors follow the class table once the
// protocols are built: a class added, typed over or deleted is listed at
// once, the class chosen stays chosen (a deleted one gives way to the class
// its athletes fall into), and the protocols show that class's view, with
// its places numbered 1, 2, 3, ..., on screen and on paper.
TEST_F(Competition, TheClassSelectorsFollowAChangeOfTheClasses) {
  const struct {
    const char* What;
    int Chosen;        // the men's item shown before
    const char* Keys;  // in the men's class grid
    QStringList Classes;
    const char* Shown;   // the item shown afterwards
    const char* Filter;  // of the protocols
    QStringList Rows;    // of the snatch class view: place|name
    bool Print = false;  // and checked on the printed protocol
  } cases[] = {
      {"90 added while 95 is shown",
       5,
       "Ctrl+Home Down Down Down Down Insert 90 Enter Down",
       {"63", "68", "73", "78", "85", "90", "95", "105", "свыше"},
       "95",
       "SexRef=1 and Weight > 90 and Weight <= 95",
       {"1|Дмитриев"}},
      {"the class shown typed over, 85 to 80",
       4,
       "Ctrl+Home Down Down Down Down 80 Down",
       {"63", "68", "73", "78", "80", "95", "105", "свыше"},
       "80",
       "SexRef=1 and Weight > 78 and Weight <= 80",
       {"1|Алексеев"}},
      {"the class shown deleted",
       4,
       "Ctrl+Home Down Down Down Down Ctrl+Delete",
       {"63", "68", "73", "78", "95", "105", "свыше"},
       "95",
       "SexRef=1 and Weight > 78 and Weight <= 95",
       {"1|Григорьев", "2|Алексеев", "3|Борисов", "4|Васильев", "5|Дмитриев"},
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    QFile::remove(DataFile("ManWeight.xml"));
    WriteAthletes({{"Алексеев", 1, 79},
                   {"Борисов", 1, 82},
                   {"Васильев", 1, 84},
                   {"Григорьев", 1, 88},
                   {"Дмитриев", 1, 93}});
    auto window = Start();
    ShowActive(*window);
    TDataGrid& snatch = *window->grSnatch;
    Build(*window);
    for (const auto& [item, results] : {std::pair{4, "110 Down 100 Down 90 Down"}, {5, "120 Down 80 Down"}}) {
      Choose(*window->cbCompManWeightClass, item);
      ClickCell(snatch, 0, "Result");
      Keys(QString::fromLatin1(results));
    }
    Choose(*window->cbCompManWeightClass, c.Chosen);
    const QStringList women = Items(*window->cbCompWomanWeightClass);

    TDataGrid& classes = *window->grManWeight;
    ShowPageOf(&classes);
    Focus(&classes);
    Keys(QString::fromLatin1(c.Keys));
    EXPECT_EQ(GridColumn(classes), c.Classes);
    EXPECT_EQ(Items(*window->cbCompManWeightClass), c.Classes);
    EXPECT_EQ(window->cbCompManWeightClass->currentText(), QString::fromLatin1(c.Shown));
    EXPECT_EQ(Items(*window->cbCompWomanWeightClass), women);
    for (TClientDataSet* protocol : {&window->dsSnatch, &window->dsLongCycle, &window->dsBiathlon}) {
      EXPECT_EQ(protocol->Filter(), QString::fromLatin1(c.Filter)) << protocol->Name().toStdString();
    }
    ShowPageOf(&snatch);
    EXPECT_EQ(ViewRows(window->dsSnatch, {"Position", "Name"}), c.Rows);
    EXPECT_EQ(GridColumn(snatch, snatch.horizontalHeader()->logicalIndex(snatch.ColumnPosition("Name"))),
              ViewTexts(window->dsSnatch, "Name"));
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
    if (c.Print) {
      const TPrintToPdf pdf(testing_sandbox::Path(QStringLiteral("snatch.pdf")));
      Click(window->btnPrintSnatch);
      ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
      const QString text = testing_pdf::Text(pdf.Path);
      QStringList printed;
      for (const QString& line : text.split(u'\n')) {
        const QStringList words = line.simplified().split(u' ');
        for (const QString& row : c.Rows) {
          if (words.contains(row.section(u'|', 1))) {
            printed << words.value(0) + u'|' + row.section(u'|', 1);
          }
        }
      }
      EXPECT_EQ(printed, c.Rows) << text.toStdString();
      EXPECT_TRUE(text.simplified().contains(QStringLiteral("до %1 кг").arg(QString::fromLatin1(c.Shown))))
          << text.toStdString();
    }
    window.reset();
  }
}

// ---- The keys of the protocol grids ----

// Rows come into a protocol only by the build or a protocol file: no key of
// its grid removes an athlete (which left the places 1, 3) or adds an empty
// row, and none asks a question about it.
TEST_F(Competition, NoKeyOfAProtocolGridDeletesOrAddsARow) {
  WriteAthletes({{"А", 1, 64, "Динамо", true, true, true},
                 {"Б", 1, 65, "Динамо", true, true, true},
                 {"В", 1, 66, "Динамо", true, true, true}});
  auto window = Start();
  ShowActive(*window);
  Build(*window);
  for (TDataGrid* grid : {window->grSnatch, window->grLongCycle, window->grBiathlon}) {
    SCOPED_TRACE(grid->objectName().toStdString());
    ShowPageOf(grid);
    TClientDataSet& table = *grid->DataSet();
    const bool biathlon = grid == window->grBiathlon;
    ClickCell(*grid, 0, biathlon ? "PutResult" : "Result");
    Keys(biathlon ? "50 Tab 10 Down Left 40 Tab 10 Down Left 30 Tab 10 Down" : "50 Down 40 Down 30 Down");
    const QStringList rows = ViewRows(table, {"Name", "Position"});
    ASSERT_EQ(rows, (QStringList{"А|1", "Б|2", "В|3"}));

    ClickCell(*grid, 1, "Position");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Insert);
    ClickCell(*grid, 2, "Position");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_EQ(ViewRows(table, {"Name", "Position"}), rows);
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  }
  EXPECT_TRUE(Dialogs.Questions.isEmpty()) << Dialogs.Questions.join(u'\n').toStdString();
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

// A result the field refuses is told in the program's message box; once it
// is answered, the keys are the grid's again on the same cell: Escape takes
// the row back, and the result can be typed again at once.
TEST_F(Competition, AfterARefusedResultTheKeysGoOnInItsCell) {
  WriteAthletes({{"А", 1, 64}, {"Б", 1, 65}});
  auto window = Start();
  ShowActive(*window);
  Build(*window);
  TDataGrid& grid = *window->grSnatch;
  ShowPageOf(&grid);
  widgets_test::TRealErrorBox box;
  ClickCell(grid, 0, "Result");
  Keys("abc Enter");
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QApplication::processEvents();
  ASSERT_EQ(box.Shown.size(), 1);
  EXPECT_TRUE(box.Shown[0].contains(QStringLiteral("'abc'"))) << box.Shown[0].toStdString();
  EXPECT_EQ(QApplication::focusWidget(), &grid);
  EXPECT_EQ(grid.ColumnFieldName(grid.horizontalHeader()->visualIndex(grid.currentIndex().column())),
            QStringLiteral("Result"));
  Keys("Escape");
  EXPECT_EQ(window->dsSnatch.State(), TDataSetState::dsBrowse);

  Keys("abc Enter");
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QApplication::processEvents();
  Keys("120 Down 110 Down");
  EXPECT_EQ(ViewRows(window->dsSnatch, {"Name", "Result", "Position"}), (QStringList{"А|120|1", "Б|110|2"}));
  EXPECT_EQ(box.Shown.size(), 2);
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

TEST_F(Competition, TheBiathlonSumFormsWhenTheSnatchIsEntered) {
  WriteAthletes(
      {{"Первый", 1, 66, "Динамо", false, false, true}, {"Второй", 1, 65, "Динамо", false, false, true}});
  auto window = Start();
  ShowActive(*window);
  Build(*window);
  TDataGrid& grid = *window->grBiathlon;
  ShowPageOf(&grid);
  ASSERT_EQ(Column(window->dsBiathlon, "Name"), (QStringList{"Второй", "Первый"}));
  // The jerk first: no sum yet, and the row stays on its line for the snatch.
  EnterCell(grid, 1, "PutResult", QStringLiteral("40"));
  EXPECT_EQ(Column(window->dsBiathlon, "Summa"), (QStringList{"", ""}));
  EXPECT_EQ(Column(window->dsBiathlon, "Name"), (QStringList{"Второй", "Первый"}));
  EnterCell(grid, 1, "JerkResult", QStringLiteral("25"));
  EXPECT_EQ(Column(window->dsBiathlon, "Name"), (QStringList{"Первый", "Второй"}));
  EXPECT_EQ(Column(window->dsBiathlon, "JerkPoint"), (QStringList{"12,5", ""}));
  EXPECT_EQ(Column(window->dsBiathlon, "Summa"), (QStringList{"52,5", ""}));
  EXPECT_EQ(Column(window->dsBiathlon, "Position"), (QStringList{"1", "2"}));
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

// A jerk corrected after the sum was formed: the sum and the places follow
// it, on screen and on the printed protocol.
TEST_F(Competition, TheBiathlonSumAndPlacesFollowACorrectedJerk) {
  WriteAthletes({{"Первый Пётр", 1, 66, "Динамо", false, false, true},
                 {"Второй Иван", 1, 65, "Динамо", false, false, true}});
  auto window = Start();
  ShowActive(*window);
  Build(*window);
  TDataGrid& grid = *window->grBiathlon;
  ShowPageOf(&grid);
  const QStringList fields = {"Name", "PutResult", "JerkResult", "Summa", "Position"};
  ASSERT_EQ(Column(window->dsBiathlon, "Name"), (QStringList{"Второй Иван", "Первый Пётр"}));
  EnterCell(grid, 1, "PutResult", QStringLiteral("130"));
  EnterCell(grid, 1, "JerkResult", QStringLiteral("60"));
  ASSERT_EQ(ViewRows(window->dsBiathlon, fields),
            (QStringList{"Первый Пётр|130|60|160|1", "Второй Иван||||2"}));
  EnterCell(grid, 1, "PutResult", QStringLiteral("120"));
  EnterCell(grid, 1, "JerkResult", QStringLiteral("60"));
  ASSERT_EQ(ViewRows(window->dsBiathlon, fields),
            (QStringList{"Первый Пётр|130|60|160|1", "Второй Иван|120|60|150|2"}));

  const struct {
    int Line;
    const char* Jerk;
    QStringList Rows;
  } corrections[] = {
      {0, "100", {"Второй Иван|120|60|150|1", "Первый Пётр|100|60|130|2"}},
      {1, "125", {"Первый Пётр|125|60|155|1", "Второй Иван|120|60|150|2"}},
  };
  for (const auto& c : corrections) {
    EnterCell(grid, c.Line, "PutResult", QString::fromLatin1(c.Jerk));
    EXPECT_EQ(ViewRows(window->dsBiathlon, fields), c.Rows) << c.Jerk;
    EXPECT_EQ(window->dsBiathlon.State(), TDataSetState::dsBrowse) << c.Jerk;
  }

  const TPrintToPdf pdf(testing_sandbox::Path(QStringLiteral("biathlon.pdf")));
  Click(window->btnPrintBiathlon);
  ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
  const QString text = testing_pdf::Text(pdf.Path);
  QStringList printed;
  for (const QString& line : text.split(u'\n')) {
    if (line.contains(QStringLiteral("Пётр")) || line.contains(QStringLiteral("Иван"))) {
      printed << line.simplified();
    }
  }
  ASSERT_EQ(printed.size(), 2) << text.toStdString();
  for (const auto& [line, place, name, sum] :
       {std::tuple{0, "1", "Первый Пётр", "155"}, std::tuple{1, "2", "Второй Иван", "150"}}) {
    const QStringList words = printed[line].split(u' ');
    EXPECT_EQ(words.value(0), QString::fromLatin1(place)) << printed[line].toStdString();
    EXPECT_TRUE(printed[line].contains(QString::fromUtf8(name))) << printed[line].toStdString();
    EXPECT_TRUE(words.contains(QString::fromLatin1(sum))) << printed[line].toStdString();
  }
  for (const char* gone : {"160", "130"}) {
    EXPECT_FALSE(text.contains(QString::fromLatin1(gone))) << gone << "\n" << text.toStdString();
  }
}

// ---- Team points ----

TEST_F(Competition, PointsGoByPlaceToTheAthletesAtTheTeam) {
  const struct {
    const char* Place;  // "" none
    bool AtTheTeam;
    const char* Points;  // expected; "7" for a row not at the team keeps its 7
  } rows[] = {
      {"1", true, "20"}, {"2", true, "18"}, {"3", true, "16"}, {"4", true, "15"}, {"18", true, "1"},
      {"19", true, ""},  {"", true, ""},    {"0", true, ""},   {"5", false, "7"},
  };
  QList<TAthlete> athletes;
  static const char* names[] = {"a", "b", "c", "d", "e", "f", "g", "h", "i"};
  for (int i = 0; i < int(std::size(rows)); ++i) {
    TAthlete a{names[i], 1, 64.0 + i * 0.1};
    a.AtTheTeam = rows[i].AtTheTeam;
    athletes << a;
  }
  WriteAthletes(athletes);
  auto window = Start();
  ShowActive(*window);
  Build(*window);
  TClientDataSet& snatch = window->dsSnatch;
  for (int i = 0; i < int(std::size(rows)); ++i) {
    snatch.SetRecNo(i + 1);
    snatch.Edit();
    snatch.FieldByName("Position").SetAsString(QString::fromLatin1(rows[i].Place));
    snatch.FieldByName("Point").SetAsString(rows[i].AtTheTeam ? QStringLiteral("3") : QStringLiteral("7"));
    snatch.Post();
  }
  ShowPageOf(window->tbshSnatch);
  Click(window->btnSetPointSnatch);
  for (int i = 0; i < int(std::size(rows)); ++i) {
    snatch.SetRecNo(i + 1);
    EXPECT_EQ(snatch.FieldByName("Point").AsString(), QString::fromLatin1(rows[i].Points)) << rows[i].Place;
  }
}

// ---- Achieved ranks ----

TEST_F(Competition, TheMostSeniorRankTheResultReachesIsSet) {
  WriteRequirements({{"Рывок", "68", 1, 2, 32, 130},
                     {"Рывок", "68", 1, 21, 32, 150},
                     {"Рывок", "68", 1, 3, 32, 110},
                     {"Рывок", "68", 1, 4, 32, 90},
                     {"Рывок", "68", 1, 1, 24, 10},  // another kettlebell
                     {"Рывок", "68", 0, 1, 32, 10},  // women
                     {"Толчок ДЦ", "68", 1, 1, 32, 10},
                     {"рывок", "105+", 1, 5, 32, 60},  // letter case of the word does not matter
                     {"Двоеборье", "68", 1, 5, 32, 53},
                     {"Двоеборье", "68", 1, 4, 32, 54}});
  WriteAthletes({{"МСМК", 1, 67},
                 {"МС", 1, 67.1},
                 {"КМС", 1, 67.2},
                 {"Слабый", 1, 67.3},
                 {"Пустой", 1, 67.4},
                 {"Тяжёлый", 1, 120}});
  auto window = Start();
  ShowActive(*window);
  Build(*window, true, 1);
  TClientDataSet& snatch = window->dsSnatch;
  const char* results[] = {"155", "130", "110", "50", ""};
  for (int i = 0; i < 5; ++i) {
    snatch.Locate("Name", QStringList{"МСМК", "МС", "КМС", "Слабый", "Пустой"}[i]);
    snatch.Edit();
    snatch.FieldByName("MadeRankRef").SetAsInteger(9);
    // The new result renumbers the places, which posts the row.
    snatch.FieldByName("Result").SetAsString(QString::fromLatin1(results[i]));
    snatch.Post();
  }
  ShowPageOf(window->tbshSnatch);
  Click(window->btnSetMadeRankSnatch);
  const QStringList expected = {"МСМК|21", "МС|2", "КМС|3", "Слабый|", "Пустой|"};
  QStringList got;
  for (snatch.First(); !snatch.Eof(); snatch.Next()) {
    got << snatch.FieldByName("Name").AsString() + u'|' + snatch.FieldByName("MadeRankRef").AsString();
  }
  EXPECT_EQ(got, expected);
  EXPECT_FALSE(window->dsNormative.Filtered());

  // The open class is looked up as the heaviest closed limit with "+".
  Choose(*window->cbCompManWeightClass, 7);
  snatch.First();
  snatch.Edit();
  snatch.FieldByName("Result").SetAsInteger(60);
  snatch.Post();
  Click(window->btnSetMadeRankSnatch);
  EXPECT_EQ(snatch.FieldByName("MadeRank").AsString(), QStringLiteral("II"));
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

TEST_F(Competition, ABiathlonSumCountsRoundedHalfToEven) {
  WriteRequirements({{"Двоеборье", "68", 1, 5, 32, 53}, {"Двоеборье", "68", 1, 4, 32, 54}});
  WriteAthletes({{"Полтора", 1, 67, "Динамо", false, false, true},
                 {"Три с половиной", 1, 66, "Динамо", false, false, true}});
  auto window = Start();
  ShowActive(*window);
  Build(*window);
  TClientDataSet& biathlon = window->dsBiathlon;
  const struct {
    const char* Name;
    int Put;
    int Jerk;  // half counts: 52.5 and 53.5
    const char* Rank;
  } rows[] = {{"Полтора", 40, 25, ""}, {"Три с половиной", 41, 25, "4"}};
  for (const auto& r : rows) {
    biathlon.Locate("Name", QString::fromUtf8(r.Name));
    biathlon.Edit();
    biathlon.FieldByName("PutResult").SetAsInteger(r.Put);
    biathlon.FieldByName("JerkResult").SetAsInteger(r.Jerk);
  }
  ShowPageOf(window->tbshBiathlon);
  Click(window->btnSetMadeRankBiathlon);
  for (const auto& r : rows) {
    biathlon.Locate("Name", QString::fromUtf8(r.Name));
    EXPECT_EQ(biathlon.FieldByName("MadeRankRef").AsString(), QString::fromLatin1(r.Rank)) << r.Name;
  }
}

TEST_F(Competition, WithoutARequirementForTheClassRanksStayAsTheyAre) {
  WriteRequirements({{"Рывок", "63", 1, 2, 32, 10}});
  WriteAthletes({{"Иванов", 1, 67}});
  auto window = Start();
  ShowActive(*window);
  Build(*window);
  window->dsSnatch.First();
  window->dsSnatch.Edit();
  window->dsSnatch.FieldByName("MadeRankRef").SetAsInteger(6);
  window->dsSnatch.Post();
  ShowPageOf(window->tbshSnatch);
  Click(window->btnSetMadeRankSnatch);
  EXPECT_EQ(window->dsSnatch.FieldByName("MadeRankRef").AsInteger(), 6);
  // A kettlebell weight that is no number cannot be looked up: the message
  // says so and the requirements are shown unfiltered again.
  window->cbSnatchWeightM->setCurrentText(QStringLiteral("тридцать"));
  Click(window->btnSetMadeRankSnatch);
  EXPECT_EQ(Dialogs.Errors.size(), 1);
  EXPECT_FALSE(window->dsNormative.Filtered());
  EXPECT_FALSE(window->dsNormative.ControlsDisabled());
}

}  // namespace
}  // namespace app_test
