#include <gtest/gtest.h>

#include <QDir>
#include <functional>

#include "tests/platform/spreadsheet/spreadsheet_fixture.h"

namespace {

using namespace spreadsheet;

QStringList SheetNames(const TWorkbook& book) {
  QStringList names;
  for (int i = 1; i <= book.SheetCount(); ++i) {
    names << book.Sheet(i).Name();
  }
  return names;
}

TEST_F(SpreadsheetTest, GetSheetReusesTheInitialSheetAndAddsOnlyOnePastTheLast) {
  const auto calls = TPrintingCalls::Hidden(server);
  const auto book = WorkbookOf(calls.WorkBook.Object());
  ASSERT_TRUE(book);
  ASSERT_EQ(added.size(), 1u);
  EXPECT_EQ(added[0], book);
  EXPECT_EQ(SheetNames(*book), QStringList{"Лист1"});

  EXPECT_EQ(WorksheetOf(calls.GetSheet(1).Object()), book->SheetPtr(1));
  EXPECT_EQ(book->SheetCount(), 1);
  calls.GetSheet(2);
  calls.GetSheet(3);
  EXPECT_EQ(SheetNames(*book), (QStringList{"Лист1", "Лист2", "Лист3"}));
  // Within the count the existing sheet comes back, nothing is added.
  EXPECT_EQ(WorksheetOf(calls.GetSheet(2).Object()), book->SheetPtr(2));
  EXPECT_EQ(book->SheetCount(), 3);
  // A new sheet becomes the active one, which PrintOut sets up.
  EXPECT_EQ(WorksheetOf(calls.Excel.OleObjectFunction("ActiveSheet").Object()), book->SheetPtr(3));

  // Before wins over After; neither puts the sheet before the active one.
  const TOleVariant sheets = calls.Excel.OleObjectFunction("WorkSheets");
  sheets.OleFunction("Add", {calls.GetSheet(1).Object(), calls.GetSheet(3).Object()});
  EXPECT_EQ(SheetNames(*book), (QStringList{"Лист4", "Лист1", "Лист2", "Лист3"}));
  calls.Excel.OlePropertyGet("WorkSheets", {3}).OleProcedure("Activate");
  sheets.OleFunction("Add");
  EXPECT_EQ(SheetNames(*book), (QStringList{"Лист4", "Лист1", "Лист5", "Лист2", "Лист3"}));
  EXPECT_EQ(std::get<int>(sheets.OleFunction("Count")), 5);
  // Sheets are also found by name, in any letter case.
  EXPECT_EQ(WorksheetOf(calls.Excel.OlePropertyGet("WorkSheets", {QString("лист2")}).Object()),
            book->SheetPtr(4));
}

TEST_F(SpreadsheetTest, CellValuesAreTypedAsInputAndCentredWithShrinkToFit) {
  const auto calls = TPrintingCalls::Hidden(server);
  struct Case {
    TAutomationValue value;
    TCellValue stored;
    QString formula;
  };
  const Case cases[] = {
      {5, 5.0, {}},
      {68.5, 68.5, {}},
      {true, true, {}},
      {QString("1"), 1.0, {}},
      {QString("68,5"), 68.5, {}},
      {QString("01.02.1990"), QString("01.02.1990"), {}},
      {QString("20+16"), QString("20+16"), {}},
      {QString("=H11+G12"), std::monostate{}, "=H11+G12"},
      {QString(), QString(), {}},
  };
  int row = 1;
  for (const auto& c : cases) {
    calls.SetCellValue(1, 2, row, c.value);
    const TCell cell = WorkbookOf(calls.WorkBook.Object())->Sheet(1).CellAt(row, 2);
    EXPECT_EQ(cell.Value, c.stored) << "row " << row;
    EXPECT_EQ(cell.Formula, c.formula) << "row " << row;
    EXPECT_EQ(cell.Format.HorizontalAlignment, xl::Center);
    EXPECT_EQ(cell.Format.VerticalAlignment, xl::Center);
    EXPECT_TRUE(cell.Format.ShrinkToFit);
    ++row;
  }

  // General alignment undoes only the horizontal centring.
  calls.SetCellAlignGeneral(1, 2, 1);
  const TCell general = WorkbookOf(calls.WorkBook.Object())->Sheet(1).CellAt(1, 2);
  EXPECT_EQ(general.Format.HorizontalAlignment, xl::General);
  EXPECT_EQ(general.Format.VerticalAlignment, xl::Center);
  EXPECT_TRUE(general.Format.ShrinkToFit);

  // Formula takes the same input; reading back shows the computed value.
  calls.SetCellValue(1, 7, 11, 10);
  calls.SetCellValue(1, 7, 12, QString("20"));
  calls.SetCellFormula(1, 7, 13, "=SUM(G11:G12)");
  const TOleVariant total = calls.GetSheet(1).OlePropertyGet("Cells", {13, 7});
  EXPECT_EQ(total.OlePropertyGetValue("Value"), TAutomationValue(30.0));
  EXPECT_EQ(total.OlePropertyGetValue("Formula"), TAutomationValue(QString("=SUM(G11:G12)")));
  EXPECT_EQ(calls.GetSheet(1).OlePropertyGet("Cells", {11, 7}).OlePropertyGetValue("Formula"),
            TAutomationValue(QString("10")));
}

TEST_F(SpreadsheetTest, MergeCentresOrNotWrapsAndTurnsTheText) {
  struct Case {
    bool center;
    int orientation;
    int horizontal;
    int reported;  // what Orientation reads back
  };
  const Case cases[] = {
      {false, 0, xl::General, xl::Horizontal},
      {true, 0, xl::Center, xl::Horizontal},
      {true, 90, xl::Center, xl::Upward},
  };
  for (const auto& c : cases) {
    const auto calls = TPrintingCalls::Hidden(server);
    calls.SetCellValue(1, 2, 2, QString("Место"));
    calls.MergeCells(1, "B2", "C4", c.center, c.orientation);
    const TWorksheet& sheet = WorkbookOf(calls.WorkBook.Object())->Sheet(1);
    EXPECT_EQ(sheet.MergedRanges(), std::vector<TCellRange>{*ParseRangeName(u"B2:C4")});
    for (int r = 2; r <= 4; ++r) {
      for (int col = 2; col <= 3; ++col) {
        const TCellFormat f = sheet.CellAt(r, col).Format;
        EXPECT_EQ(f.HorizontalAlignment, c.horizontal) << r << "," << col;
        EXPECT_TRUE(f.WrapText);
        EXPECT_EQ(f.Orientation, c.orientation);
      }
    }
    const TOleVariant range = calls.GetSheet(1).OlePropertyGet("Range", {QString("B2"), QString("C4")});
    EXPECT_EQ(range.OlePropertyGetValue("MergeCells"), TAutomationValue(true));
    EXPECT_EQ(range.OlePropertyGetValue("Orientation"), TAutomationValue(c.reported));
    // Part of a merged area, or none of one.
    EXPECT_EQ(calls.GetSheet(1).OlePropertyGet("Range", {QString("A1:B2")}).OlePropertyGetValue("MergeCells"),
              TAutomationValue(TAutomationNull{}));
    EXPECT_EQ(calls.GetSheet(1).OlePropertyGet("Range", {QString("E5")}).OlePropertyGetValue("MergeCells"),
              TAutomationValue(false));
  }
}

TEST_F(SpreadsheetTest, RangeBordersDrawOnlyTheOuterFrame) {
  const auto calls = TPrintingCalls::Hidden(server);
  calls.DrawRangeBorders(1, "C5", "E7");
  calls.DrawCellBorders(1, 8, 2);
  const TWorksheet& sheet = WorkbookOf(calls.WorkBook.Object())->Sheet(1);
  // Every edge of every cell around and inside the range.
  for (int r = 4; r <= 8; ++r) {
    for (int c = 2; c <= 6; ++c) {
      const bool inside = r >= 5 && r <= 7 && c >= 3 && c <= 5;
      const TCellFormat f = sheet.CellAt(r, c).Format;
      const std::string at = TCellAddress{r, c}.A1().toStdString();
      EXPECT_EQ(f.HasBorder(TEdge::Left), inside && c == 3) << at;
      EXPECT_EQ(f.HasBorder(TEdge::Right), inside && c == 5) << at;
      EXPECT_EQ(f.HasBorder(TEdge::Top), inside && r == 5) << at;
      EXPECT_EQ(f.HasBorder(TEdge::Bottom), inside && r == 7) << at;
    }
  }
  EXPECT_EQ(sheet.CellAt(5, 3).Format.Border(TEdge::Left), xl::Continuous);
  const TCellFormat boxed = sheet.CellAt(2, 8).Format;
  for (const TEdge edge : {TEdge::Left, TEdge::Top, TEdge::Bottom, TEdge::Right}) {
    EXPECT_EQ(boxed.Border(edge), xl::Continuous);
  }

  // The inside edges are the lines between neighbours; reading a range's
  // border tells whether all its cells have it.
  const TOleVariant grid = calls.GetSheet(1).OlePropertyGet("Range", {QString("J1"), QString("K2")});
  grid.OlePropertyGet("Borders", {12}).OlePropertySet("LineStyle", xl::Dash);
  EXPECT_EQ(sheet.CellAt(1, 10).Format.Border(TEdge::Bottom), xl::Dash);
  EXPECT_EQ(sheet.CellAt(2, 11).Format.Border(TEdge::Top), xl::Dash);
  EXPECT_FALSE(sheet.CellAt(2, 11).Format.HasBorder(TEdge::Bottom));
  EXPECT_EQ(grid.OlePropertyGet("Borders", {12}).OlePropertyGetValue("LineStyle"),
            TAutomationValue(xl::Dash));
  EXPECT_EQ(grid.OlePropertyGet("Borders", {9}).OlePropertyGetValue("LineStyle"),
            TAutomationValue(xl::LineStyleNone));
  EXPECT_EQ(grid.OlePropertyGet("Borders").OlePropertyGetValue("LineStyle"),
            TAutomationValue(TAutomationNull{}));
}

TEST_F(SpreadsheetTest, NamedSheetsTurnToLandscapeAndKeepTheirNamesUnique) {
  const auto calls = TPrintingCalls::Hidden(server);
  calls.GetSheet(2);
  calls.SetSheetName(1, "Р0д58");
  const auto book = WorkbookOf(calls.WorkBook.Object());
  EXPECT_EQ(SheetNames(*book), (QStringList{"Р0д58", "Лист2"}));
  EXPECT_EQ(book->Sheet(1).PageSetup().Orientation, xl::Landscape);
  EXPECT_EQ(book->Sheet(2).PageSetup().Orientation, xl::Portrait);

  // Another sheet's name, whatever the letter case, is refused and changes nothing.
  EXPECT_THROW(calls.SetSheetName(2, "р0Д58"), EOleException);
  EXPECT_THROW(calls.SetSheetName(2, "Эст/10"), EOleException);
  EXPECT_EQ(SheetNames(*book), (QStringList{"Р0д58", "Лист2"}));
  EXPECT_EQ(calls.GetSheet(1).OlePropertyGetValue("Name"), TAutomationValue(QString("Р0д58")));
}

TEST_F(SpreadsheetTest, PrintOutSetsUpTheActiveSheetAndPrintsTheWorkbook) {
  for (const bool landscape : {true, false}) {
    auto calls = TPrintingCalls::Hidden(server);
    calls.SetColumnWidth(1, 4, 42);
    calls.SetRowHeight(1, 8, 40);
    calls.GetSheet(2);  // now the active sheet
    printed.clear();
    calls.PrintOut(landscape);
    const auto book = WorkbookOf(calls.WorkBook.Object());
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0], book.get());

