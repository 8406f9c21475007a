#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <cmath>

#include "platform/core/exception.h"
#include "platform/spreadsheet/xlsx_writer.h"
#include "tests/platform/spreadsheet/spreadsheet_fixture.h"
#include "tests/platform/spreadsheet/xlsx_reader.h"
#include "tests/support/comma_locale.h"
#include "tests/support/test_sandbox.h"

namespace {

using namespace spreadsheet;

// The width the file format stores for a width in characters: whole pixels
// of the default font plus padding, in 1/256ths.
double StoredWidth(double characters) {
  return std::floor((characters * 7 + 5) / 7 * 256) / 256;
}

// A relay sheet in small: organiser line, a turned and framed place cell,
// stage rows with a running total and the block's sums, a name cell without
// centring; then a second sheet that receives the print page setup.
class XlsxWriterTest : public SpreadsheetTest {
 protected:
  void SetUp() override {
    SpreadsheetTest::SetUp();
    calls = TPrintingCalls::Hidden(server);
    calls.SetColumnWidth(1, 1, 7);
    calls.SetColumnWidth(1, 4, 42);
    calls.SetCellValue(1, 1, 1, QString("Федерация гиревого спорта"));
    calls.MergeCells(1, "A1", "I1", true, 0);
    calls.SetCellValue(1, 1, 3, QString("Место"));
    calls.MergeCells(1, "A3", "A4", true, 90);
    calls.DrawRangeBorders(1, "A3", "A4");
    calls.SetRowHeight(1, 8, 40);
    calls.SetCellValue(1, 4, 11, QString("Иванов Иван"));
    calls.SetCellAlignGeneral(1, 4, 11);
    calls.SetCellValue(1, 6, 11, 68.5);
    calls.SetCellValue(1, 6, 12, QString("70,5"));
    calls.SetCellValue(1, 7, 11, QString("10"));
    calls.SetCellValue(1, 7, 12, QString("20"));
    calls.SetCellValue(1, 8, 11, QString("10"));
    calls.SetCellValue(1, 8, 12, QString("=H11+G12"));
    calls.SetCellFormula(1, 6, 13, "=SUM(F11:F12)");
    calls.SetCellValue(1, 5, 11, QString("01.02.1990"));
    calls.DrawRangeBorders(1, "B11", "I12");
    calls.SetSheetName(1, "Эст10");
    calls.GetSheet(2);
    calls.PrintOut(true);
    path = testing_sandbox::Path("book.xlsx");
    WriteXlsx(*WorkbookOf(calls.WorkBook.Object()), path);
  }

