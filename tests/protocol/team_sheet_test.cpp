#include "tests/protocol/sheet_test.h"

using competition_fixture::TTableView;
using competition_fixture::ViewOf;

namespace {

// The class columns as the team protocol makes them, in its order.
const QStringList kColumns = {"LC_058", "LC_063", "LC_01000", "LC_163",
                              "LC_173", "S_058",  "S_01000",  "B_173"};

// A competition of its own, with the class columns and one team holding the
// value in each, printed by the builder into a recording double of its own.
struct TOwnPrint {
  TOwnPrint(TProtocol& builder, const QStringList& columns, const QString& value) : Builder(builder) {
    Competition.DefineTeamProtocol(columns);
    Competition.AddTeamRow("1", "Динамо", value.toInt(), QStringList(columns.size(), value));
  }
  void Print(const QString& name) {
    Builder.PrintTeamProtocol(name, "", "", Competition.Organizer, Competition.TeamProtocol, "", "");
  }

  TProtocol& Builder;
  automation_double::TAutomationDouble Excel{1};
  automation_double::TServerScope Scope{&Excel};
  competition_fixture::TCompetition Competition;
};

class TeamSheetTest : public SheetTest {
 protected:
  TeamSheetTest() { c.DefineTeamProtocol(kColumns); }

  // Values by column name; the other columns stay empty.
  void AddTeam(const QString& position, const QString& team, int point,
               std::initializer_list<std::pair<const char*, const char*>> values) {
    QStringList row;
    for (const QString& column : kColumns) {
      QString value;
      for (const auto& [name, text] : values) {
        if (column == QLatin1String(name)) {
          value = QString::fromUtf8(text);
        }
      }
      row << value;
    }
    c.AddTeamRow(position, team, point, row);
  }

