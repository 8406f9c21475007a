#include "tests/protocol/sheet_test.h"

using competition_fixture::TCompetitor;

namespace {

class BiathlonSheetTest : public SheetTest {
 protected:
  BiathlonSheetTest() {
    c.AddOrganizer(QStringLiteral("Федерация"));
    c.AddOrganizer(QStringLiteral("Клуб «Гиря»"));
    TCompetitor first{"Иванов Иван", 1, 67.5, "Динамо", 100, 1, 3, 2, 20, "Тренер И."};
    first.SnatchResult = 120;
    TCompetitor second{"Петров Пётр", 1, 66.0, "Урал", 90, 2, 4, 3, 18, "Тренер П."};
    second.SnatchResult = 100;
    TCompetitor late{"Сидоров Семён", 1, 65.0, "Урал", 0, 3, 4, 0, 0, "Тренер С."};
    late.Entered = false;
    c.AddCompetitor(c.Biathlon, second);
    c.AddCompetitor(c.Biathlon, late);
    c.AddCompetitor(c.Biathlon, first);
    c.Biathlon.SetFilter(QStringLiteral("(SexRef=1) and (Weight > 63) and (Weight <= 68)"));
    c.Biathlon.SetFiltered(true);
    for (const auto& [rank, result] : {std::pair{21, 165}, std::pair{2, 110}, std::pair{3, 70}}) {
      c.AddRequirement({"Двоеборье", "68", 1, rank, 32, result});
    }
    c.AddRequirement({"Рывок", "68", 1, 21, 32, 999});
  }

