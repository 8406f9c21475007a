// The team protocol tab: the fill from the discipline protocols by class and
// sex, the best-N cut, the relay step,
// team expressions, totals and shared places, the mark of points that do not
// count for the team, the grid's keys, title clicks and insert guard.
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSpinBox>
#include <climits>

#include "app/main_window.h"
#include "app/team_protocol_tab.h"
#include "common/int_sort_list.h"
#include "platform/spreadsheet/office.h"
#include "platform/widgets/data_grid.h"
#include "tests/app/athletes.h"
#include "tests/app/team_protocol_fixture.h"
#include "tests/app/window_fixture.h"
#include "tests/support/pdf_reader.h"
namespace app_test {
namespace {

// ---- Fill ----

TEST_F(TeamProtocol, PointsFillTheCellOfTheirDisciplineSexAndClass) {
  Fill(window->dsLongCycle, {
                                {"Динамо", 0, 58.0, 20, true, 100},
                                {"ДИНАМО", 0, 58.0, 16, true, 90},
                                {"Вымпел 'Север'", 0, 58.5, 15, false},  // counts though not marked
                                {"Урал", 1, 110, 18},
                                {"Спартак", 1, 63.0, 5},
                                {"Спартак", 1, 63.5},  // no point: nothing more
                                {"Без очков", 1, 70},
                            });
  Fill(window->dsSnatch, {{"динамо", 1, 73, 20}});
  Fill(window->dsBiathlon, {{"O'Neil's club", 0, 66, 9}});
  // The competition tab leaves a protocol filtered to one class.
  window->dsLongCycle.SetFilter("(SexRef=1) and (Weight > 105)");
  window->dsLongCycle.SetFiltered(true);
  window->dsManWeight.Last();

  Build();
  ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join('\n').toStdString();
  EXPECT_EQ(Team().RecordCount(), 6);
  // One row for one team however it is spelt; the last spelling stays.
  EXPECT_EQ(Values("динамо"), (QStringList{"LC_058=20+16", "S_173=20"}));
  EXPECT_EQ(Values("Вымпел 'Север'"), QStringList{"LC_063=15"});
  EXPECT_EQ(Values("Урал"), QStringList{"LC_11000=18"});
  // 63 kg exactly belongs to the class of 63.
  EXPECT_EQ(Values("Спартак"), QStringList{"LC_163=5"});
  EXPECT_EQ(Values("Без очков"), QStringList{});
  EXPECT_EQ(Values("O'Neil's club"), QStringList{"B_068=9"});
  EXPECT_EQ(GridTitles(), (QStringList{"Место", "Команда", "Ж (ДЦ) 58", "Ж (ДЦ) 63", "М (ДЦ) 63",
                                       "М (ДЦ) свыше", "М (Р) 73", "Ж (Д) 68", "Очки"}));

  EXPECT_EQ(window->dsLongCycle.Filter(), "(SexRef=1) and (Weight > 105)");
  EXPECT_TRUE(window->dsLongCycle.Filtered());
  EXPECT_EQ(window->dsManWeight.FieldByName("Weight").AsInteger(), 1000);
  // The guard is back.
  RunGuarded([&] { Team().Insert(); });
  EXPECT_EQ(Team().State(), TDataSetState::dsBrowse);
}

TEST_F(TeamProtocol, LongTeamNamesAndManyScorersStayWhole) {
  const QString longName = QStringLiteral("Спортивный клуб «Богатыри Северо-Западного федерального округа»");
  const QByteArray name = longName.toUtf8();
  Fill(window->dsLongCycle, {{name.constData(), 1, 70, 20, true, 30}, {name.constData(), 0, 60, 3}});
  const int points[] = {18, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7};
  for (const int point : points) {
    Fill(window->dsLongCycle, {{name.constData(), 1, 70, point, true, point}});
  }
  Build();
  EXPECT_EQ(Values(longName), (QStringList{"LC_063=3", "LC_173=20+18+16+15+14+13+12+11+10+9+8+7"}));
  Calculate();
  EXPECT_EQ(Value(longName, "Point"), "156");
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join('\n').toStdString();
}

TEST_F(TeamProtocol, PointsOfAClassWithoutAColumnStopTheBuildAndLeaveEverythingRestored) {
  window->cbSnatch->setChecked(false);
  Fill(window->dsLongCycle, {{"Динамо", 0, 58, 20}});
  Fill(window->dsSnatch, {{"Урал", 0, 58, 18}});
  window->dsSnatch.SetFilter("(SexRef=0)");
  window->dsSnatch.SetFiltered(true);
  window->cbCountTeamProtocolCompetitor->setChecked(true);
  Build();
  EXPECT_EQ(Dialogs.Errors, QStringList{"dsTeamProtocol: Field 'S_058' not found"});
  EXPECT_EQ(Team().State(), TDataSetState::dsBrowse);
  EXPECT_EQ(Values("Динамо"), QStringList{"LC_058=20"});
  EXPECT_EQ(RowOf("Урал"), -1);
  EXPECT_EQ(window->dsSnatch.Filter(), "(SexRef=0)");
  EXPECT_TRUE(window->dsSnatch.Filtered());
  RunGuarded([&] { Team().Insert(); });
  EXPECT_EQ(Team().State(), TDataSetState::dsBrowse);
}

// ---- Best N and the relay ----

TEST_F(TeamProtocol, BestTwoKeepTheLargestOfEachCellAndTheRelayComesOnTopTripled) {
  Fill(window->dsLongCycle, {
                                {"Динамо", 0, 58, 16, true, 30},
                                {"Динамо", 0, 58, 20, true, 20},
                                {"Динамо", 0, 58, 18, true, 10},
                                {"Динамо", 1, 70, 9, true, 30},
                                {"Динамо", 1, 70, 15, true, 20},
                                {"Урал", 1, 70, 16, true, 30},
                                {"Урал", 1, 70, 16, true, 20},
                                {"Урал", 1, 70, 3, true, 10},
                            });
  FillRelay(window->dsRelayRace, {
                                     {"динамо", 1, 3, "свыше", "40"},  // snatch, open class
                                     {"Динамо", 0, 2, "58", "10"},     // long cycle
                                     {"Динамо", 0, 1, "58", "50"},     // jerk: not counted
                                     {"Урал", 1, 2, "73", ""},         // no result: 0
                                     {"Урал", 1, 3, "above", "5"},     // built in the other language
                                     {"Нет такой", 1, 3, "63", "30"},  // no row
                                     {"Урал", 1, 3, "64", "30"},       // no such column
                                 });
  window->dsRelayRace.SetFilter("(SexRef=1) and (Discipline=1)");
  window->dsRelayRace.SetFiltered(true);
  window->cbCountTeamProtocolCompetitor->setChecked(true);
  window->seCountTeamProtocolCompetitor->setValue(2);
  window->cbAddRelayToTeamProtocol->setChecked(true);
  Build();
  ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join('\n').toStdString();
  EXPECT_EQ(Values("Динамо"), (QStringList{"LC_058=20+18+30", "LC_173=15+9", "S_11000=120"}));
  EXPECT_EQ(Values("Урал"), (QStringList{"LC_173=16+16+0", "S_11000=15"}));
  EXPECT_EQ(RowOf("Нет такой"), -1);
  EXPECT_EQ(window->dsRelayRace.Filter(), "(SexRef=1) and (Discipline=1)");
  EXPECT_TRUE(window->dsRelayRace.Filtered());
  // A column filled by the relay alone stays out of the grid.
  EXPECT_EQ(window->grTeamProtocol->ColumnPosition("S_11000"), -1);
  EXPECT_EQ(window->grTeamProtocol->ColumnPosition("LC_173"), 3);
}

TEST_F(TeamProtocol, BestNCutsEveryCellOnItsOwn) {
  struct TCutCase {
    const char* Cell;
    int N;
    const char* Cut;
  };
  const TCutCase cases[] = {
      {"20+18+16", 2, "20+18"}, {"9+15", 2, "15+9"}, {"16+16+3", 2, "16+16"},
      {"3+20+18", 1, "20"},     {"7", 3, "7"},       {"0+0+5", 2, "5+0"},
  };
  TClientDataSet team(QStringLiteral("dsTeamProtocol"));
  for (const char* name : {"Position", "Team"}) {
    team.AddField(QString::fromLatin1(name), TFieldType::ftString);
  }
  team.AddField("Point", TFieldType::ftInteger);
  team.AddField("S_058", TFieldType::ftString, team_protocol::kTeamTextWidth);
  team.AddField("S_063", TFieldType::ftString, team_protocol::kTeamTextWidth);
  for (const TCutCase& c : cases) {
    team.CreateDataSet();
    team.Append();
    team.FieldByName("S_058").SetAsString(QString::fromLatin1(c.Cell));
    team.FieldByName("S_063").SetAsString("1+2+3");
    team.Post();
    team_protocol::LimitTeamCells(team, c.N);
    EXPECT_EQ(team.FieldByName("S_058").AsString(), QString::fromLatin1(c.Cut)) << c.Cell;
    EXPECT_EQ(team.FieldByName("S_063").AsString(), c.N == 1 ? "3" : c.N == 2 ? "3+2" : "3+2+1") << c.Cell;
  }
}

// ---- Expressions, totals and places ----

TEST_F(TeamProtocol, TeamExpressionsAreCheckedCharacterByCharacter) {
  const auto digit = [](int position) {
    return QStringLiteral("Нарушен формат выражения: позиция %1, ожидается цифра").arg(position);
  };
  const auto character = [](int position, const char* c) {
    return QStringLiteral("Нарушен формат выражения: позиция %1, недопустимый символ %2")
        .arg(position)
        .arg(QString::fromUtf8(c));
  };
  const QString tooLarge = QStringLiteral("'2147483648' is not a valid integer value");
  struct TExpressionCase {
    const char* Text;
    QString Error;  // empty: the sum follows
    int Sum = 0;
  };
  const TExpressionCase cases[] = {
      {"7", "", 7},
      {"20+16+9", "", 45},
      {"12#x", "", 12},
      {"007+1", "", 8},
      {"2147483647", "", INT_MAX},
      {"15+", digit(4)},
      {"+15", digit(1)},
      {"", digit(1)},
      {"12++3", digit(4)},
      {"-5", digit(1)},  // a negative point typed into a protocol
      {"20+-5", digit(4)},
      {"1 5", character(2, " ")},
      {"18(л)", character(3, "(")},
      {"20,5", character(3, ",")},
      {"2147483648", tooLarge},
      {"2147483647+1", tooLarge},
  };
  for (const TExpressionCase& c : cases) {
    QString error;
    int sum = 0;
    try {
      sum = window->SumTeamExpression(QString::fromUtf8(c.Text));
    } catch (const Exception& e) {
      error = e.Message();
    }
    EXPECT_EQ(error, c.Error) << c.Text;
    EXPECT_EQ(sum, c.Sum) << c.Text;
  }
  // The numbers go into the list as they are, equal ones kept apart.
  TIntSortList list;
  window->CheckTeamExpression("16+20+16", list);
  EXPECT_EQ(list.Count, 3);
  EXPECT_EQ(list.Pop(), 20);
  EXPECT_EQ(list.Pop(), 16);
  EXPECT_EQ(list.Pop(), 16);
}

TEST_F(TeamProtocol, EqualTotalsShareTheirBlockOfPlaces) {
  struct TPlacesCase {
    const char* What;
    std::vector<std::pair<const char*, const char*>> Teams;  // team, its LC_058 cell
    QStringList Expected;                                    // "Team Position Point"
  };
  const TPlacesCase cases[] = {
      {"two share the second",
       {{"А", "30"}, {"Б", "20+22"}, {"В", "50"}, {"Г", "40+2"}},
       {"А 4 30", "Б 2-3 42", "В 1 50", "Г 2-3 42"}},
      {"two share the top",
       {{"А", "20"}, {"Б", "20"}, {"В", "5"}, {"Г", ""}},
       {"А 1-2 20", "Б 1-2 20", "В 3 5", "Г 4 0"}},
      {"three without points",
       {{"А", ""}, {"Б", "1"}, {"В", ""}, {"Г", ""}},
       {"А 2-3-4 0", "Б 1 1", "В 2-3-4 0", "Г 2-3-4 0"}},
  };
  for (const TPlacesCase& c : cases) {
    Restart();
    TeamsWithCells(c.Teams);
    Calculate();
    QStringList got;
    for (const auto& [team, cell] : c.Teams) {
      got << QString::fromUtf8(team) + u' ' + Value(QString::fromUtf8(team), "Position") + u' ' +
                 Value(QString::fromUtf8(team), "Point");
    }
    EXPECT_EQ(got, c.Expected) << c.What;
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << c.What << Dialogs.Errors.join('\n').toStdString();
    EXPECT_FALSE(Team().Filtered()) << c.What;
  }
}

TEST_F(TeamProtocol, TotalsCountEveryCellOnceWhateverOrderTheGridShows) {
  Fill(window->dsLongCycle, {{"А", 0, 55, 20}, {"Б", 0, 55, 18}, {"В", 0, 55, 16}, {"Г", 0, 55, 15}});
  Fill(window->dsSnatch, {{"А", 1, 70, 1}, {"Б", 1, 70, 9}, {"В", 1, 70, 16}, {"Г", 1, 70, 20}});
  Build();
  // Ordered by the points and then by the places while they are written.
  for (const char* field : {"Point", "Position"}) {
    Team().SetIndexFieldNames(field);
    Calculate();
    EXPECT_EQ(Values("А"), (QStringList{"Position=4", "Point=21", "LC_058=20", "S_173=1"})) << field;
    EXPECT_EQ(Values("Б"), (QStringList{"Position=3", "Point=27", "LC_058=18", "S_173=9"})) << field;
    EXPECT_EQ(Values("В"), (QStringList{"Position=2", "Point=32", "LC_058=16", "S_173=16"})) << field;
    EXPECT_EQ(Values("Г"), (QStringList{"Position=1", "Point=35", "LC_058=15", "S_173=20"})) << field;
  }
}

TEST_F(TeamProtocol, ABadCellStopsTheTotalsWithItsPositionAndGivesNoPlace) {
  Fill(window->dsLongCycle, {{"А", 0, 55, 20}, {"Б", 0, 55, -5}, {"В", 0, 55, 16}});
  Build();
  Calculate();
  EXPECT_EQ(Dialogs.Errors, QStringList{"Нарушен формат выражения: позиция 1, ожидается цифра"});
  EXPECT_EQ(Team().State(), TDataSetState::dsBrowse);
  EXPECT_FALSE(Team().Filtered());
  for (const char* team : {"А", "Б", "В"}) {
    EXPECT_EQ(Value(team, "Position"), "") << team;
  }
  // The rows totalled before the bad one keep their totals.
  const int bad = RowOf("Б");
  for (const auto& [team, total] : {std::pair{"А", "20"}, std::pair{"В", "16"}}) {
    EXPECT_EQ(Value(team, "Point"), RowOf(team) < bad ? total : "") << team;
  }

  // The same cell stops the best-N cut of a build at that cell.
  Dialogs.Errors.clear();
  window->cbCountTeamProtocolCompetitor->setChecked(true);
  Build();
  EXPECT_EQ(Dialogs.Errors, QStringList{"Нарушен формат выражения: позиция 1, ожидается цифра"});
  EXPECT_EQ(Team().State(), TDataSetState::dsBrowse);
  EXPECT_EQ(Value("Б", "LC_058"), "-5");
}

TEST_F(TeamProtocol, PlacesThatAnOlderNarrowFileCannotHoldAreRefusedNotCut) {
  // A protocol file of the narrow columns, opened before any build.
  std::vector<TTeamRow> teams;
  for (int i = 1; i <= 12; ++i) {
    teams.push_back({{"Team", QStringLiteral("Команда %1").arg(i)}});
  }
  Team().LoadFromBytes(TeamProtocolPacket({"Position", "Team", "Point", "LC_058"}, 20, teams));
  Calculate();
  EXPECT_EQ(
      Dialogs.Errors,
      QStringList{
          "dsTeamProtocol: значение \"1-2-3-4-5-6-7-8-9-10-11-12\" длиннее поля Position (20 символов)"});
  EXPECT_EQ(Value("Команда 1", "Position"), "");

  // Built columns hold it whole.
  Dialogs.Errors.clear();
  for (int i = 1; i <= 12; ++i) {
    Fill(window->dsLongCycle, {{QStringLiteral("Команда %1").arg(i).toUtf8().constData(), 0, 55}});
  }
  Build();
  Calculate();
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join('\n').toStdString();
  EXPECT_EQ(Value("Команда 7", "Position"), "1-2-3-4-5-6-7-8-9-10-11-12");
}

// ---- Display mark ----

TEST_F(TeamProtocol, PointsOfAthletesNotAtTheTeamAreMarked) {
  struct TMarkCase {
    TClientDataSet TCompetitionTables::*Protocol;
    int Point;
    int AtTheTeam;  // -1: empty
    const char* Shown;
  };
  const TMarkCase cases[] = {
      {&TCompetitionTables::dsSnatch, 18, 1, "18"},
      {&TCompetitionTables::dsSnatch, 18, 0, "18(л)"},
      {&TCompetitionTables::dsLongCycle, 16, -1, "16(л)"},
      {&TCompetitionTables::dsBiathlon, kNoPoint, 0, "(л)"},
      {&TCompetitionTables::dsBiathlon, kNoPoint, 1, ""},
  };
  for (const TMarkCase& c : cases) {
    TClientDataSet& protocol = window->Tables().*c.Protocol;
    protocol.CreateDataSet();
    Fill(protocol, {{"Динамо", 1, 70, c.Point}});
    protocol.Edit();
    if (c.AtTheTeam < 0) {
      protocol.FieldByName("AtTheTeam").Clear();
    } else {
      protocol.FieldByName("AtTheTeam").SetAsBoolean(c.AtTheTeam == 1);
    }
    protocol.Post();
    TField& point = protocol.FieldByName("Point");
    EXPECT_EQ(protocol.DisplayTextAt(0, point), QString::fromUtf8(c.Shown)) << c.Shown;
    // The text to edit is the number alone.
    EXPECT_EQ(point.Text(), c.Point == kNoPoint ? "" : QString::number(c.Point)) << c.Shown;
  }
}

// ---- The grid ----

TEST_F(TeamProtocol, TheGridTakesOnlyDigitsAndPlusAndNeverInserts) {
  Fill(window->dsLongCycle, {{"Динамо", 0, 55, 20}, {"Урал", 0, 55, 18}});
  ShowActive(*window);
  window->pcMain->setCurrentWidget(window->tbshTeamProtocol);
  Build();
  TDataGrid& grid = *window->grTeamProtocol;
  grid.setFocus();
  QApplication::processEvents();
  const int column = grid.ColumnPosition("LC_058");
  ASSERT_GE(column, 0);
  grid.setCurrentIndex(grid.model()->index(0, column));
  const QString team = Team().FieldByName("Team").AsString();
  Type(QStringLiteral("1a+ 2Ж"));
  ASSERT_TRUE(grid.EditorOpen());
  QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
  QApplication::sendEvent(QApplication::focusWidget(), &backspace);
  grid.CommitEditor();
  Team().Post();
  EXPECT_EQ(Value(team, "LC_058"), "1+2");
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join('\n').toStdString();

  // Insert and Down on the last row are refused without a word.
  grid.setFocus();
  QTest::keyClick(&grid, Qt::Key_Insert);
  grid.setCurrentIndex(grid.model()->index(1, column));
  QTest::keyClick(&grid, Qt::Key_Down);
  EXPECT_EQ(Team().RecordCount(), 2);
  EXPECT_EQ(Team().State(), TDataSetState::dsBrowse);
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join('\n').toStdString();
}

TEST_F(TeamProtocol, ATitleClickOrdersTheRowsByItsColumn) {
  Fill(window->dsLongCycle, {{"Б", 0, 55, 2}, {"В", 0, 55, 10}, {"А", 0, 55, 9}});
  ShowActive(*window);
  window->pcMain->setCurrentWidget(window->tbshTeamProtocol);
  Build();
  Calculate();
  TDataGrid& grid = *window->grTeamProtocol;
  QHeaderView* titles = grid.horizontalHeader();
  const auto clickTitle = [&](const char* field) {
    const int logical = titles->logicalIndex(grid.ColumnPosition(field));
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {},
                      QPoint(titles->sectionViewportPosition(logical) + titles->sectionSize(logical) / 2,
                             titles->height() / 2));
  };
  const auto order = [&] {
    QStringList teams;
    for (int row = 0; row < Team().RecordCount(); ++row) {
      teams << Team().ValueAt(row, Team().FieldByName("Team")).toString();
    }
    return teams;
  };
  clickTitle("Team");
  EXPECT_EQ(Team().IndexFieldNames(), "Team");
  EXPECT_EQ(order(), (QStringList{"А", "Б", "В"}));
  // Cells order as text, the points as numbers.
  clickTitle("LC_058");
  EXPECT_EQ(order(), (QStringList{"В", "Б", "А"}));
  clickTitle("Point");
  EXPECT_EQ(order(), (QStringList{"Б", "А", "В"}));
}

// ---- Printing ----

TEST_F(TeamProtocol, TheSheetPrintsWhatTheBuildAndTheCalculationGave) {
  if (office::FindSoffice(nullptr).isEmpty()) {
    GTEST_SKIP() << "LibreOffice is not installed";
  }
  WriteAthletes({{"Иванов", 1, 66, "Динамо", true, true},
                 {"Козлов", 1, 65, "Динамо", true, false},
                 {"Петров", 1, 67, "Вымпел 'Север'", true, false},
                 {"Сидорова", 0, 57, "Динамо", true, false}});
  Restart();
  ShowActive(*window);
  ShowPageOf(window->tbshCompetition);
  QTest::mouseClick(window->btnNewCompetition, Qt::LeftButton);
  ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
  // The points as the secretary leaves them; the result typed after them
  // renumbers the places and posts.
  const auto score = [](TClientDataSet& protocol, const char* name, int point, int result) {
    protocol.SetFiltered(false);
    ASSERT_TRUE(protocol.Locate("Name", QString::fromUtf8(name))) << name;
    protocol.Edit();
    protocol.FieldByName("Point").SetAsInteger(point);
    protocol.FieldByName("Result").SetAsInteger(result);
    protocol.Post();
  };
  score(window->dsSnatch, "Петров", 20, 130);
  score(window->dsSnatch, "Иванов", 18, 120);
  score(window->dsSnatch, "Козлов", 16, 110);
  score(window->dsSnatch, "Сидорова", 20, 90);
  score(window->dsLongCycle, "Иванов", 20, 50);
  window->edCompetitionName->setText(QStringLiteral("Кубок области"));

  ShowPageOf(window->tbshTeamProtocol);
  Build();
  Calculate();
  EXPECT_EQ(Values("Динамо"),
            (QStringList{"Position=1", "Point=74", "LC_168=20", "S_058=20", "S_168=18+16"}));
  EXPECT_EQ(Values("Вымпел 'Север'"), (QStringList{"Position=2", "Point=20", "S_168=20"}));

  const QString pdf = testing_sandbox::Path(QStringLiteral("team.pdf"));
  {
    const TPrintToPdf printTo(pdf);
    Click("btnPrintTeamProtocol");
  }
  ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
  const QString text = testing_pdf::Text(pdf);
  // The title and the group captions wrap over the narrow sheet: looked for
  // word by word.
  for (const char* expected :
       {"СВОДНЫЙ", "ПРОТОКОЛ", "Кубок области", "Вымпел 'Север'", "Динамо", "18+16", "74"}) {
    EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
  }
}

}  // namespace
}  // namespace app_test
