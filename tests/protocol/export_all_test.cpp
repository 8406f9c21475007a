#include "platform/spreadsheet/workbook_model.h"
#include "tests/protocol/sheet_test.h"

using automation_double::TAutomationDouble;
using automation_double::TServerScope;
using competition_fixture::TCompetition;
using competition_fixture::TTableView;
using competition_fixture::ViewOf;

namespace {

class ExportAllTest : public SheetTest {
 protected:
  ExportAllTest() {
    c.AddOrganizer(QStringLiteral("Федерация"));
    for (const int limit : {58, 63, 68, 1000}) {
      c.AddWeightClass(0, limit, QStringLiteral("Судья %1").arg(limit),
                       QStringLiteral("Старший %1").arg(limit));
    }
    for (const int limit : {68, 105, 1000}) {
      c.AddWeightClass(1, limit);
    }
    c.AddCompetitor(c.Snatch, {"Анна", 0, 55.0, "Динамо", 100, 1});
    c.AddCompetitor(c.Snatch, {"Вера", 0, 60.0, "Урал", 90, 1});
    c.AddCompetitor(c.Snatch, {"Галина", 0, 75.0, "Урал", 80, 1});
    c.AddCompetitor(c.Snatch, {"Невзвешенная", 0, 0.0, "Урал", 80, 1});
    // A body weight equal to the limit belongs to that class.
    c.AddCompetitor(c.LongCycle, {"Дарья", 0, 58.0, "Динамо", 50, 1});
    c.AddCompetitor(c.LongCycle, {"Евгений", 1, 120.0, "Урал", 40, 1});
    c.AddCompetitor(c.Biathlon, {"Жора", 1, 100.0, "Урал", 40, 1});
    c.AddCompetitor(c.Biathlon, {"Захар", 1, 110.0, "Динамо", 30, 1});
    c.AddRequirement({"Рывок", "68+", 0, 21, 24, 150});
    c.DefineTeamProtocol({"S_058"});
    c.AddTeamRow("1", "Динамо", 20, {"20"});
    c.AddStage({"Альфа", 1, 1, 2, 2});
    c.AddStage({"Бета", 1, 1, 2, 1});
    // What the window happens to show.
    c.Snatch.SetFilter(QStringLiteral("SexRef=1"));
    c.Snatch.SetFiltered(true);
    c.LongCycle.SetFilter(QStringLiteral("SexRef=0"));
    c.Biathlon.SetFilter(QStringLiteral("Weight > 1"));
    c.Biathlon.SetFiltered(true);
    c.RelayRace.SetFilter(QStringLiteral("Discipline=3"));
    c.RelayRace.SetFiltered(true);
    c.TeamProtocol.SetFilter(QStringLiteral("Point > 0"));
    c.TeamProtocol.SetFiltered(true);
  }

  void Export(const QString& name = QStringLiteral("Кубок")) {
    protocol.ExportAll(name, "12.03.2027", "Тула", c.Organizer, c.ManWeight, c.WomanWeight, c.Biathlon,
                       c.LongCycle, c.Snatch, c.RelayRace, c.TeamProtocol, "Главный Г.", "Секретарь С.",
                       c.Normative, "32", "24", "32", "24", "32", "24");
  }

