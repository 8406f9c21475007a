#include "protocol/excel_manager.h"
#include "tests/protocol/sheet_test.h"

using competition_fixture::TCompetitor;
using competition_fixture::TRequirement;

namespace {

const QString kMen68 = QStringLiteral("(SexRef=1) and (Weight > 63) and (Weight <= 68)");

class IndividualSheetTest : public SheetTest {
 protected:
  IndividualSheetTest() {
    c.AddOrganizer(QStringLiteral("Федерация гиревого спорта"));
    for (TClientDataSet* table : {&c.Snatch, &c.LongCycle}) {
      // Entered out of order: the sheet follows the index (result down, then body weight up).
      c.AddCompetitor(*table, {"Сидоров Семён", 1, 67.0, "Урал", 110, 3, 4, 3, 16, "Тренер С."});
      c.AddCompetitor(*table, {"Иванов Иван", 1, 67.5, "Динамо", 120, 1, 3, 2, 20, "Тренер И."});
      c.AddCompetitor(*table, {"Козлов Кирилл", 1, 64.5, "Спартак", 90, 4, 5, 4, 15, "Тренер К."});
      c.AddCompetitor(*table, {"Петров Пётр", 1, 66.0, "Динамо", 110, 2, 3, 3, 18, "Тренер П."});
      // Outside the class on screen.
      c.AddCompetitor(*table, {"Лёгкая Лена", 0, 58.0, "Урал", 150, 1});
      c.AddCompetitor(*table, {"Тяжёлый Тимур", 1, 72.0, "Урал", 150, 1});
      table->SetFilter(kMen68);
      table->SetFiltered(true);
    }
    for (const auto& [rank, result] : {std::pair{21, 130}, std::pair{2, 100}, std::pair{3, 80}}) {
      c.AddRequirement({"Рывок", "68", 1, rank, 32, result});
      c.AddRequirement({"Толчок ДЦ", "68", 1, rank, 32, result - 70});
    }
    // Rows of other keys that must not be taken.
    c.AddRequirement({"Рывок", "68", 1, 21, 24, 999});
    c.AddRequirement({"Рывок", "68", 0, 21, 32, 998});
    c.AddRequirement({"Рывок", "68+", 1, 21, 32, 997});
    c.AddRequirement({"Рывок", "105+", 1, 21, 32, 140});
  }