    TPageSetup expected;
    expected.Orientation = landscape ? xl::Landscape : xl::Portrait;
    expected.LeftFooter = TPrintingCalls::Footer();
    expected.LeftMargin = expected.RightMargin = expected.TopMargin = expected.BottomMargin = 28;
    expected.FitToPagesWide = 1;
    EXPECT_EQ(book->Sheet(2).PageSetup(), expected) << landscape;
    EXPECT_EQ(book->Sheet(1).PageSetup(), TPageSetup{});
    EXPECT_EQ(book->Sheet(1).ColumnWidth(4), 42.0);
    EXPECT_EQ(book->Sheet(1).RowHeight(8), 40.0);
    EXPECT_EQ(book->Properties, (TDocumentProperties{"Тяжарнет.ПРОТОКОЛ", "tyazharnet.example.org",
                                                     "Протокол Кубка России по гиревому спорту"}));
    calls.CloseAndQuit();
  }
}

TEST_F(SpreadsheetTest, MemberNamesIgnoreLetterCase) {
  const auto calls = TPrintingCalls::Hidden(server);
  calls.Excel.OleObjectFunction("worksheets")
      .OleObjectFunction("ITEM", {1})
      .OlePropertyGet("cElLs", {1, 1})
      .OlePropertySet("VALUE", QString("x"));
  EXPECT_EQ(WorkbookOf(calls.WorkBook.Object())->Sheet(1).CellAt(1, 1).Value, TCellValue(QString("x")));
}

