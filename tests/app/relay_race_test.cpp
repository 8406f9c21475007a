// The relay race tab: which discipline pages it shows, the side panel, the
// filters of the page and team shown, building a race from the register's
// teams, putting competitors in with their weight category, the running stage
// total, team totals and places, and team names holding an apostrophe.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>
#include <utility>

#include "app/filter_literal.h"
#include "app/main_window.h"
#include "app/relay_race.h"
#include "platform/core/exception.h"
#include "platform/widgets/data_grid.h"
#include "tests/app/athletes.h"
#include "tests/app/window_fixture.h"
#include "tests/support/pdf_reader.h"
#include "tests/support/test_sandbox.h"

namespace app_test {
namespace {

class Relay : public WindowTest {
 protected:
  // The window with the relay tab shown for the relay disciplines held.
  void Open(bool jerk, bool longCycle, bool snatch) {
    W = Start();
    ShowActive(*W);
    W->cbRRDJerk->setChecked(jerk);
    W->cbRRDLongCycle->setChecked(longCycle);
    W->cbRRDSnatch->setChecked(snatch);
    W->pcMain->setCurrentWidget(Find<QWidget>(*W, "tbshRelayRace"));
    QApplication::processEvents();
  }

  void Click(const char* name) {
    auto* button = Find<QToolButton>(*W, name);
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    QApplication::processEvents();
  }

  // The relay tab on a freshly built race.
  void Build(bool jerk = true, bool longCycle = true, bool snatch = false) {
    Open(jerk, longCycle, snatch);
    Click("btnNewRelayRace");
  }

  // A choice in the team selector, as the user makes it.
  void ChooseTeam(const QString& team) {
    auto* teams = Find<QComboBox>(*W, "cbTeam");
    const int index = teams->findText(team, Qt::MatchExactly);
    ASSERT_GE(index, 0) << team.toStdString();
    Choose(*teams, index);
  }

  void ShowPage(const char* pages, const char* page) {
    Find<QTabWidget>(*W, pages)->setCurrentWidget(Find<QWidget>(*W, page));
    QApplication::processEvents();
  }

  // Picks the competitor in the competitor list and presses the select
  // button.
  void Select(const QString& name) {
    ASSERT_TRUE(W->dsCompetitor.Locate("Name", name)) << name.toStdString();
    Click("butCompetitorSelect");
  }