  void Print(const QString& referee = QStringLiteral("Главный Г."),
             const QString& name = QStringLiteral("Кубок")) {
    protocol.PrintTeamProtocol(name, "12.03.2027", "Тула", c.Organizer, c.TeamProtocol, referee,
                               "Секретарь С.");
  }
};

TEST_F(TeamSheetTest, OnlyColumnsWithValuesArePrintedInOneGroup) {
  c.AddOrganizer(QStringLiteral("Федерация"));
  AddTeam("1", "Динамо", 36, {{"LC_058", "20+16"}});
  AddTeam("2", "Урал", 18, {{"LC_063", "18"}});
  AddTeam("3", "Спартак", 0, {});
  Print();
  const auto& sheet = Sheet();
  ExpectCells(sheet, {
                         {"A1", "Федерация"},
                         {"A2", "12.03.2027"},
                         {"C2", "СВОДНЫЙ ПРОТОКОЛ"},
                         {"A3", "Тула"},
                         {"C3", "Кубок по гиревому спорту среди мужчин и женщин"},
                         {"A5", "Место"},
                         {"B5", "Команда"},
                         {"C5", "Женщины (Длинный цикл)"},
                         {"C6", "58"},
                         {"D6", "63"},
                         {"E5", "Очки"},
                         {"A7", "1"},
                         {"B7", "Динамо"},
                         {"C7", "20+16"},
                         {"D7", ""},
                         {"E7", "36"},
                         {"D8", "18"},
                         {"B9", "Спартак"},
                         {"E9", "0"},
                         {"B11", "Главный судья Главный Г."},
                         {"B13", "Главный секретарь Секретарь С."},
                     });
  EXPECT_EQ(sheet.UsedRows(), Rows({1, 2, 3, 5, 6, 7, 8, 9, 11, 13}));
  EXPECT_EQ(sheet.Merges(), (QStringList{"A1:A1", "A1:E1", "A2:B2", "A3:B3", "A5:A6", "B11:E11", "B13:E13",
                                         "B5:B5", "B5:B6", "C2:E2", "C3:E3", "C5:D5", "E5:E6"}));
  EXPECT_EQ(sheet.Range("A5", "A6")->Orientation, 90);
  // Over two columns the caption wraps between its words.
  EXPECT_EQ(sheet.Range("C5", "D5")->Orientation, 0);
  EXPECT_EQ(sheet.Range("B11", "E11")->HorizontalAlignment, 1);
  for (const auto& [from, to] :
       {std::pair{"A5", "A6"}, std::pair{"B5", "B6"}, std::pair{"C5", "D5"}, std::pair{"E5", "E6"}}) {
    EXPECT_TRUE(sheet.IsFramed(from, to)) << from;
  }
  for (const char* boxed : {"C6", "D6", "A7", "B7", "C7", "D7", "E7", "E9"}) {
    EXPECT_TRUE(sheet.IsBoxed(QString::fromLatin1(boxed))) << boxed;
  }
  EXPECT_EQ(sheet.ColumnWidths, (std::map<int, int>{{1, 5}, {2, 23}, {3, 5}, {4, 5}}));
  // The competition's title wraps into three lines over C..E, and so does the
  // group caption over its two columns.
  EXPECT_EQ(sheet.RowHeights, (std::map<int, int>{{3, 45}, {5, 45}}));
}

struct TitleHeightCase {
  const char* what;
  bool english;
  const char* name;
  QStringList columns;  // class columns with a value
  std::map<int, int> heights;
};

// Title and header rows as high as their text, so that the title never prints
// over the heading above it and every group caption shows whole; a text on
// one line keeps the default height.
TEST_F(TeamSheetTest, TitleAndHeaderRowsAreAsHighAsTheirText) {
  const TitleHeightCase cases[] = {
      {"two columns", false, "Кубок", {"LC_058", "LC_063"}, {{2, 45}, {4, 45}}},
      {"a long name over three columns",
       false,
       "Первенство Тульской области 2027 года",
       {"LC_058", "LC_063", "LC_01000"},
       {{2, 45}, {4, 30}}},
      {"wide enough for the title; a turned caption over one column", false, "Кубок", kColumns, {{4, 62}}},
      {"no class column: the heading wraps inside its words, the turned place caption takes both rows",
       false,
       "Кубок",
       {},
       {{1, 60}, {2, 90}, {5, 18}}},
      {"English heading", true, "Cup", {}, {{1, 45}, {2, 90}}},
  };
  for (const auto& cs : cases) {
    ui.English = cs.english;
    TOwnPrint own(protocol, cs.columns, QStringLiteral("20"));
    own.Print(QString::fromUtf8(cs.name));
    EXPECT_EQ(own.Excel.Sheet(1).RowHeights, cs.heights) << cs.what;
  }
}

TEST_F(TeamSheetTest, GroupsChangeWithSexAndDiscipline) {
  ui.English = true;
  AddTeam("1", "Dynamo", 54, {{"LC_063", "20"}, {"LC_173", "18"}, {"S_01000", "16"}});
  Print();
  ExpectCells(Sheet(), {
                           {"A1", "12.03.2027"},
                           {"C1", "TEAM PROTOCOL"},
                           {"C2", "Кубок по гиревому спорту среди мужчин и женщин"},
                           {"A4", "Place"},
                           {"B4", "Team"},
                           {"C4", "F (Long Cycle)"},
                           {"D4", "M (Long Cycle)"},
                           {"E4", "F (Snatch)"},
                           {"C5", "63"},
                           {"D5", "73"},
                           {"E5", "1000"},
                           {"F4", "Points"},
                           {"C6", "20"},
                           {"F6", "54"},
                           {"B8", "Main judge of competition Главный Г."},
                       });
  for (const auto& [from, to] : {std::pair{"C4", "C4"}, std::pair{"D4", "D4"}, std::pair{"E4", "E4"},
                                 std::pair{"C1", "F1"}, std::pair{"C2", "F2"}, std::pair{"F4", "F5"}}) {
    EXPECT_TRUE(Sheet().IsMerged(from, to)) << from;
  }
  // Over one narrow column a caption wraps between its words where each word
  // fits across; one with a longer word stands turned, so that no word is
  // broken, and its row grows to the caption's length.
  EXPECT_EQ(Sheet().Range("C4", "C4")->Orientation, 0);
  EXPECT_EQ(Sheet().Range("D4", "D4")->Orientation, 0);
  EXPECT_EQ(Sheet().Range("E4", "E4")->Orientation, 90);
  EXPECT_GT(Sheet().RowHeights.at(4), 40);
}

TEST_F(TeamSheetTest, WithoutClassColumnsThePointsStandInC) {
  AddTeam("1", "Динамо", 0, {});
  Print(QString());
  const auto& sheet = Sheet();
  ExpectCells(sheet, {{"C4", "Очки"}, {"C6", "0"}, {"B8", ""}, {"B10", "Главный секретарь Секретарь С."}});
  EXPECT_TRUE(sheet.IsMerged("C1", "C1"));
  EXPECT_TRUE(sheet.IsMerged("C4", "C5"));
}

TEST_F(TeamSheetTest, EveryOrganiserLineIsMergedAcrossTheSheetWhateverTheWindowShows) {
  c.AddOrganizer(QStringLiteral("Федерация"));
  c.AddOrganizer(QStringLiteral("Клуб"));
  c.Organizer.SetFilter(QStringLiteral("Name = 'Клуб'"));
  c.Organizer.SetFiltered(true);
  AddTeam("1", "Динамо", 20, {{"S_058", "20"}});
  Print();
  const auto& sheet = Sheet();
  EXPECT_EQ(sheet.Text("A1"), QStringLiteral("Федерация"));
  EXPECT_EQ(sheet.Text("A2"), QStringLiteral("Клуб"));
  EXPECT_TRUE(sheet.IsMerged("A1", "D1"));
  EXPECT_TRUE(sheet.IsMerged("A2", "D2"));
  EXPECT_EQ(sheet.Text("A3"), QStringLiteral("12.03.2027"));
  EXPECT_EQ(ViewOf(c.Organizer), (TTableView{"Name = 'Клуб'", true, false, ""}));
}

TEST_F(TeamSheetTest, TheWindowsFilterIsBackAfterThePrint) {
  AddTeam("1", "Динамо", 20, {{"S_058", "20"}});
  AddTeam("2", "Урал", 0, {{"B_173", "5"}});
  c.TeamProtocol.SetFilter(QStringLiteral("Point > 0"));
  c.TeamProtocol.SetFiltered(true);
  Print();
  // All teams are printed, and every column with a value, whatever the window showed.
  EXPECT_EQ(Sheet().Text("B7"), QStringLiteral("Урал"));
  EXPECT_EQ(Sheet().Text("D4"), QStringLiteral("Мужчины (Двоеборье)"));
  EXPECT_EQ(ViewOf(c.TeamProtocol), (TTableView{"Point > 0", true, false, ""}));
}

struct BadColumnCase {
  const char* name;
  QStringList columns;
  const char* error;
};

TEST_F(TeamSheetTest, ColumnsFromAForeignFileStopTheSheet) {
  const BadColumnCase cases[] = {
      {"no discipline prefix",
       {"LC_058", "XX_063"},
       "Внутренняя ошибка наименований колонок конмандного протокола. Обратитесь к разработчику."},
      {"no sex digit", {"S_x63"}, "'x' is not a valid integer value"},
  };
  for (const auto& cs : cases) {
    TOwnPrint own(protocol, cs.columns, QStringLiteral("1"));
    EXPECT_EQ(ErrorOf([&] { own.Print("Cup"); }), QString::fromUtf8(cs.error)) << cs.name;
    EXPECT_TRUE(own.Excel.Application()->Quit) << cs.name;
    EXPECT_EQ(ViewOf(own.Competition.TeamProtocol), (TTableView{"", false, false, ""})) << cs.name;
  }
}

struct NationalMeetCase {
  int columns;
  // The first and last column of the last group, its caption, the points column.
  const char* lastGroupFrom;
  const char* lastGroupTo;
  const char* lastGroup;
  const char* points;
};

// A national championship's classes run past column Z: the names go on as
// the spreadsheet names its columns, every group and the points are there,
// and the sheet prints landscape, one page wide.
TEST_F(TeamSheetTest, ANationalMeetsClassesRunPastColumnZ) {
  const NationalMeetCase cases[] = {
      // Women's long cycle and snatch in 5 classes, men's long cycle and biathlon in 8.
      {26, "U", "AB", "Мужчины (Двоеборье)", "AC"},
      // Every discipline of both sexes.
      {40, "AI", "AP", "Мужчины (Двоеборье)", "AQ"},
  };
  for (const auto& cs : cases) {
    const QStringList columns = competition_fixture::NationalMeetColumns(cs.columns);
    ASSERT_EQ(columns.size(), cs.columns);
    TOwnPrint own(protocol, columns, QStringLiteral("20"));
    own.Competition.AddOrganizer(QStringLiteral("Федерация"));
    own.Print("Чемпионат России");
    ASSERT_EQ(own.Excel.Workbook().PrintOuts, 1) << cs.columns;
    const auto& sheet = own.Excel.Sheet(1);
    const QString from = QString::fromLatin1(cs.lastGroupFrom);
    const QString to = QString::fromLatin1(cs.lastGroupTo);
    const QString points = QString::fromLatin1(cs.points);
    EXPECT_EQ(sheet.Text("C5"), QStringLiteral("Женщины (Длинный цикл)")) << cs.columns;
    EXPECT_EQ(sheet.Text(from + "5"), QString::fromUtf8(cs.lastGroup)) << cs.columns;
    EXPECT_TRUE(sheet.IsMerged(from + "5", to + "5")) << cs.columns;
    EXPECT_TRUE(sheet.IsFramed(from + "5", to + "5")) << cs.columns;
    EXPECT_EQ(sheet.Text(to + "6"), QStringLiteral("1000")) << cs.columns;
    EXPECT_EQ(sheet.Text(to + "7"), QStringLiteral("20")) << cs.columns;
    EXPECT_TRUE(sheet.IsBoxed(to + "7")) << cs.columns;
    EXPECT_EQ(sheet.Text(points + "5"), QStringLiteral("Очки")) << cs.columns;
    EXPECT_TRUE(sheet.IsMerged(points + "5", points + "6")) << cs.columns;
    EXPECT_EQ(sheet.Text(points + "7"), QStringLiteral("20")) << cs.columns;
    // The organiser's line and the two title lines reach the points.
    for (const auto& [first, row] : {std::pair{"A", "1"}, std::pair{"C", "2"}, std::pair{"C", "3"}}) {
      EXPECT_TRUE(sheet.IsMerged(QString::fromLatin1(first) + row, points + row))
          << cs.columns << " row " << row;
    }
    EXPECT_EQ(sheet.ColumnWidths.size(), size_t(2 + cs.columns)) << cs.columns;
    const std::map<QString, TAutomationValue> page = {
        {"Orientation", 2},   {"LeftMargin", 28},    {"RightMargin", 28},      {"TopMargin", 28},
        {"BottomMargin", 28}, {"FitToPagesWide", 1}, {"FitToPagesTall", false}};
    for (const auto& [property, value] : page) {
      EXPECT_EQ(sheet.PageSetup.at(property), value) << cs.columns << " " << property.toStdString();
    }
  }
}

TEST_F(TeamSheetTest, PlusInAColumnNameMakesAnOpenClassCaption) {
  TOwnPrint own(protocol, {"S_168plus"}, QStringLiteral("20"));
  own.Print("Cup");
  EXPECT_EQ(own.Excel.Sheet(1).Text("C5"), QStringLiteral("св.68"));
}

}  // namespace