  TPrintingCalls calls;
  QString path;
};

TEST_F(XlsxWriterTest, KeepsSheetsCellsAndFormulaResults) {
  xlsx_reader::TBook file(path);
  EXPECT_EQ(file.SheetNames(), (QStringList{"Эст10", "Лист2"}));
  EXPECT_EQ(file.ActiveSheetName(), QString("Лист2"));

  struct Case {
    const char* cell;
    const char* text;
    const char* formula;
    const char* type;
  };
  const Case cases[] = {
      {"A1", "Федерация гиревого спорта", "", "s"},
      {"D11", "Иванов Иван", "", "s"},
      {"E11", "01.02.1990", "", "s"},
      {"F11", "68.5", "", ""},
      {"F12", "70.5", "", ""},  // typed with the locale's separator
      {"G12", "20", "", ""},
      {"H12", "30", "H11+G12", ""},
      {"F13", "139", "SUM(F11:F12)", ""},
  };
  for (const auto& c : cases) {
    const auto cell = file.Cell("Эст10", c.cell);
    ASSERT_TRUE(cell) << c.cell;
    EXPECT_EQ(cell->Text, QString::fromUtf8(c.text)) << c.cell;
    EXPECT_EQ(cell->Formula, QString::fromUtf8(c.formula)) << c.cell;
    EXPECT_EQ(cell->Type, QString::fromUtf8(c.type)) << c.cell;
  }
  EXPECT_EQ(file.Property("dc:title"), QString("Протокол Кубка России по гиревому спорту"));
  EXPECT_EQ(file.Property("dc:creator"), QString("Тяжарнет.ПРОТОКОЛ"));
  EXPECT_EQ(file.Property("dc:description"), QString("tyazharnet.example.org"));
}

// Where the program runs under a decimal comma, whoever calls the writer:
// the C library's printf writes "68,5" there, which the file format does not
// know as a number.
TEST_F(XlsxWriterTest, NumbersKeepTheFileFormsUnderADecimalCommaLocale) {
  const testing_locale::TCommaLocaleScope comma;
  if (!comma.Active()) {
    GTEST_SKIP() << "no decimal-comma locale on this system";
  }
  WriteXlsx(*WorkbookOf(calls.WorkBook.Object()), path);
  xlsx_reader::TBook file(path);
  for (const auto& [cell, text] : {std::pair{"F11", "68.5"}, std::pair{"F12", "70.5"}, std::pair{"H12", "30"},
                                   std::pair{"F13", "139"}}) {
    const auto content = file.Cell("Эст10", cell);
    ASSERT_TRUE(content) << cell;
    EXPECT_EQ(content->Text, QString::fromLatin1(text)) << cell;
  }
  EXPECT_EQ(file.ColumnWidth("Эст10", 1), StoredWidth(7));
  EXPECT_NEAR(file.Page("Лист2").Left, 28.0 / 72.0, 1e-9);
}

TEST_F(XlsxWriterTest, KeepsFormatsMergesAndFrames) {
  xlsx_reader::TBook file(path);
  EXPECT_EQ(file.Merges("Эст10"), (QStringList{"A1:I1", "A3:A4"}));

  const auto caption = file.Style("Эст10", "A1");
  EXPECT_EQ(caption.Horizontal, QString("center"));
  EXPECT_EQ(caption.Vertical, QString("center"));
  // Wrapping wins over shrinking, in the file as in the application.
  EXPECT_TRUE(caption.Wrap);
  EXPECT_FALSE(caption.Shrink);
  EXPECT_EQ(caption.Rotation, 0);
  const auto name = file.Style("Эст10", "D11");
  EXPECT_EQ(name.Horizontal, QString());
  EXPECT_EQ(name.Vertical, QString("center"));
  EXPECT_TRUE(name.Shrink);
  EXPECT_FALSE(name.Wrap);

  // The turned place cell: each of its two cells keeps its part of the frame.
  const auto top = file.Style("Эст10", "A3");
  const auto bottom = file.Style("Эст10", "A4");
  EXPECT_EQ(top.Rotation, 90);
  EXPECT_EQ(bottom.Rotation, 90);
  EXPECT_EQ(QStringList({top.Left, top.Top, top.Bottom, top.Right}),
            QStringList({"thin", "thin", "", "thin"}));
  EXPECT_EQ(QStringList({bottom.Left, bottom.Top, bottom.Bottom, bottom.Right}),
            QStringList({"thin", "", "thin", "thin"}));

  // The frame of B11:I12, with no lines inside.
  struct Edge {
    const char* cell;
    QStringList lrtb;
  };
  const Edge edges[] = {
      {"B11", {"thin", "", "thin", ""}}, {"C11", {"", "", "thin", ""}}, {"I11", {"", "thin", "thin", ""}},
      {"B12", {"thin", "", "", "thin"}}, {"E12", {"", "", "", "thin"}}, {"I12", {"", "thin", "", "thin"}},
  };
  for (const auto& e : edges) {
    const auto s = file.Style("Эст10", e.cell);
    EXPECT_EQ(QStringList({s.Left, s.Right, s.Top, s.Bottom}), e.lrtb) << e.cell;
  }

  EXPECT_EQ(file.ColumnWidth("Эст10", 1), StoredWidth(7));
  EXPECT_EQ(file.ColumnWidth("Эст10", 4), StoredWidth(42));
  EXPECT_EQ(file.ColumnWidth("Эст10", 2), std::nullopt);
  EXPECT_EQ(file.RowHeight("Эст10", 8), 40.0);
}

TEST_F(XlsxWriterTest, KeepsThePageSetup) {
  xlsx_reader::TBook file(path);
  // The named sheet: landscape from its name, nothing else set.
  const auto named = file.Page("Эст10");
  EXPECT_EQ(named.Orientation, QString("landscape"));
  EXPECT_FALSE(named.FitToPage);
  EXPECT_TRUE(named.Footer.isEmpty());
  EXPECT_NEAR(named.Left, 0.7, 1e-9);

  // The active sheet at printing: one page wide, any number of pages tall.
  const auto printed = file.Page("Лист2");
  EXPECT_EQ(printed.Orientation, QString("landscape"));
  for (const double margin : {printed.Left, printed.Right, printed.Top, printed.Bottom}) {
    EXPECT_NEAR(margin, 28.0 / 72.0, 1e-9);
  }
  EXPECT_TRUE(printed.FitToPage);
  EXPECT_EQ(printed.FitToWidth, 1);
  EXPECT_EQ(printed.FitToHeight, 0);
  EXPECT_EQ(printed.Footer, "&L" + TPrintingCalls::Footer());
}

// A row's page break begins a page there; taken back, it is gone.
TEST_F(XlsxWriterTest, KeepsTheRowBreaks) {
  const TOleVariant sheet = calls.GetSheet(2);
  for (const auto& [row, kind] : {std::pair{12, xl::PageBreakManual}, std::pair{30, xl::PageBreakManual},
                                  std::pair{20, xl::PageBreakManual}, std::pair{30, xl::PageBreakNone}}) {
    sheet.OlePropertyGet("Rows", {row}).OlePropertySet("PageBreak", kind);
  }
  EXPECT_EQ(sheet.OlePropertyGet("Rows", {20}).OlePropertyGetValue("PageBreak"),
            TAutomationValue(xl::PageBreakManual));
  EXPECT_EQ(sheet.OlePropertyGet("Rows", {30}).OlePropertyGetValue("PageBreak"),
            TAutomationValue(xl::PageBreakNone));
  WriteXlsx(*WorkbookOf(calls.WorkBook.Object()), path);
  xlsx_reader::TBook file(path);
  EXPECT_EQ(file.RowBreaks("Лист2"), (std::vector<int>{12, 20}));
  EXPECT_TRUE(file.RowBreaks("Эст10").empty());
}

// LibreOffice would print a sheet as far as a shrunk text would reach
// unshrunk: an empty page beside it, or the page scaled down.
TEST_F(XlsxWriterTest, ASheetWithAShrunkTextPrintsWhatItsCellsCover) {
  calls.SetColumnWidth(2, 2, 10);
  calls.SetCellValue(2, 2, 5,
                     QString("Главный секретарь                          Борисова Бронислава Борисовна"));
  calls.SetCellValue(3, 1, 1, QString("Тула"));
  calls.SetCellValue(3, 1, 2, QString("Главный секретарь Борисова Бронислава Борисовна"));
  calls.MergeCells(3, "A2", "F2", false, 0);
  WriteXlsx(*WorkbookOf(calls.WorkBook.Object()), path);
  xlsx_reader::TBook file(path);
  EXPECT_EQ(file.PrintArea("Лист2"), QString("$A$1:$B$5"));
  // Texts that fit, or wrap: printed as the program finds the sheet.
  EXPECT_EQ(file.PrintArea("Лист3"), QString());
}

TEST_F(XlsxWriterTest, ReplacesAFileWholeAndLeavesNoneWhereItFails) {
  const auto book = WorkbookOf(calls.WorkBook.Object());
  book->RenameSheet(book->Sheet(2), QString(31, u'Ж'));
  WriteXlsx(*book, path);
  EXPECT_EQ(xlsx_reader::TBook(path).SheetNames(), (QStringList{"Эст10", QString(31, u'Ж')}));
  EXPECT_EQ(QDir(testing_sandbox::Folder()).entryList(QDir::Files), QStringList{"book.xlsx"});

  const QString nowhere = testing_sandbox::Path("missing/book.xlsx");
  EXPECT_THROW(WriteXlsx(*book, nowhere), Exception);
  EXPECT_FALSE(QFileInfo::exists(nowhere));
}

}  // namespace