TEST_F(SpreadsheetTest, UnknownMembersAndWrongArgumentsRaiseTheirErrors) {
  const auto calls = TPrintingCalls::Hidden(server);
  const TOleVariant sheet = calls.GetSheet(1);
  const TOleVariant cell = sheet.OlePropertyGet("Cells", {1, 1});
  const TOleVariant setup = sheet.OleObjectFunction("PageSetup");
  const TOleVariant border = cell.OlePropertyGet("Borders", {7});
  enum Kind { SysError, OleException };
  struct Case {
    const char* what;
    std::function<void()> call;
    Kind kind;
  };
  const Case cases[] = {
      {"application member", [&] { calls.Excel.OleFunction("Calculate"); }, SysError},
      {"workbook member", [&] { calls.WorkBook.OlePropertySet("Saved", true); }, SysError},
      {"sheet member", [&] { sheet.OlePropertyGet("UsedRange"); }, SysError},
      {"range member", [&] { cell.OlePropertySet("Font", 1); }, SysError},
      {"page setup member", [&] { setup.OlePropertySet("Zoom", false); }, SysError},
      {"border member", [&] { border.OlePropertySet("Weight", 2); }, SysError},
      {"put on a method", [&] { calls.Excel.OlePropertySet("Quit", true); }, SysError},
      {"put on a read-only property", [&] { sheet.OlePropertySet("Index", 2); }, SysError},
      {"alignment", [&] { cell.OlePropertySet("HorizontalAlignment", 12345); }, OleException},
      {"vertical alignment", [&] { cell.OlePropertySet("VerticalAlignment", xl::Left); }, OleException},
      {"line style", [&] { border.OlePropertySet("LineStyle", 99); }, OleException},
      {"border edge", [&] { cell.OlePropertyGet("Borders", {3}); }, OleException},
      {"orientation", [&] { cell.OlePropertySet("Orientation", 180); }, OleException},
      {"row 0",
       [&] {
         sheet.OlePropertyGet("Cells", {0, 1});
       },
       OleException},
      {"three indexes",
       [&] {
         sheet.OlePropertyGet("Cells", {1, 1, 1});
       },
       OleException},
      {"sheet past the count", [&] { calls.Excel.OlePropertyGet("WorkSheets", {2}); }, OleException},
      {"text for a width",
       [&] { sheet.OlePropertyGet("Columns", {1}).OlePropertySet("ColumnWidth", QString("wide")); },
       OleException},
      {"negative width", [&] { sheet.OlePropertyGet("Columns", {1}).OlePropertySet("ColumnWidth", -1); },
       OleException},
      {"Null for a name", [&] { sheet.OlePropertySet("Name", TAutomationNull{}); }, OleException},
      {"object as a value", [&] { cell.OlePropertySet("Value", sheet.Object()); }, OleException},
      {"bad range name",
       [&] {
         sheet.OlePropertyGet("Range", {QString("A1:"), QString("B2")});
       },
       OleException},
      {"page orientation", [&] { setup.OlePropertySet("Orientation", 3); }, OleException},
      {"negative margin", [&] { setup.OlePropertySet("LeftMargin", -1); }, OleException},
      {"footer too long", [&] { setup.OlePropertySet("LeftFooter", QString(250, u'Ж')); }, OleException},
      {"text too long", [&] { cell.OlePropertySet("Value", QString(MaxTextLength + 1, u'x')); },
       OleException},
      {"a whole column's values", [&] { sheet.OlePropertyGet("Columns", {2}).OlePropertySet("Value", 1); },
       OleException},
      {"a page break of a cell", [&] { cell.OlePropertySet("PageBreak", xl::PageBreakManual); },
       OleException},
      {"a page break above the first row",
       [&] { sheet.OlePropertyGet("Rows", {1}).OlePropertySet("PageBreak", xl::PageBreakManual); },
       OleException},
      {"an automatic page break",
       [&] { sheet.OlePropertyGet("Rows", {5}).OlePropertySet("PageBreak", -4105); }, OleException},
  };
  for (const auto& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << c.what << ": no error";
    } catch (const EOleSysError& e) {
      EXPECT_EQ(c.kind, SysError) << c.what << ": " << e.what();
    } catch (const EOleException& e) {
      EXPECT_EQ(c.kind, OleException) << c.what << ": " << e.what();
    }
  }
  try {
    calls.Excel.OleFunction("Calculate");
  } catch (const EOleSysError& e) {
    EXPECT_TRUE(e.Message().startsWith("Unknown name")) << e.what();
  }
  // A refused value leaves the cell as it was.
  EXPECT_EQ(WorkbookOf(calls.WorkBook.Object())->Sheet(1).CellAt(1, 1).Format, TCellFormat{});
}