  void Print(const QString& name = QStringLiteral("Кубок")) {
    protocol.PrintBiathlon(name, "12.03.2027", "Тула", "до", "Главный Г.", "Секретарь С.", "Судья С.",
                           "Старший С.", c.Organizer, c.Biathlon, c.Normative, "32", "24", 68, "до");
  }
};

TEST_F(BiathlonSheetTest, LayoutOfTwoOrganisersAndThreeCompetitors) {
  Print();
  const auto& sheet = Sheet();
  // Organisers 1-2, head 3-7, titles 9-10, competitors 11-13, referees 17 and 19.
  EXPECT_EQ(sheet.UsedRows(), Rows({1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 17, 19}));
  ExpectCells(sheet, {
                         {"A1", "Федерация"},
                         {"A2", "Клуб «Гиря»"},
                         {"A3", "12.03.2027"},
                         {"N3", "Вес гирь 32 кг"},
                         {"A4", "Тула"},
                         {"D4", "ПРОТОКОЛ"},
                         {"N4", "Регламент времени - 10 мин."},
                         {"A5", "Высшее достижение России"},
                         {"D5", "Кубок по гиревому спорту среди мужчин (двоеборье)"},
                         {"N5", "Разрядные нормативы"},
                         {"A6", "Толчок"},
                         {"B6", "Рывок"},
                         {"C6", "Сумма"},
                         {"D6", "Весовая категория"},
                         {"N6", "МСМК"},
                         {"O6", "МС"},
                         {"P6", "КМС"},
                         {"D7", "до 68 кг"},
                         {"N7", "165"},
                         {"O7", "110"},
                         {"P7", "70"},
                         {"A9", "Место"},
                         {"B9", "ФИО"},
                         {"E9", "Дата рожд."},
                         {"F9", "Звание"},
                         {"G9", "Команда"},
                         {"H9", "Соб. вес"},
                         {"I9", "Толчок"},
                         {"J9", "Рывок"},
                         {"L9", "Сумма дв-рья"},
                         {"M9", "Ком. очки"},
                         {"N9", "Вып. разряд"},
                         {"O9", "ФИО тренера(тренеров)"},
                         {"J10", "Сумма"},
                         {"K10", "Очки"},
                         {"A11", "1"},
                         {"B11", "Иванов Иван"},
                         {"E11", "02.01.2000"},
                         {"F11", "КМС"},
                         {"G11", "Динамо"},
                         {"H11", "67.5"},
                         {"I11", "100"},
                         {"J11", "120"},
                         {"K11", "60.0"},
                         {"L11", "160.0"},
                         {"M11", "20"},
                         {"N11", "МС"},
                         {"O11", "Тренер И."},
                         {"B12", "Петров Пётр"},
                         {"K12", "50.0"},
                         {"L12", "140.0"},
                         // Results not entered yet: empty, still boxed.
                         {"B13", "Сидоров Семён"},
                         {"I13", ""},
                         {"L13", ""},
                         {"A17", "Старший судья на помосте                 Старший С."},
                         {"G17", "Главный секретарь                          Секретарь С."},
                         {"A19", "Судья                                                Судья С."},
                         {"G19", "Главный судья                                Главный Г."},
                     });
  // Every title spans both title rows except the snatch, whose two sub-captions sit under it.
  for (const auto& [from, to] :
       {std::pair{"A9", "A10"}, std::pair{"B9", "D10"}, std::pair{"E9", "E10"}, std::pair{"I9", "I10"},
        std::pair{"J9", "K9"}, std::pair{"L9", "L10"}, std::pair{"N9", "N10"}, std::pair{"O9", "P10"},
        std::pair{"A5", "C5"}, std::pair{"N5", "P5"}, std::pair{"B11", "D11"}, std::pair{"O13", "P13"}}) {
    EXPECT_TRUE(sheet.IsMerged(from, to)) << from;
    EXPECT_TRUE(sheet.IsFramed(from, to)) << from;
  }
  EXPECT_FALSE(sheet.IsMerged("J9", "K10"));
  for (const char* boxed :
       {"A6", "C6", "A7", "B7", "C7", "N7", "P7", "J10", "K10", "A11", "G11", "K11", "I13", "L13", "N13"}) {
    EXPECT_TRUE(sheet.IsBoxed(QString::fromLatin1(boxed))) << boxed;
  }
  for (const auto& [from, to] :
       {std::pair{"A1", "P1"}, std::pair{"A3", "C3"}, std::pair{"N3", "P3"}, std::pair{"D4", "M4"},
        std::pair{"D5", "M5"}, std::pair{"D7", "M7"}, std::pair{"A17", "F17"}, std::pair{"G19", "L19"}}) {
    EXPECT_TRUE(sheet.IsMerged(from, to)) << from;
  }
  EXPECT_EQ(sheet.Cell("G11")->HorizontalAlignment, 1);
  EXPECT_EQ(sheet.Range("B11", "D11")->HorizontalAlignment, 1);
  // Two lines for the narrow head fields of the second and third head lines
  // (the working time, the record heading); short names keep to one.
  EXPECT_EQ(sheet.RowHeights.at(4), 30);
  EXPECT_EQ(sheet.RowHeights.at(5), 30);
  for (const int row : {11, 12, 13}) {
    EXPECT_FALSE(sheet.RowHeights.contains(row)) << row;
  }
  EXPECT_EQ(sheet.ColumnWidths, (std::map<int, int>{{1, 7},
                                                    {2, 7},
                                                    {3, 5},
                                                    {4, 5},
                                                    {5, 11},
                                                    {6, 7},
                                                    {7, 15},
                                                    {8, 7},
                                                    {9, 7},
                                                    {10, 7},
                                                    {11, 7},
                                                    {12, 7},
                                                    {13, 6},
                                                    {14, 7},
                                                    {15, 7},
                                                    {16, 8}}));
}

TEST_F(BiathlonSheetTest, EnglishTitleKeepsTheRussianTail) {
  ui.English = true;
  Print(QStringLiteral("Cup 50%"));
  ExpectCells(Sheet(), {
                           {"D5", "Cup 50% по гиревому спорту среди мужчин (biathlon)"},
                           {"A5", "Высшее достижение России"},
                           {"J9", "Snatch"},
                           {"J10", "Result"},
                           {"K10", "Points"},
                           {"L9", "Biathlon"},
                           {"D7", "до 68 kg"},
                       });
}

TEST_F(BiathlonSheetTest, MissingFieldFailsBeforeAnyCellIsWritten) {
  TClientDataSet bare(QStringLiteral("dsBiathlon"));
  bare.AddField(QStringLiteral("Name"), TFieldType::ftString, 255);
  bare.AddField(QStringLiteral("SexRef"), TFieldType::ftInteger);
  bare.CreateDataSet();
  bare.Append();
  bare.FieldByName(QStringLiteral("SexRef")).SetValue(1);
  bare.Post();
  const QString error = ErrorOf([&] {
    protocol.PrintBiathlon("Cup", "", "", "до", "", "", "", "", c.Organizer, bare, c.Normative, "32", "24",
                           68, "до");
  });
  EXPECT_TRUE(error.contains(QStringLiteral("Position"))) << error.toStdString();
  EXPECT_TRUE(Sheet().Cells.empty());
  EXPECT_TRUE(excel.Application()->Quit);
  EXPECT_FALSE(bare.ControlsDisabled());
}

}  // namespace