  void PrintSnatch(const QString& name = QStringLiteral("Кубок России"), int weight = 68,
                   const QString& classWord = QStringLiteral("до"),
                   const QString& referee = QStringLiteral("Судья С."),
                   const QString& mainReferee = QStringLiteral("Главный Г.")) {
    protocol.PrintSnatch(name, "12.03.2027", "Москва", "до", mainReferee, "Секретарь С.", referee,
                         "Старший С.", c.Organizer, c.Snatch, c.Normative, "32", "24", weight, classWord);
  }
};

TEST_F(IndividualSheetTest, SnatchSheetOfOneOrganiserAndFourCompetitors) {
  PrintSnatch();
  const auto& sheet = Sheet();
  // Head on rows 2-6, captions on 8, competitors 9-12, referees 16 and 18.
  EXPECT_EQ(sheet.UsedRows(), Rows({1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 16, 18}));
  ExpectCells(sheet, {
                         {"A1", "Федерация гиревого спорта"},
                         {"A2", "12.03.2027"},
                         {"J2", "Вес гирь 32 кг"},
                         {"A3", "Москва"},
                         {"C3", "ПРОТОКОЛ"},
                         {"J3", "Регламент времени - 10 мин."},
                         {"A4", "Высшее достижение России"},
                         {"C4", "Кубок России по гиревому спорту среди мужчин (рывок)"},
                         {"J4", "Разрядные нормативы"},
                         {"C5", "Весовая категория"},
                         {"J5", "МСМК"},
                         {"K5", "МС"},
                         {"L5", "КМС"},
                         {"A6", ""},
                         {"C6", "до 68 кг"},
                         {"J6", "130"},
                         {"K6", "100"},
                         {"L6", "80"},
                         {"A8", "Место"},
                         {"B8", "ФИО"},
                         {"D8", "Дата рожд."},
                         {"E8", "Звание"},
                         {"F8", "Команда"},
                         {"G8", "Соб. вес"},
                         {"H8", "Рывок"},
                         {"I8", "Ком. очки"},
                         {"J8", "Вып. разряд"},
                         {"K8", "ФИО тренера(тренеров)"},
                         {"A9", "1"},
                         {"B9", "Иванов Иван"},
                         {"D9", "02.01.2000"},
                         {"E9", "КМС"},
                         {"F9", "Динамо"},
                         {"G9", "67.5"},
                         {"H9", "120"},
                         {"I9", "20"},
                         {"J9", "МС"},
                         {"K9", "Тренер И."},
                         {"B10", "Петров Пётр"},
                         {"B11", "Сидоров Семён"},
                         {"B12", "Козлов Кирилл"},
                         {"A16", "Старший судья на помосте                 Старший С."},
                         {"G16", "Главный секретарь                          Секретарь С."},
                         {"A18", "Судья                                                Судья С."},
                         {"G18", "Главный судья                                Главный Г."},
                     });
  for (const char* merged :
       {"A1:L1", "A2:B2", "J2:L2", "A3:B3", "C3:I3", "J3:L3",   "A4:B5",   "C4:I4",   "J4:L4",   "C5:I5",
        "A6:B6", "C6:I6", "B8:C8", "K8:L8", "B9:C9", "K12:L12", "A16:F16", "G16:L16", "A18:F18", "G18:L18"}) {
    EXPECT_TRUE(sheet.Merges().contains(QString::fromLatin1(merged))) << merged;
  }
  for (const auto& [from, to] : {std::pair{"A4", "B5"}, std::pair{"J4", "L4"}, std::pair{"A6", "B6"},
                                 std::pair{"B8", "C8"}, std::pair{"K8", "L8"}, std::pair{"B12", "C12"}}) {
    EXPECT_TRUE(sheet.IsFramed(from, to)) << from;
  }
  for (const char* boxed : {"J5", "L5", "J6", "K6", "L6", "A8", "J8", "A9", "D9", "F9", "J12"}) {
    EXPECT_TRUE(sheet.IsBoxed(QString::fromLatin1(boxed))) << boxed;
  }
  // Name, team and coach lose their horizontal centring; everything else keeps it.
  EXPECT_EQ(sheet.Range("B9", "C9")->HorizontalAlignment, 1);
  EXPECT_EQ(sheet.Range("K9", "L9")->HorizontalAlignment, 1);
  EXPECT_EQ(sheet.Cell("F9")->HorizontalAlignment, 1);
  EXPECT_EQ(sheet.Cell("G9")->HorizontalAlignment, -4108);
  EXPECT_EQ(sheet.Range("A16", "F16")->HorizontalAlignment, 1);
  EXPECT_EQ(sheet.Range("C4", "I4")->HorizontalAlignment, -4108);
  // The captions keep their 40 points at least; short names keep to one line.
  EXPECT_GE(sheet.RowHeights.at(8), 40);
  for (const int row : {9, 10, 11, 12, 16, 18}) {
    EXPECT_FALSE(sheet.RowHeights.contains(row)) << row;
  }
  EXPECT_EQ(sheet.ColumnWidths, (std::map<int, int>{{1, 6},
                                                    {2, 15},
                                                    {3, 10},
                                                    {4, 11},
                                                    {5, 6},
                                                    {6, 23},
                                                    {7, 7},
                                                    {8, 7},
                                                    {9, 7},
                                                    {10, 8},
                                                    {11, 7},
                                                    {12, 8}}));
  // Printed in landscape with the footer, then put away.
  EXPECT_EQ(excel.Workbook().PrintOuts, 1);
  EXPECT_EQ(sheet.PageSetup.at("Orientation"), TAutomationValue(2));
  EXPECT_TRUE(excel.Workbook().Closed);
  EXPECT_TRUE(excel.Application()->Quit);
}

// A class as a secretary prints it: spreadsheet programs make no room for a
// text that wraps in a merged area, so the sheet gives each row its lines.
TEST_F(IndividualSheetTest, LongTextsGetTheirLinesAndTheRefereesKeepToOne) {
  c.AddCompetitor(c.Snatch, {"Константинопольская Александра Владиславовна", 1, 65.0, "Динамо", 100, 5, 3, 3,
                             0, "Тренеров Т.Т., Наставников Н.Н."});
  PrintSnatch(QStringLiteral("Чемпионат и первенство Центрального федерального округа"), 68,
              QStringLiteral("до"), QStringLiteral("Смирнова Анастасия Андреевна"),
              QStringLiteral("Алексеев Алексей Алексеевич"));
  const auto& sheet = Sheet();
  ASSERT_EQ(sheet.Text("B12"), QStringLiteral("Константинопольская Александра Владиславовна"));
  // Two lines for the title, and for the full name and the two coaches.
  EXPECT_EQ(sheet.RowHeights.at(4), 30);
  EXPECT_EQ(sheet.RowHeights.at(12), 30);
  for (const int row : {9, 10, 11, 13}) {
    EXPECT_FALSE(sheet.RowHeights.contains(row)) << row;
  }
  // A referee's line never breaks inside the name: too long for its half of
  // the sheet, it is shrunk to fit on its one line.
  for (const auto& [from, to] :
       {std::pair{"A17", "F17"}, std::pair{"G17", "L17"}, std::pair{"A19", "F19"}, std::pair{"G19", "L19"}}) {
    EXPECT_EQ(sheet.Range(from, to)->WrapText, false) << from;
    EXPECT_TRUE(sheet.Cell(from)->ShrinkToFit.value_or(false)) << from;
  }
  EXPECT_FALSE(sheet.RowHeights.contains(17));
  EXPECT_FALSE(sheet.RowHeights.contains(19));
}

TEST_F(IndividualSheetTest, LongCycleKeepsItsRussianWordsInEitherLanguage) {
  for (const bool english : {false, true}) {
    automation_double::TAutomationDouble local(1);
    automation_double::TServerScope localScope(&local);
    ui.English = english;
    protocol.PrintLongCycle("Cup", "d", "c", "до", "", "", "", "", c.Organizer, c.LongCycle, c.Normative,
                            "32", "24", 68, "до");
    const auto& sheet = local.Sheet(1);
    EXPECT_EQ(sheet.Text("C4"), QStringLiteral("Cup по гиревому спорту среди мужчин (длинный цикл)"));
    EXPECT_EQ(sheet.Text("H8"), QStringLiteral("Толчок"));
    EXPECT_EQ(sheet.Text("J6"), QStringLiteral("60"));  // the long cycle's own requirements
    EXPECT_EQ(sheet.Text("C3"), english ? QStringLiteral("PROTOCOL") : QStringLiteral("ПРОТОКОЛ"));
    EXPECT_EQ(sheet.Text("C6"), english ? QStringLiteral("до 68 kg") : QStringLiteral("до 68 кг"));
    EXPECT_EQ(sheet.ColumnWidths.at(1), 7);
    EXPECT_EQ(sheet.ColumnWidths.at(7), 9);
    // No referee names: the sheet ends with the last competitor.
    EXPECT_EQ(*sheet.UsedRows().rbegin(), 12);
  }
}

TEST_F(IndividualSheetTest, EnglishInterfaceTranslatesTheCatalogueOnly) {
  ui.English = true;
  PrintSnatch();
  ExpectCells(Sheet(), {
                           {"J2", "Weight of kettlebell 32 kg."},
                           {"J3", "Working time - 10 мин."},
                           {"A4", "Высшее достижение России"},
                           {"C4", "Кубок России по гиревому спорту среди мужчин (snatch)"},
                           {"J5", "MSWC"},
                           {"H8", "Snatch"},
                           {"J8", "Rank"},
                           {"A16", "Main judge on the platform                 Старший С."},
                       });
}

struct ClassCase {
  const char* name;
  bool english;
  int weight;
  const char* classWord;
  const char* classLine;
  const char* mswc;  // found under the key "105+" only when the class word is the open-class word
};

TEST_F(IndividualSheetTest, OpenClassIsKeyedWithAPlusInEitherLanguage) {
  const ClassCase cases[] = {
      {"Russian open class", false, 105, "свыше", "свыше 105 кг", "140"},
      {"English open class", true, 105, "more than", "more than 105 kg", "140"},
      {"closed class", false, 68, "до", "до 68 кг", "130"},
      // Any other text, letter case included, is not the open class.
      {"differs in case", false, 105, "Свыше", "Свыше 105 кг", ""},
      {"window's English caption", true, 105, "above", "above 105 kg", ""},
  };
  for (const auto& cs : cases) {
    automation_double::TAutomationDouble local(1);
    automation_double::TServerScope localScope(&local);
    ui.English = cs.english;
    PrintSnatch(QStringLiteral("Cup"), cs.weight, QString::fromUtf8(cs.classWord));
    EXPECT_EQ(local.Sheet(1).Text("C6"), QString::fromUtf8(cs.classLine)) << cs.name;
    EXPECT_EQ(local.Sheet(1).Text("J6"), QString::fromUtf8(cs.mswc)) << cs.name;
    EXPECT_EQ(protocol.WeightClassKey(cs.weight, QString::fromUtf8(cs.classWord)),
              QString::number(cs.weight) + (cs.mswc == QStringLiteral("140") ? "+" : ""))
        << cs.name;
  }
}

TEST_F(IndividualSheetTest, MissingRequirementsLeaveBoxedEmptyCells) {
  for (const char* kettlebell : {"16", "", "abc"}) {
    automation_double::TAutomationDouble local(1);
    automation_double::TServerScope localScope(&local);
    protocol.PrintSnatch("Cup", "d", "c", "до", "", "", "", "", c.Organizer, c.Snatch, c.Normative,
                         QString::fromLatin1(kettlebell), "24", 68, "до");
    for (const char* cell : {"J6", "K6", "L6"}) {
      EXPECT_EQ(local.Sheet(1).Text(cell), QString()) << kettlebell << cell;
      EXPECT_TRUE(local.Sheet(1).IsBoxed(cell)) << kettlebell << cell;
    }
  }
  EXPECT_EQ(competition_fixture::ViewOf(c.Normative),
            (competition_fixture::TTableView{"", false, false, "dsNormativeIndex"}));
}

// Counts what a grid on the table would be told.
struct TNoticeCounter : TDataSetObserver {
  explicit TNoticeCounter(TClientDataSet& table) : Table(table) { table.AddObserver(this); }
  ~TNoticeCounter() override { Table.RemoveObserver(this); }
  void DataSetChanged(TClientDataSet&, TDataChange change, int) override {
    ++(change == TDataChange::RowsReset ? Resets : Others);
  }
  TClientDataSet& Table;
  int Resets = 0;
  int Others = 0;
};

// The requirements' look-ups filter the table three times for a moment each;
// a grid on it hears of them once, when they are over, also when one fails.
TEST_F(IndividualSheetTest, RequirementsAreLookedUpWithTheTablesControlsOff) {
  {
    TNoticeCounter grid(c.Normative);
    PrintSnatch();
    EXPECT_EQ(Sheet().Text("J6"), QStringLiteral("130"));
    EXPECT_EQ(grid.Resets, 1);
    EXPECT_EQ(grid.Others, 0);
  }
  TClientDataSet withoutResult(QStringLiteral("dsNormative"));
  for (const char* field : {"Discipline", "WeightClass"}) {
    withoutResult.AddField(QString::fromLatin1(field), TFieldType::ftString, 20);
  }
  for (const char* field : {"DumbbellWeight", "SexRef", "RankRef"}) {
    withoutResult.AddField(QString::fromLatin1(field), TFieldType::ftInteger);
  }
  withoutResult.CreateDataSet();
  withoutResult.SetFilter(QStringLiteral("SexRef=1"));
  QString mswc, ms, cms;
  EXPECT_THROW(TProtocol::GetRankRequirements(mswc, ms, cms, withoutResult, "Рывок", "32", "68", 1),
               Exception);
  EXPECT_EQ(competition_fixture::ViewOf(withoutResult),
            (competition_fixture::TTableView{"SexRef=1", false, false, ""}));
}

TEST_F(IndividualSheetTest, AllOrganisersPrintWhateverTheWindowShowsAndNoneMovesTheHeadUp) {
  c.AddOrganizer(QStringLiteral("Министерство спорта"));
  c.Organizer.SetFilter(QStringLiteral("Name = 'Министерство спорта'"));
  c.Organizer.SetFiltered(true);
  PrintSnatch();
  EXPECT_EQ(Sheet().Text("A1"), QStringLiteral("Федерация гиревого спорта"));
  EXPECT_EQ(Sheet().Text("A2"), QStringLiteral("Министерство спорта"));
  EXPECT_EQ(Sheet().Text("A3"), QStringLiteral("12.03.2027"));
  EXPECT_EQ(competition_fixture::ViewOf(c.Organizer),
            (competition_fixture::TTableView{"Name = 'Министерство спорта'", true, false, ""}));
}

TEST_F(IndividualSheetTest, WithoutOrganisersTheHeadStartsOnRowOne) {
  for (const bool closed : {false, true}) {
    automation_double::TAutomationDouble local(1);
    automation_double::TServerScope localScope(&local);
    c.Organizer.Close();
    if (!closed) {
      c.Organizer.CreateDataSet();
    }
    PrintSnatch();
    const auto& sheet = local.Sheet(1);
    EXPECT_EQ(sheet.UsedRows(), Rows({1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 15, 17})) << closed;
    EXPECT_EQ(sheet.Text("A1"), QStringLiteral("12.03.2027")) << closed;
    EXPECT_EQ(sheet.Text("A3"), QStringLiteral("Высшее достижение России")) << closed;
    EXPECT_TRUE(sheet.IsMerged("A3", "B4")) << closed;
  }
}

TEST_F(IndividualSheetTest, PercentSignInTheCompetitionNamePrintsAsTyped) {
  PrintSnatch(QStringLiteral("Кубок 100% %s %d"));
  EXPECT_EQ(Sheet().Text("C4"), QStringLiteral("Кубок 100% %s %d по гиревому спорту среди мужчин (рывок)"));
}

struct CellNameCase {
  int col;
  int row;
  const char* expected;
};

// Past Z the names go on as the spreadsheet names its columns.
TEST(SheetHelpers, CellNamesGoOnPastZ) {
  const CellNameCase cases[] = {{1, 1, "A1"},     {8, 12, "H12"},    {26, 105, "Z105"}, {27, 1, "AA1"},
                                {43, 7, "AQ7"},   {52, 3, "AZ3"},    {53, 3, "BA3"},    {702, 2, "ZZ2"},
                                {703, 2, "AAA2"}, {3, 1000, "C1000"}};
  for (const auto& c : cases) {
    EXPECT_EQ(TProtocol::CellName(c.col, c.row), QString::fromLatin1(c.expected)) << c.col;
  }
}

TEST(SheetHelpers, SexWordsAndChoices) {
  competition_fixture::TInterface ui;
  TProtocol protocol(ui.Translate());
  const struct {
    int sex;
    const char* word;
    const char* caption;
    const char* choice;
  } cases[] = {{0, "женщин", "Женщины", "W"}, {1, "мужчин", "Мужчины", "M"}, {2, "мужчин", "Мужчины", "W"}};
  for (const auto& c : cases) {
    EXPECT_EQ(TProtocol::SexWord(c.sex), QString::fromUtf8(c.word)) << c.sex;
    EXPECT_EQ(protocol.SexCaption(c.sex), QString::fromUtf8(c.caption)) << c.sex;
    EXPECT_EQ(TProtocol::ChooseBySex(c.sex, "M", "W"), QString::fromLatin1(c.choice)) << c.sex;
  }
  ui.English = true;
  EXPECT_EQ(protocol.SexCaption(0), QStringLiteral("F"));
  EXPECT_EQ(TProtocol::SexWord(0), QStringLiteral("женщин"));
}

}  // namespace