  std::vector<TTableView> Views() const {
    return {ViewOf(c.Snatch), ViewOf(c.LongCycle), ViewOf(c.Biathlon), ViewOf(c.RelayRace),
            ViewOf(c.TeamProtocol)};
  }
};

TEST_F(ExportAllTest, SheetNamesAndOrderInEitherLanguage) {
  const QStringList relay = {"Эст10", "Эст11", "Эст20", "Эст21", "Эст30", "Эст31"};
  const struct {
    bool english;
    QStringList names;
  } cases[] = {
      {false,
       QStringList{"Р0д58", "ДЦ0д58", "Р0д63", "Р0с68", "Д1д105", "ДЦ1с105", "Д1с105", "СводКом"} + relay},
      {true,
       QStringList{"Р0 58", "ДЦ0 58", "Р0 63", "Р0m68", "Д1 105", "ДЦ1m105", "Д1m105", "СводКом"} + relay},
  };
  for (const auto& cs : cases) {
    TAutomationDouble local(3);
    TServerScope localScope(&local);
    ui.English = cs.english;
    Export();
    EXPECT_EQ(local.SheetNames(), cs.names) << cs.english;
    for (int i = 1; i <= local.SheetCount(); ++i) {
      EXPECT_EQ(local.Sheet(i).PageSetup.at("Orientation"), TAutomationValue(2)) << i;
    }
    // Left open and visible for the secretary; nothing printed.
    EXPECT_EQ(local.Application()->Visible, true);
    EXPECT_FALSE(local.Application()->Quit);
    EXPECT_FALSE(local.Workbook().Closed);
    EXPECT_EQ(local.Workbook().PrintOuts, 0);
  }
}

TEST_F(ExportAllTest, EachClassSheetShowsItsClassItsCompetitorsAndItsReferees) {
  Export();
  // Р0д58: the women's snatch up to 58, with that class's platform referees.
  EXPECT_EQ(Sheet(1).Text("C6"), QStringLiteral("до 58 кг"));
  EXPECT_EQ(Sheet(1).Text("J2"), QStringLiteral("Вес гирь 24 кг"));
  EXPECT_EQ(Sheet(1).Text("B9"), QStringLiteral("Анна"));
  EXPECT_EQ(Sheet(1).Text("B10"), QString());
  EXPECT_EQ(Sheet(1).Text("A13"), QStringLiteral("Старший судья на помосте                 Старший 58"));
  EXPECT_EQ(Sheet(1).Text("A15"),
            QStringLiteral("Судья                                                Судья 58"));
  // ДЦ0д58: 58.0 kg is still the 58 class.
  EXPECT_EQ(Sheet(2).Text("B9"), QStringLiteral("Дарья"));
  // Р0с68: the open class, under the heaviest closed limit, keyed 68+.
  EXPECT_EQ(Sheet(4).Text("C6"), QStringLiteral("свыше 68 кг"));
  EXPECT_EQ(Sheet(4).Text("B9"), QStringLiteral("Галина"));
  EXPECT_EQ(Sheet(4).Text("J6"), QStringLiteral("150"));
  EXPECT_EQ(Sheet(4).Text("A13"), QStringLiteral("Старший судья на помосте                 Старший 1000"));
  // Men's sheets: the men's kettlebell and no platform referees entered.
  EXPECT_EQ(Sheet(5).Text("N2"), QStringLiteral("Вес гирь 32 кг"));
  EXPECT_EQ(Sheet(5).Text("B10"), QStringLiteral("Жора"));
  EXPECT_EQ(Sheet(5).Text("A14"), QString());
  EXPECT_EQ(Sheet(5).Text("G14"), QStringLiteral("Главный секретарь                          Секретарь С."));
  EXPECT_EQ(Sheet(8).Text("C5"), QStringLiteral("Женщины (Рывок)"));
  // Only the men's long cycle relay has stages; teams in order of place.
  for (int sheet = 9; sheet <= 14; ++sheet) {
    EXPECT_EQ(Sheet(sheet).Cells.empty(), sheet != 12) << sheet;
  }
  EXPECT_EQ(Sheet(12).Text("D5"), QStringLiteral("Бета"));
  EXPECT_EQ(Sheet(12).Text("D11"), QStringLiteral("Альфа"));
}

TEST_F(ExportAllTest, RelayStagesComeByPlaceThenTeamThenStageWhateverOrderTheyWereEntered) {
  // Men's snatch relay: Альфа and Вега share the first place, Аист is second;
  // every team's second stage went in before its first.
  c.AddStage({"Аист", 1, 1, 3, 2, "Аист-1", 70.5, 15});
  c.AddStage({"Вега", 2, 1, 3, 1, "Вега-2", 70.5, 35});
  c.AddStage({"Альфа", 2, 1, 3, 1, "Альфа-2", 70.5, 30});
  c.AddStage({"Вега", 1, 1, 3, 1, "Вега-1", 70.5, 40});
  c.AddStage({"Альфа", 1, 1, 3, 1, "Альфа-1", 70.5, 20});
  const auto before = Views();
  Export();
  ASSERT_EQ(excel.SheetNames().at(13), QStringLiteral("Эст31"));
  ExpectCells(Sheet(14), {{"D5", "Альфа"},
                          {"A7", "1"},
                          {"B7", "1"},
                          {"D7", "Альфа-1"},
                          {"H7", "20"},
                          {"B8", "2"},
                          {"D8", "Альфа-2"},
                          {"H8", "=H7+G8"},
                          {"H10", "=SUM(G7:G8)"},
                          {"D12", "Вега"},
                          {"D14", "Вега-1"},
                          {"H14", "40"},
                          {"D15", "Вега-2"},
                          {"H15", "=H14+G15"},
                          {"D19", "Аист"},
                          {"A21", "2"},
                          {"D21", "Аист-1"}});
  EXPECT_EQ(Views(), before);
  EXPECT_TRUE(c.RelayRace.IndexFieldNames().isEmpty());
}

TEST_F(ExportAllTest, TheWindowsViewsComeBack) {
  const auto before = Views();
  Export();
  EXPECT_EQ(Views(), before);
}

TEST_F(ExportAllTest, AFailureMidwayKeepsTheSheetsSoFarAndRestoresTheViews) {
  const auto before = Views();
  excel.FailAt("Name", 3, automation_double::TFailure::OleException, QStringLiteral("name refused"));
  EXPECT_EQ(ErrorOf([&] { Export(); }), QStringLiteral("name refused"));
  EXPECT_EQ(Views(), before);
  EXPECT_EQ(excel.SheetNames().mid(0, 2), (QStringList{"Р0д58", "ДЦ0д58"}));
  EXPECT_EQ(Sheet(3).Text("B9"), QStringLiteral("Вера"));
  EXPECT_FALSE(excel.Application()->Quit);
  EXPECT_FALSE(excel.Workbook().Closed);
}

TEST_F(ExportAllTest, ASpreadsheetThatCannotBeReachedLeavesTheTablesAsTheyWere) {
  const auto before = Views();
  excel.FailAt("CreateInstance", 1, automation_double::TFailure::OleSysError,
               QStringLiteral("Invalid class string"));
  EXPECT_EQ(ErrorOf([&] { Export(); }),
            QStringLiteral("Проблемы с открытием Excel:\r\nInvalid class string"));
  EXPECT_EQ(Views(), before);
}

TEST_F(ExportAllTest, EmptyTablesStillGiveTheSixRelaySheets) {
  TCompetition empty;
  empty.WomanWeight.Close();  // a class table that could not be opened
  empty.AddWeightClass(1, 1000);
  empty.AddCompetitor(empty.Snatch, {"Первый", 1, 90.0, "", 1, 1});
  empty.RelayRace.Close();
  protocol.ExportAll("", "", "", empty.Organizer, empty.ManWeight, empty.WomanWeight, empty.Biathlon,
                     empty.LongCycle, empty.Snatch, empty.RelayRace, empty.TeamProtocol, "", "",
                     empty.Normative, "", "", "", "", "", "");
  // Only the open class: number 0, above 0 kg.
  EXPECT_EQ(excel.SheetNames(), (QStringList{"Р1с0", "Эст10", "Эст11", "Эст20", "Эст21", "Эст30", "Эст31"}));
  // Empty general fields leave empty texts where they would stand.
  ExpectCells(Sheet(1), {{"A1", ""},
                         {"J1", "Вес гирь  кг"},
                         {"C3", " по гиревому спорту среди мужчин (рывок)"},
                         {"C5", "свыше 0 кг"},
                         {"B8", "Первый"}});
}

// A national meet's team sheet runs past column Z; the export writes it
// whole, one page wide, and goes on to the relays.
TEST_F(ExportAllTest, ANationalMeetsTeamSheetIsExportedWholeAndTheRelaysFollow) {
  for (const int columns : {26, 40}) {
    TAutomationDouble local(3);
    TServerScope localScope(&local);
    TCompetition national;
    national.AddWeightClass(0, 58);
    national.AddCompetitor(national.Snatch, {"Анна", 0, 55.0, "Динамо", 100, 1});
    national.AddStage({"Динамо", 1, 1, 2, 1});
    const QStringList names = competition_fixture::NationalMeetColumns(columns);
    national.DefineTeamProtocol(names);
    national.AddTeamRow("1", "Динамо", 20, QStringList(names.size(), QStringLiteral("20")));
    protocol.ExportAll("Чемпионат России", "", "", national.Organizer, national.ManWeight,
                       national.WomanWeight, national.Biathlon, national.LongCycle, national.Snatch,
                       national.RelayRace, national.TeamProtocol, "", "", national.Normative, "32", "24",
                       "32", "24", "32", "24");
    EXPECT_EQ(local.SheetNames(),
              (QStringList{"Р0д58", "СводКом", "Эст10", "Эст11", "Эст20", "Эст21", "Эст30", "Эст31"}))
        << columns;
    const auto& team = local.Sheet(2);
    const QString points = spreadsheet::ColumnName(3 + columns);
    EXPECT_EQ(team.Text(points + "4"), QStringLiteral("Очки")) << columns;
    EXPECT_EQ(team.Text(points + "6"), QStringLiteral("20")) << columns;
    EXPECT_EQ(team.PageSetup.at("FitToPagesWide"), TAutomationValue(1)) << columns;
    EXPECT_EQ(team.PageSetup.at("Orientation"), TAutomationValue(2)) << columns;
    EXPECT_EQ(local.Sheet(6).Text("D4"), QStringLiteral("Динамо")) << columns;
  }
}

TEST_F(ExportAllTest, PercentInTheNameOnEverySheetKind) {
  Export(QStringLiteral("Кубок 100%"));
  EXPECT_EQ(Sheet(1).Text("C4"), QStringLiteral("Кубок 100% по гиревому спорту среди женщин (рывок)"));
  EXPECT_EQ(Sheet(5).Text("D4"), QStringLiteral("Кубок 100% по гиревому спорту среди мужчин (двоеборье)"));
  EXPECT_EQ(Sheet(8).Text("C3"), QStringLiteral("Кубок 100% по гиревому спорту среди мужчин и женщин"));
  EXPECT_EQ(Sheet(12).Text("D3"),
            QStringLiteral("Кубок 100% по гиревому спорту среди мужчин Эстафета (толчок ДЦ)"));
}

}  // namespace