TEST_F(SpreadsheetTest, CloseDiscardsTheWorkbookAndQuitEndsTheInstance) {
  auto calls = TPrintingCalls::Hidden(server);
  calls.SetCellValue(1, 1, 1, QString("черновик"));
  const TOleVariant sheet = calls.GetSheet(1);
  const auto book = WorkbookOf(calls.WorkBook.Object());
  const TOleVariant excel = calls.Excel;
  const TOleVariant workbook = calls.WorkBook;

  workbook.OleProcedure("Close");
  EXPECT_TRUE(book->IsClosed());
  EXPECT_EQ(excel.OleObjectFunction("Workbooks").OleFunction("Count"), TAutomationValue(0));
  EXPECT_THROW(sheet.OlePropertyGet("Cells", {1, 1}), EOleSysError);
  EXPECT_THROW(workbook.OlePropertySet("Title", QString("x")), EOleSysError);
  EXPECT_THROW(excel.OleObjectFunction("ActiveSheet"), EOleException);  // no workbook left

  excel.OleProcedure("Quit");
  EXPECT_THROW(excel.OleObjectFunction("Workbooks"), EOleSysError);
  calls = TPrintingCalls();
  // Nothing was saved or shown: what the workbook held is only in memory.
  EXPECT_TRUE(book->SavedPath().isEmpty());
  EXPECT_TRUE(opened.isEmpty());
  EXPECT_FALSE(QDir(HandOverFolder()).exists());
  EXPECT_EQ(book->Sheet(1).CellAt(1, 1).Value, TCellValue(QString("черновик")));
}

TEST_F(SpreadsheetTest, UnknownApplicationsAreNotStarted) {
  EXPECT_THROW(server.CreateInstance("Word.Application"), EOleSysError);
  EXPECT_THROW(server.GetActiveObject("Word.Application"), EOleSysError);
  EXPECT_NO_THROW(server.CreateInstance("excel.application"));
}

TEST(DefaultServer, IsTheSpreadsheetBackEndUntilAnotherIsInstalled) {
  EXPECT_EQ(&AutomationServer(), &DefaultSpreadsheetServer());
  TSpreadsheetServer other;
  IAutomationServer* previous = SetAutomationServer(&other);
  EXPECT_EQ(&AutomationServer(), &other);
  SetAutomationServer(previous);
  EXPECT_EQ(&AutomationServer(), &DefaultSpreadsheetServer());
}

}  // namespace