  // Types a value into a cell of the competitor's row of the relay grid; an
  // empty value clears the cell.
  void EnterCell(const QString& name, const char* field, const QString& text) {
    auto* grid = Find<TDataGrid>(*W, "grRelayRace");
    const int row = int(ViewTexts(W->dsRelayRace, "Name").indexOf(name));
    ASSERT_GE(row, 0) << name.toStdString();
    if (!text.isEmpty()) {
      app_test::EnterCell(*grid, row, field, text);
      return;
    }
    Focus(grid);
    grid->setCurrentIndex(grid->model()->index(row, grid->ColumnPosition(QString::fromLatin1(field))));
    // The editor opens with its text selected.
    QTest::keyClick(grid, Qt::Key_F2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QApplication::processEvents();
  }

  // A relay member with a stage and a result typed in.
  void Run(const QString& name, int step, int result) {
    Select(name);
    EnterCell(name, "Step", QString::number(step));
    EnterCell(name, "Result", QString::number(result));
  }

  QString Relayed(const QString& name, const char* field) {
    TClientDataSet& relay = W->dsRelayRace;
    for (int r = 0; r < relay.RecordCount(); ++r) {
      if (relay.DisplayTextAt(r, relay.FieldByName("Name")) == name) {
        return relay.DisplayTextAt(r, relay.FieldByName(QString::fromLatin1(field)));
      }
    }
    ADD_FAILURE() << "not in the relay view: " << name.toStdString();
    return QString();
  }

  std::unique_ptr<TfrmMain> W;
};

// ---- Showing the tab ----

struct TShowCase {
  const char* What;
  bool Jerk, LongCycle, Snatch;
  QStringList Visible;  // the discipline pages whose tabs show
  const char* Current;  // the page shown; null: any
  bool Enabled;
  int Discipline;
};

TEST_F(Relay, OnlyTheHeldDisciplinesShowAndTheFirstOfThemIsShown) {
  const TShowCase cases[] = {
      {"all three",
       true,
       true,
       true,
       {"tbshRRJerk", "tbshRRLongCycle", "tbshRRSnatch"},
       "tbshRRJerk",
       true,
       1},
      {"only long cycle", false, true, false, {"tbshRRLongCycle"}, "tbshRRLongCycle", true, 2},
      {"long cycle and snatch",
       false,
       true,
       true,
       {"tbshRRLongCycle", "tbshRRSnatch"},
       "tbshRRLongCycle",
       true,
       2},
      {"only snatch", false, false, true, {"tbshRRSnatch"}, "tbshRRSnatch", true, 3},
      // No page is left to show: which one the selector holds matters to nobody.
      {"none", false, false, false, {}, nullptr, false, 0},
  };
  for (const TShowCase& c : cases) {
    Open(c.Jerk, c.LongCycle, c.Snatch);
    auto* pages = Find<QTabWidget>(*W, "pcRRDiscipline");
    QStringList visible;
    for (int i = 0; i < pages->count(); ++i) {
      if (pages->isTabVisible(i)) {
        visible << pages->widget(i)->objectName();
      }
    }
    EXPECT_EQ(visible, c.Visible) << c.What;
    if (c.Current != nullptr) {
      EXPECT_EQ(pages->currentWidget()->objectName(), c.Current) << c.What;
    }
    EXPECT_EQ(W->tbshRelayRace->isEnabled(), c.Enabled) << c.What;
    EXPECT_EQ(W->btnNewRelayRace->isEnabled(), c.Enabled) << c.What;
    EXPECT_EQ(W->RelayCurrentDiscipline(), c.Discipline) << c.What;
    if (c.Enabled) {
      // The page shown filtered the tables.
      EXPECT_EQ(W->dsRRTeam.Filter(), QStringLiteral("(SexRef=1) and (Discipline=%1)").arg(c.Discipline))
          << c.What;
    }
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << c.What << ": " << Errors(Dialogs);
    W->hide();
    W.reset();
  }
}

TEST_F(Relay, DisciplinesDroppedSinceTheLastVisitMoveThePageToTheFirstHeld) {
  Open(true, true, false);
  ShowPage("pcRRDiscipline", "tbshRRLongCycle");
  W->pcMain->setCurrentWidget(W->tbshProtocol);
  W->cbRRDLongCycle->setChecked(false);
  W->cbRRDJerk->setChecked(false);
  W->cbRRDSnatch->setChecked(true);
  W->pcMain->setCurrentWidget(W->tbshRelayRace);
  QApplication::processEvents();
  EXPECT_EQ(W->pcRRDiscipline->currentWidget(), W->tbshRRSnatch);
  EXPECT_EQ(W->dsRRTeam.Filter(), "(SexRef=1) and (Discipline=3)");
}

TEST_F(Relay, MenuAndSidePanelWaitForARaceAndTheToggleSwapsTheSidePanelsLists) {
  WriteAthletes({{"Иванов", 1, 70, "Динамо"}});
  Open(true, true, false);
  EXPECT_FALSE(W->pMenuRRLeft->isEnabled());
  EXPECT_FALSE(W->pRelayRace->isEnabled());
  Click("btnNewRelayRace");
  EXPECT_TRUE(W->pMenuRRLeft->isEnabled());
  EXPECT_TRUE(W->pRelayRace->isEnabled());

  const auto shown = [&] {
    return QList<bool>{W->butCompetitorSelect->isVisible(), W->grRelayRaceHB->isVisible(),
                       W->btnRRCalculate->isVisible(), W->grRRTeam->isVisible()};
  };
  EXPECT_EQ(shown(), (QList<bool>{true, true, false, false}));
  Click("btnShowRRCompetitorHB");
  EXPECT_EQ(shown(), (QList<bool>{false, false, true, true}));
  // Leaving the tab and coming back keeps the side panel as the toggle says.
  W->pcMain->setCurrentWidget(W->tbshProtocol);
  W->pcMain->setCurrentWidget(W->tbshRelayRace);
  QApplication::processEvents();
  EXPECT_EQ(shown(), (QList<bool>{false, false, true, true}));
  Click("btnShowRRCompetitorHB");
  EXPECT_EQ(shown(), (QList<bool>{true, true, false, false}));
}

// ---- Filters ----

struct TFilterCase {
  int Sex;
  int Discipline;
  std::optional<QString> Team;
  const char* RelayRace;
  const char* Competitor;
  const char* RRTeam;
};

TEST_F(Relay, FilterTextsJoinSexTeamAndDisciplineWithApostrophesDoubled) {
  const TFilterCase cases[] = {
      {1, 2, QStringLiteral("Dynamo"), "(SexRef=1) and (Team='Dynamo') and (Discipline=2)",
       "(SexRef=1) and (Team='Dynamo')", "(SexRef=1) and (Discipline=2)"},
      {0, 1, std::nullopt, "(SexRef=0) and (Discipline=1)", "(SexRef=0)", "(SexRef=0) and (Discipline=1)"},
      {0, 3, QString(), "(SexRef=0) and (Team='') and (Discipline=3)", "(SexRef=0) and (Team='')",
       "(SexRef=0) and (Discipline=3)"},
      {1, 0, QString::fromUtf8("Вымпел 'Север'"),
       "(SexRef=1) and (Team='Вымпел ''Север''') and (Discipline=0)",
       "(SexRef=1) and (Team='Вымпел ''Север''')", "(SexRef=1) and (Discipline=0)"},
  };
  for (const TFilterCase& c : cases) {
    const TRelayFilters f = RelayFilters(c.Sex, c.Discipline, c.Team);
    EXPECT_EQ(f.RelayRace, QString::fromUtf8(c.RelayRace));
    EXPECT_EQ(f.Competitor, QString::fromUtf8(c.Competitor));
    EXPECT_EQ(f.RRTeam, QString::fromUtf8(c.RRTeam));
  }
  EXPECT_EQ(RelayTeamFilter(1, 2, "O'Neil's club"),
            "(SexRef=1) and (Discipline=2) and (Team='O''Neil''s club')");
  // Any sex code but 1 is the women's.
  EXPECT_EQ(RelayTeamFilter(0, 1, "Dynamo"), "(SexRef=0) and (Discipline=1) and (Team='Dynamo')");
  EXPECT_EQ(RelayTeamFilter(5, 1, "Dynamo"), "(SexRef=0) and (Discipline=1) and (Team='Dynamo')");
}

TEST_F(Relay, FilterLiteralTextDoublesEveryApostropheAndNothingElse) {
  const std::pair<const char*, const char*> cases[] = {{"Dynamo", "Dynamo"},
                                                       {"O'Neil's", "O''Neil''s"},
                                                       {"''", "''''"},
                                                       {"", ""},
                                                       {"\"Спартак\"", "\"Спартак\""}};
  for (const auto& [text, literal] : cases) {
    EXPECT_EQ(FilterLiteralText(QString::fromUtf8(text)), QString::fromUtf8(literal)) << text;
  }
}

TEST_F(Relay, TheWomensPageListsOnlyTheWomenOfTheChosenTeam) {
  WriteAthletes({{"Иванов", 1, 70, "Dynamo"},
                 {"Иванова", 0, 60, "Dynamo"},
                 {"Петрова", 0, 55, "Dynamo"},
                 {"Сидорова", 0, 58, "Avangard"}});
  Build();
  ChooseTeam("Dynamo");
  EXPECT_EQ(ViewTexts(W->dsCompetitor, "Name"), QStringList{"Иванов"});
  ShowPage("pcRelayRaceSex", "tbshRRWoman");
  EXPECT_EQ(W->RelayCurrentSex(), 0);
  EXPECT_EQ(ViewTexts(W->dsCompetitor, "Name"), (QStringList{"Иванова", "Петрова"}));
  EXPECT_EQ(W->grRelayRaceHB->model()->rowCount(), 2);
  EXPECT_EQ(W->dsRelayRace.Filter(), "(SexRef=0) and (Team='Dynamo') and (Discipline=1)");
  ChooseTeam("Avangard");
  EXPECT_EQ(ViewTexts(W->dsCompetitor, "Name"), QStringList{"Сидорова"});
  ShowPage("pcRRDiscipline", "tbshRRLongCycle");
  EXPECT_EQ(W->dsRelayRace.Filter(), "(SexRef=0) and (Team='Avangard') and (Discipline=2)");
  EXPECT_EQ(W->dsRRTeam.Filter(), "(SexRef=0) and (Discipline=2)");
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

// ---- Building a race ----

TEST_F(Relay, TeamsAreCollectedIgnoringLetterCaseAndEachGetsSixRows) {
  WriteAthletes({{"Иванов", 1, 70, "Dynamo"},
                 {"Петров", 1, 70, "dynamo"},
                 {"Сидоров", 1, 70, "Avangard"},
                 {"Козлов", 1, 70, "DYNAMO"}});
  Build();
  EXPECT_EQ(Items(*W->cbTeam), (QStringList{"Avangard", "Dynamo"}));
  EXPECT_EQ(W->cbTeam->currentText(), "Avangard");
  W->dsRRTeam.SetFiltered(false);
  EXPECT_EQ(W->dsRRTeam.RecordCount(), 12);
  QStringList rows = ViewRows(W->dsRRTeam, {"Team", "Discipline", "SexRef", "Result", "Weight", "Position"});
  rows.sort();
  QStringList expected;
  for (const char* team : {"Avangard", "Dynamo"}) {
    for (const char* discipline : {"1", "2", "3"}) {
      for (const char* sex : {"0", "1"}) {
        expected << QStringLiteral("%1|%2|%3|||").arg(team, discipline, sex);
      }
    }
  }
  EXPECT_EQ(rows, expected);
  W->dsRRTeam.SetFiltered(true);

  // The competitor list of the chosen team is its register rows of the
  // spelling listed.
  ChooseTeam("Dynamo");
  EXPECT_EQ(W->dsCompetitor.Filter(), "(SexRef=1) and (Team='Dynamo')");
  EXPECT_EQ(ViewTexts(W->dsCompetitor, "Name"), QStringList{"Иванов"});
  Select("Иванов");
  EXPECT_EQ(ViewRows(W->dsRelayRace, {"Name", "Team"}), QStringList{"Иванов|Dynamo"});
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

TEST_F(Relay, TeamsAreSortedIgnoringLetterCaseWithTheEmptyTeamFirst) {
  WriteAthletes({{"А", 1, 70, "зенит"},
                 {"Б", 1, 70, "Авангард"},
                 {"В", 1, 70, ""},
                 {"Г", 1, 70, "Динамо"},
                 {"Д", 1, 70, "ЗЕНИТ"}});
  Build();
  EXPECT_EQ(Items(*W->cbTeam), (QStringList{"", "Авангард", "Динамо", "зенит"}));
  // The athlete without a team is the empty team's.
  EXPECT_EQ(ViewTexts(W->dsCompetitor, "Name"), QStringList{"В"});
  Select("В");
  EXPECT_EQ(ViewTexts(W->dsRelayRace, "Name"), QStringList{"В"});
}

struct TCollationCase {
  const char* Locale;
  QStringList Teams;
};

TEST_F(Relay, TeamsFollowTheCollationOfTheSystemsLocale) {
  const QLocale before;
  const TCollationCase cases[] = {
      // Code points: ё comes after the whole alphabet from А to я.
      {"C", {"Avangard", "dynamo", "Zenit", "Вымпел", "Зенит", "ёлка"}},
      {"en_US", {"Avangard", "dynamo", "Zenit", "Вымпел", "ёлка", "Зенит"}},
      // Cyrillic first, and ё beside е.
      {"ru_RU", {"Вымпел", "ёлка", "Зенит", "Avangard", "dynamo", "Zenit"}},
  };
  for (const TCollationCase& c : cases) {
    QLocale::setDefault(QLocale(QString::fromLatin1(c.Locale)));
    TCompetitionTables tables;
    TClientDataSet& reg = tables.dsCompetitor;
    reg.CreateDataSet();
    for (const char* team : {"Зенит", "dynamo", "Avangard", "ёлка", "Zenit", "Вымпел", "DYNAMO", "ЗЕНИТ"}) {
      reg.Append();
      reg.FieldByName("Team").SetAsString(QString::fromUtf8(team));
      reg.Post();
    }
    EXPECT_EQ(CollectRelayTeams(reg), c.Teams) << c.Locale;
  }
  QLocale::setDefault(before);
}

TEST_F(Relay, RebuildingAsksFirstAndCancelKeepsTheRace) {
  WriteAthletes({{"Иванов", 1, 70, "Dynamo"}, {"Петров", 1, 70, "Avangard"}});
  Build();
  EXPECT_TRUE(Dialogs.Questions.isEmpty());
  Select("Петров");
  ASSERT_EQ(W->dsRelayRace.RecordCount(), 1);

  Dialogs.Answer = false;
  Click("btnNewRelayRace");
  EXPECT_EQ(Dialogs.Questions, QStringList{"Протокол будет удален и пересоздан"});
  EXPECT_EQ(W->dsRelayRace.RecordCount(), 1);
  EXPECT_EQ(Items(*W->cbTeam), (QStringList{"Avangard", "Dynamo"}));

  W->miLanguage_EN->trigger();
  Dialogs.Answer = true;
  Click("btnNewRelayRace");
  EXPECT_EQ(Dialogs.Questions.last(), "Delete and recreate protocol");
  EXPECT_EQ(W->dsRelayRace.RecordCount(), 0);
  EXPECT_EQ(W->cbTeam->currentText(), "Avangard");
  EXPECT_EQ(W->dsRelayRace.Filter(), "(SexRef=1) and (Team='Avangard') and (Discipline=1)");
}

TEST_F(Relay, AnEmptyRegisterBuildsAnEmptyRaceAndSelectingAddsNothing) {
  Build();
  EXPECT_EQ(W->cbTeam->count(), 0);
  EXPECT_TRUE(W->dsRRTeam.Active());
  EXPECT_EQ(W->dsRelayRace.Filter(), "(SexRef=1) and (Discipline=1)");
  Click("butCompetitorSelect");
  EXPECT_TRUE(W->dsRelayRace.IsEmpty());
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

// ---- Putting a competitor in ----

struct TCategoryCase {
  const char* Name;
  int Sex;
  double Weight;
  bool English;
  const char* Category;
};

TEST_F(Relay, ACompetitorComesInWithTheWeightCategoryOfTheBodyWeight) {
  const TCategoryCase cases[] = {
      {"Иванов", 1, 67.3, false, "68"},    {"Петров", 1, 63, false, "63"},
      {"Сидоров", 1, 63.1, false, "68"},   {"Козлов", 1, 105.5, false, "свыше"},
      {"Зайцев", 1, 105.5, true, "above"}, {"Орлов", 1, 110, false, "свыше"},
      {"Иванова", 0, 60, false, "63"},     {"Петрова", 0, 70, true, "above"},
  };
  for (const TCategoryCase& c : cases) {
    WriteAthletes({{c.Name, c.Sex, c.Weight, "Dynamo"}});
    Build(false, true, false);
    // The language of the last window comes back from the settings file.
    (c.English ? W->miLanguage_EN : W->miLanguage_RU)->trigger();
    if (c.Sex == 0) {
      ShowPage("pcRelayRaceSex", "tbshRRWoman");
    }
    Select(QString::fromUtf8(c.Name));
    EXPECT_EQ(ViewRows(W->dsRelayRace,
                       {"Name", "Team", "SexRef", "Discipline", "WeightCategory", "Step", "Result"}),
              QStringList{QStringLiteral("%1|Dynamo|%2|2|%3||")
                              .arg(QString::fromUtf8(c.Name))
                              .arg(c.Sex)
                              .arg(QString::fromUtf8(c.Category))})
        << c.Name;
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << c.Name << ": " << Errors(Dialogs);
    // The insert guard is back: the user still cannot add a row.
    RunGuarded([&] { W->dsRelayRace.Append(); });
    EXPECT_EQ(W->dsRelayRace.State(), TDataSetState::dsBrowse) << c.Name;
    W->hide();
    W.reset();
  }
}

TEST_F(Relay, WeightCategoryOfAnEmptyClassTableIsEmpty) {
  auto window = Start();
  window->dsManWeight.SetFiltered(false);
  window->dsManWeight.SetFilter("Weight < 0");
  window->dsManWeight.SetFiltered(true);
  EXPECT_EQ(window->WeightCategoryOf(window->dsManWeight.FieldByName("Weight"), 70), "");
}

TEST_F(Relay, ADoubleClickOnTheCompetitorListSelectsToo) {
  WriteAthletes({{"Иванов", 1, 70, "Dynamo"}, {"Петров", 1, 70, "Dynamo"}});
  Build();
  ASSERT_TRUE(W->dsCompetitor.Locate("Name", "Петров"));
  auto* grid = Find<TDataGrid>(*W, "grRelayRaceHB");
  const QRect cell = grid->visualRect(grid->model()->index(1, 0));
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
  QApplication::processEvents();
  EXPECT_EQ(ViewTexts(W->dsRelayRace, "Name"), QStringList{"Петров"});
}

// ---- Running stage total ----

TEST_F(Relay, EachStageCarriesTheTeamsTotalAndACorrectionLeavesLaterStages) {
  WriteAthletes({{"Иванов", 1, 70, "Dynamo"},
                 {"Петров", 1, 70, "Dynamo"},
                 {"Сидоров", 1, 70, "Dynamo"},
                 {"Козлов", 1, 70, "Avangard"}});
  Build();
  ChooseTeam("Dynamo");
  Run("Иванов", 1, 30);
  EXPECT_EQ(Relayed("Иванов", "StepResult"), "30");
  Run("Петров", 2, 25);
  EXPECT_EQ(Relayed("Петров", "StepResult"), "55");
  EnterCell("Иванов", "Result", "32");
  EXPECT_EQ(Relayed("Иванов", "StepResult"), "32");
  EXPECT_EQ(Relayed("Петров", "StepResult"), "55");
  EXPECT_EQ(W->dsRelayRace.FieldByName("Name").AsString(), "Иванов");
  EXPECT_EQ(W->dsRelayRace.State(), TDataSetState::dsBrowse);
  // Another team's stages are its own.
  ChooseTeam("Avangard");
  Run("Козлов", 2, 40);
  EXPECT_EQ(Relayed("Козлов", "StepResult"), "40");
  ChooseTeam("Dynamo");
  // A stage number left out: the total goes on from the stage before it.
  Run("Сидоров", 4, 20);
  EXPECT_EQ(Relayed("Сидоров", "StepResult"), "75");
  // A cleared result counts 0.
  EnterCell("Петров", "Result", "");
  EXPECT_EQ(Relayed("Петров", "StepResult"), "32");
  EXPECT_EQ(Relayed("Сидоров", "StepResult"), "75");
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

TEST_F(Relay, LaterStagesKeepTheirTotalsUntilTheirOwnResultsAreEntered) {
  WriteAthletes({{"Иванов", 1, 70, "Dynamo"}, {"Петров", 1, 70, "Dynamo"}, {"Сидоров", 1, 70, "Dynamo"}});
  Build();
  ChooseTeam("Dynamo");
  Select("Петров");
  EnterCell("Петров", "Step", "2");
  Run("Сидоров", 3, 20);
  EXPECT_EQ(Relayed("Сидоров", "StepResult"), "20");
  Run("Иванов", 1, 30);
  EXPECT_EQ(Relayed("Петров", "StepResult"), "");
  EXPECT_EQ(Relayed("Сидоров", "StepResult"), "20");
  EnterCell("Сидоров", "Result", "21");
  EXPECT_EQ(Relayed("Сидоров", "StepResult"), "51");
}

// ---- Team totals and places ----

class RelayTotals : public Relay {
 protected:
  // Men's long cycle: Dynamo 60+60, Avangard 70+65, Zenit 100+20, and Spartak
  // without a runner.
  void SetUp() override {
    Relay::SetUp();
    WriteAthletes({{"Д1", 1, 70, "Dynamo"},
                   {"Д2", 1, 72.5, "Dynamo"},
                   {"А1", 1, 80, "Avangard"},
                   {"А2", 1, 81, "Avangard"},
                   {"З1", 1, 60, "Zenit"},
                   {"З2", 1, 61, "Zenit"},
                   {"С1", 1, 90, "Spartak"},
                   {"Ж1", 0, 55, "Dynamo"}});
    Build(false, true, false);
    const struct {
      const char* Team;
      const char* Name;
      int Step;
      int Result;
    } runs[] = {{"Dynamo", "Д1", 1, 60},   {"Dynamo", "Д2", 2, 60}, {"Avangard", "А1", 1, 70},
                {"Avangard", "А2", 2, 65}, {"Zenit", "З1", 1, 100}, {"Zenit", "З2", 2, 20}};
    for (const auto& run : runs) {
      ChooseTeam(run.Team);
      Run(QString::fromUtf8(run.Name), run.Step, run.Result);
    }
    // A woman of Dynamo in the women's relay, which this calculation leaves
    // alone.
    ShowPage("pcRelayRaceSex", "tbshRRWoman");
    ChooseTeam("Dynamo");
    Run("Ж1", 1, 50);
    ShowPage("pcRelayRaceSex", "tbshRRMan");
    ChooseTeam("Dynamo");
  }
};

TEST_F(RelayTotals, TeamsArePlacedByTotalWithConsecutivePlacesForEqualTotals) {
  const QString filter = W->dsRelayRace.Filter();
  Click("btnShowRRCompetitorHB");
  Click("btnRRCalculate");
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
  EXPECT_EQ(ViewRows(W->dsRRTeam, {"Position", "Team", "Result", "Weight"}),
            (QStringList{"1|Avangard|135|161", "2|Dynamo|120|142,5", "3|Zenit|120|121", "4|Spartak|0|0"}));
  EXPECT_EQ(W->grRRTeam->model()->rowCount(), 4);
  // The relay view is back as it was, and each runner carries the team's place.
  EXPECT_EQ(W->dsRelayRace.Filter(), filter);
  EXPECT_TRUE(W->dsRelayRace.Filtered());
  EXPECT_FALSE(W->dsRelayRace.ControlsDisabled());
  EXPECT_FALSE(W->dsRRTeam.ControlsDisabled());
  W->dsRelayRace.SetFiltered(false);
  EXPECT_EQ(ViewRows(W->dsRelayRace, {"Name", "Position"}),
            (QStringList{"А1|1", "А2|1", "Д1|2", "Ж1|", "Д2|2", "З1|3", "З2|3"}));
  W->dsRelayRace.SetFiltered(true);

  // Once more after the leader fell back: its new total sends it down the
  // view at once, and the teams it passes are still totalled.
  ChooseTeam("Avangard");
  EnterCell("А1", "Result", "10");
  EnterCell("А2", "Result", "5");
  ChooseTeam("Dynamo");
  EnterCell("Д2", "Result", "70");
  Click("btnRRCalculate");
  EXPECT_EQ(ViewRows(W->dsRRTeam, {"Position", "Team", "Result"}),
            (QStringList{"1|Dynamo|130", "2|Zenit|120", "3|Avangard|15", "4|Spartak|0"}));
  EXPECT_EQ(Relayed("Д2", "Position"), "1");
  ChooseTeam("Avangard");
  EXPECT_EQ(ViewRows(W->dsRelayRace, {"Name", "Position", "StepResult"}),
            (QStringList{"А1|3|10", "А2|3|15"}));
}

TEST_F(RelayTotals, TheWomensCalculationTotalsOnlyTheWomensTeams) {
  ShowPage("pcRelayRaceSex", "tbshRRWoman");
  CalculateRelayTeams(W->dsRRTeam, W->dsRelayRace);
  EXPECT_EQ(ViewRows(W->dsRRTeam, {"Position", "Team", "Result", "Weight"}),
            (QStringList{"1|Dynamo|50|55", "2|Avangard|0|0", "3|Spartak|0|0", "4|Zenit|0|0"}));
}

TEST_F(RelayTotals, AFailingCalculationPutsTheRelayFilterAndControlsBack) {
  const QString filter = W->dsRelayRace.Filter();
  W->dsRRTeam.AfterPost = [](TClientDataSet&) { throw Exception(QStringLiteral("Сбой записи")); };
  Click("btnShowRRCompetitorHB");
  Click("btnRRCalculate");
  EXPECT_EQ(Dialogs.Errors, QStringList{"Сбой записи"});
  EXPECT_EQ(W->dsRelayRace.Filter(), filter);
  EXPECT_TRUE(W->dsRelayRace.Filtered());
  EXPECT_FALSE(W->dsRelayRace.ControlsDisabled());
  EXPECT_FALSE(W->dsRRTeam.ControlsDisabled());
  EXPECT_EQ(W->dsRRTeam.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(ViewTexts(W->dsRelayRace, "Name"), (QStringList{"Д1", "Д2"}));
}

TEST_F(RelayTotals, ThePrintedSheetHoldsTheTeamsOfThePageShownWithTheirPlaces) {
  W->edCompetitionName->setText(QStringLiteral("Кубок области"));
  Click("btnShowRRCompetitorHB");
  Click("btnRRCalculate");
  const QString filter = W->dsRelayRace.Filter();
  const QString pdf = testing_sandbox::Path(QStringLiteral("relay.pdf"));
  {
    const TPrintToPdf printTo(pdf);
    Click("btnPrintRR");
  }
  ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
  const QString text = testing_pdf::Text(pdf);
  for (const char* expected : {"Кубок области", "мужчин", "Эстафета", "толчок ДЦ", "Avangard", "Dynamo",
                               "Zenit", "А1", "Д2", "З2"}) {
    EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
  }
  // Each team's block carries its place, in a line of its own.
  const QStringList blocks = text.split(QStringLiteral("КОМАНДА:"));
  for (const auto& [team, place] : {std::pair{"Avangard", "1"}, {"Dynamo", "2"}, {"Zenit", "3"}}) {
    const auto block = std::find_if(blocks.cbegin(), blocks.cend(),
                                    [&](const QString& b) { return b.contains(QString::fromLatin1(team)); });
    ASSERT_NE(block, blocks.cend()) << team;
    const QStringList lines = block->split(u'\n');
    EXPECT_TRUE(
        std::any_of(lines.cbegin(), lines.cend(),
                    [&](const QString& line) { return line.trimmed() == QString::fromLatin1(place); }))
        << team << "\n"
        << block->toStdString();
  }
  // The women's relay and the team that did not run are not on the men's
  // sheet.
  for (const char* absent : {"Ж1", "Spartak"}) {
    EXPECT_FALSE(text.contains(QString::fromUtf8(absent))) << absent << "\n" << text.toStdString();
  }
  // The relay view is back as the page left it.
  EXPECT_EQ(W->dsRelayRace.Filter(), filter);
  EXPECT_EQ(ViewTexts(W->dsRelayRace, "Name"), (QStringList{"Д1", "Д2"}));
}

// ---- Team names with an apostrophe ----

TEST_F(Relay, TeamsWithAnApostropheFilterRunAndArePlaced) {
  WriteAthletes({{"Иванов", 1, 70, "Вымпел 'Север'"},
                 {"Петров", 1, 70, "Вымпел 'Север'"},
                 {"Сидоров", 1, 70, "вымпел 'север'"},
                 {"O'Neil", 1, 70, "O'Neil's club"}});
  Build();
  QStringList teams = Items(*W->cbTeam);
  teams.sort();
  EXPECT_EQ(teams, (QStringList{"O'Neil's club", "Вымпел 'Север'"}));
  ChooseTeam("Вымпел 'Север'");
  EXPECT_EQ(ViewTexts(W->dsCompetitor, "Name"), (QStringList{"Иванов", "Петров"}));
  Run("Иванов", 1, 30);
  Run("Петров", 2, 25);
  ChooseTeam("O'Neil's club");
  Run("O'Neil", 1, 40);
  Click("btnShowRRCompetitorHB");
  Click("btnRRCalculate");
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
  EXPECT_EQ(ViewRows(W->dsRRTeam, {"Position", "Team", "Result"}),
            (QStringList{"1|Вымпел 'Север'|55", "2|O'Neil's club|40"}));
  EXPECT_EQ(ViewRows(W->dsRelayRace, {"Name", "Position", "StepResult"}), QStringList{"O'Neil|2|40"});
}

}  // namespace
}  // namespace app_test
