#include "tests/protocol/sheet_test.h"

using competition_fixture::TStage;
using competition_fixture::TTableView;
using competition_fixture::ViewOf;

namespace {

class RelayRaceSheetTest : public SheetTest {
 protected:
  RelayRaceSheetTest() { c.AddOrganizer(QStringLiteral("Федерация")); }

  // Teams of four stages each, men's long cycle, entered last stage first.
  void AddTeams(const QStringList& teams, int stages = 4) {
    int position = 1;
    for (const QString& team : teams) {
      for (int step = stages; step >= 1; --step) {
        c.AddStage({team, step, 1, 2, position, QString(), 70.0 + step, 10 * step});
      }
      ++position;
    }
  }

  void Print(int sex = 1, int discipline = 2, const QString& name = QStringLiteral("Кубок")) {
    protocol.PrintRelayRace(sex, discipline, name, "12.03.2027", "Тула", c.Organizer, c.RelayRace);
  }
};

TEST_F(RelayRaceSheetTest, ThreeTeamsOfFourStagesWithOneOrganiser) {
  AddTeams({"Альфа", "Бета", "Гамма"});
  // Other relays of the table stay off this sheet.
  c.AddStage({"Альфа", 1, 0, 2, 1, "Женщина"});
  c.AddStage({"Альфа", 1, 1, 3, 1, "Рывковый"});
  Print();
  const auto& sheet = Sheet();
  // Heads on rows 5, 14 and 23; the last block's total result on row 30.
  EXPECT_EQ(sheet.UsedRows(), Rows({1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 14, 15,
                                    16, 17, 18, 19, 20, 21, 23, 24, 25, 26, 27, 28, 29, 30}));
  ExpectCells(sheet, {
                         {"A1", "Федерация"},
                         {"A2", "Вес гирь 32 кг"},
                         {"D2", "ПРОТОКОЛ"},
                         {"A3", "Высшее достижение России"},
                         {"D3", "Кубок по гиревому спорту среди мужчин Эстафета (толчок ДЦ)"},
                         {"I3", "12.03.2027"},
                         {"A4", ""},
                         {"I4", "Тула"},
                         {"A5", "КОМАНДА:"},
                         {"D5", "Альфа"},
                         {"A6", "Место"},
                         {"B6", "Этап"},
                         {"C6", "Вес. категория"},
                         {"D6", "ФИО"},
                         {"E6", "Дата рожд."},
                         {"F6", "Соб. вес"},
                         {"G6", "Результат участника"},
                         {"H6", "Рез-т команды после этапа"},
                         {"I6", "ФИО тренера(тренеров)"},
                         {"A7", "1"},
                         {"B7", "1"},
                         {"C7", "до 73"},
                         {"D7", "Альфа 1"},
                         {"E7", "04.03.1999"},
                         {"F7", "71.0"},
                         {"G7", "10"},
                         {"H7", "10"},
                         {"B8", "2"},
                         {"H8", "=H7+G8"},
                         {"H10", "=H9+G10"},
                         {"A11", "Общий вес команды:"},
                         {"F11", "=SUM(F7:F10)"},
                         {"A12", "Результат команды (количество подъёмов):"},
                         {"H12", "=SUM(G7:G10)"},
                         {"D14", "Бета"},
                         {"A16", "2"},
                         {"H16", "10"},
                         {"H17", "=H16+G17"},
                         {"D23", "Гамма"},
                         {"A25", "3"},
                         {"F29", "=SUM(F25:F28)"},
                         {"H30", "=SUM(G25:G28)"},
                     });
  // The body weight goes in as a number; the running results and the totals
  // as formulas.
  EXPECT_EQ(sheet.Cell("F7")->Value, TAutomationValue(71.0));
  EXPECT_EQ(sheet.Cell("H8")->Formula, QStringLiteral("=H7+G8"));
  EXPECT_EQ(sheet.Cell("F11")->Formula, QStringLiteral("=SUM(F7:F10)"));
  for (const auto& [from, to] : {std::pair{"A3", "C3"}, std::pair{"A4", "C4"}, std::pair{"A7", "A10"},
                                 std::pair{"A16", "A19"}, std::pair{"A25", "A28"}}) {
    EXPECT_TRUE(sheet.IsMerged(from, to)) << from;
    EXPECT_TRUE(sheet.IsFramed(from, to)) << from;
  }
  for (const auto& [from, to, centred] :
       {std::tuple{"A1", "I1", true}, std::tuple{"A2", "B2", true}, std::tuple{"D2", "H2", true},
        std::tuple{"D3", "H3", true}, std::tuple{"A5", "C5", false}, std::tuple{"A11", "E11", false},
        std::tuple{"A12", "G12", false}}) {
    ASSERT_TRUE(sheet.IsMerged(from, to)) << from;
    EXPECT_EQ(sheet.Range(from, to)->HorizontalAlignment, centred ? -4108 : 1) << from;
  }
  for (const char* boxed : {"A6", "I6", "B7", "I7", "H10", "F11", "H12", "F29", "H30"}) {
    EXPECT_TRUE(sheet.IsBoxed(QString::fromLatin1(boxed))) << boxed;
  }
  EXPECT_FALSE(sheet.IsBoxed("A7"));  // framed as part of the place cell
  EXPECT_EQ(sheet.ColumnWidths,
            (std::map<int, int>{{1, 7}, {2, 7}, {3, 9}, {4, 42}, {5, 9}, {6, 9}, {7, 8}, {8, 11}, {9, 29}}));
}

struct TitleCase {
  const char* name;
  bool english;
  int sex;
  int discipline;
  const char* title;
};

TEST_F(RelayRaceSheetTest, TitleNamesTheSexTheRelayAndTheDiscipline) {
  for (int discipline = 0; discipline <= 3; ++discipline) {
    for (int sex = 0; sex <= 1; ++sex) {
      c.AddStage({"Альфа", 1, sex, discipline, 1});
    }
  }
  const TitleCase cases[] = {
      {"men's jerk", false, 1, 1, "Cup 5% по гиревому спорту среди мужчин Эстафета (короткий толчок)"},
      {"women's long cycle", false, 0, 2, "Cup 5% по гиревому спорту среди женщин Эстафета (толчок ДЦ)"},
      {"men's snatch", false, 1, 3, "Cup 5% по гиревому спорту среди мужчин Эстафета (рывок)"},
      {"no discipline tab", false, 1, 0, "Cup 5% по гиревому спорту среди мужчин Эстафета ()"},
      {"English jerk", true, 0, 1, "Cup 5% по гиревому спорту среди женщин RELAY (jerk)"},
      {"English long cycle", true, 1, 2, "Cup 5% по гиревому спорту среди мужчин RELAY (Long cycle)"},
  };
  for (const auto& cs : cases) {
    automation_double::TAutomationDouble local(1);
    automation_double::TServerScope localScope(&local);
    ui.English = cs.english;
    Print(cs.sex, cs.discipline, QStringLiteral("Cup 5%"));
    EXPECT_EQ(local.Sheet(1).Text("D3"), QString::fromUtf8(cs.title)) << cs.name;
    // Either sex lifts 32 kg in the relay. The English line takes two lines
    // of its two columns, and its row makes room for them.
    EXPECT_TRUE(local.Sheet(1).Text("A2").contains(QStringLiteral("32"))) << cs.name;
    EXPECT_EQ(local.Sheet(1).RowHeights.contains(2), cs.english) << cs.name;
  }
}

// Enough teams to cross pages: each block that the rest of a page cannot hold
// begins the next page, and the competitor's result caption, too narrow for
// its column G, runs up its row at full size instead of shrinking.
TEST_F(RelayRaceSheetTest, ABlockThatThePageCannotHoldBeginsTheNext) {
  AddTeams({"Альфа", "Бета", "Гамма", "Дельта", "Эпсилон", "Зета", "Эта", "Тета"});
  Print();
  const auto& sheet = Sheet();
  EXPECT_EQ(sheet.Range("G6", "G6")->Orientation, 90);
  EXPECT_EQ(sheet.Range("G6", "G6")->WrapText, true);
  // Its two lines side by side across the column, as high as "участника".
  EXPECT_EQ(sheet.RowHeights.at(6), 50);
  // Blocks of 155 points (caption 15, titles 50, four stages, two totals)
  // on rows 5, 14, 23, ... under a head of 60: the third and the sixth
  // would be cut by the page's foot.
  EXPECT_EQ(sheet.PageBreaks, (std::set<int>{23, 50}));
  for (const int row : sheet.PageBreaks) {
    EXPECT_EQ(sheet.Text(QStringLiteral("A%1").arg(row)), QStringLiteral("КОМАНДА:")) << row;
  }
  // The print's page, on the sheet itself, for the export too.
  EXPECT_EQ(sheet.PageSetup.at("FitToPagesTall"), TAutomationValue(false));
  EXPECT_EQ(sheet.PageSetup.at("TopMargin"), TAutomationValue(28));
}

TEST_F(RelayRaceSheetTest, ATeamOfOneStage) {
  c.AddStage({"Соло", 1, 1, 2, 1, "Один", 80.5, 42});
  Print();
  const auto& sheet = Sheet();
  EXPECT_TRUE(sheet.IsMerged("A7", "A7"));
  ExpectCells(sheet, {{"H7", "42"}, {"F8", "=SUM(F7:F7)"}, {"H9", "=SUM(G7:G7)"}});
  EXPECT_EQ(*sheet.UsedRows().rbegin(), 9);
}

TEST_F(RelayRaceSheetTest, ATeamSplitByTheOrderGetsTwoBlocks) {
  c.AddStage({"Альфа", 1, 1, 2, 1});
  c.AddStage({"Бета", 1, 1, 2, 1});
  c.AddStage({"Альфа", 2, 1, 2, 2});
  c.RelayRace.SetIndexName(QStringLiteral("dsRelayRaceIndexPosition"));
  Print();
  const auto& sheet = Sheet();
  // Heads on 5, 11 and 17, one stage each.
  ExpectCells(sheet,
              {{"D5", "Альфа"}, {"D11", "Бета"}, {"D17", "Альфа"}, {"B19", "2"}, {"H21", "=SUM(G19:G19)"}});
  EXPECT_EQ(c.RelayRace.IndexName(), QStringLiteral("dsRelayRaceIndexPosition"));
}

TEST_F(RelayRaceSheetTest, StagesWithoutATeamFormOneBlockWithItsTotals) {
  c.AddStage({"", 1, 1, 2, 0, "Без команды 1"});
  c.AddStage({"", 2, 1, 2, 0, "Без команды 2"});
  c.AddStage({"Альфа", 1, 1, 2, 1});
  Print();
  ExpectCells(Sheet(), {
                           {"A5", "КОМАНДА:"},
                           {"D5", ""},
                           {"D7", "Без команды 1"},
                           {"D8", "Без команды 2"},
                           {"H8", "=H7+G8"},
                           {"F9", "=SUM(F7:F8)"},
                           {"H10", "=SUM(G7:G8)"},
                           {"D12", "Альфа"},
                       });
  EXPECT_TRUE(Sheet().IsMerged("A7", "A8"));
}

TEST_F(RelayRaceSheetTest, NoStageOfTheChosenRelayPrintsAnEmptySheetAndRestoresTheView) {
  AddTeams({"Альфа"});
  c.RelayRace.SetFilter(QStringLiteral("Discipline=2"));
  c.RelayRace.SetFiltered(true);
  Print(0, 3);
  EXPECT_TRUE(Sheet().Cells.empty());
  EXPECT_TRUE(Sheet().ColumnWidths.empty());
  EXPECT_EQ(excel.Workbook().PrintOuts, 1);
  EXPECT_EQ(ViewOf(c.RelayRace), (TTableView{"Discipline=2", true, false, "dsRelayRaceIndex"}));
}

}  // namespace
