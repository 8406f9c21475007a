#include <gtest/gtest.h>

#include <functional>

#include "protocol/excel_manager.h"
#include "tests/support/automation_double.h"

using automation_double::TAutomationDouble;
using automation_double::TFailure;
using automation_double::TServerScope;

namespace {

const QString kWeb = QStringLiteral(TYAZHAR_WEB_ADDRESS);

class ExcelManagerTest : public ::testing::Test {
 protected:
  explicit ExcelManagerTest(int initialSheets = 1) : excel(initialSheets), scope(&excel) {}

  QString ErrorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const Exception& e) {
      return e.Message();
    }
    return QStringLiteral("<no error>");
  }

  TAutomationDouble excel;
  TServerScope scope;
};

TEST_F(ExcelManagerTest, HiddenStartAndShutdownInOrder) {
  auto manager = TExcelManager::CreateHidden();
  manager->Destroy();
  EXPECT_EQ(excel.CallTexts(),
            (QStringList{
                "Server.CreateInstance call \"Excel.Application\"",
                "Application.Visible put False",
                "Application.DisplayAlerts put False",
                "Application.Workbooks call",
                "Application.Workbooks.Add call",
                "Application.Workbooks[1].Author put \"Тяжарнет.ПРОТОКОЛ\"",
                "Application.Workbooks[1].Comments put \"" + kWeb + "\"",
                "Application.Workbooks[1].Title put \"Протокол Кубка России по гиревому спорту\"",
                "Application.Workbooks[1].Close call",
                "Application.Quit call",
            }));
  EXPECT_FALSE(kWeb.isEmpty());
  EXPECT_FALSE(kWeb.contains(QStringLiteral("://")));
}

TEST_F(ExcelManagerTest, VisibleExportAttachesToTheRunningApplicationAndLeavesItOpen) {
  excel.SetRunning(true);
  auto manager = TExcelManager::CreateVisible();
  manager->Destroy();
  EXPECT_EQ(excel.CallTexts(),
            (QStringList{
                "Server.GetActiveObject call \"Excel.Application\"",
                "Application.Visible put True",
                "Application.Workbooks call",
                "Application.Workbooks.Add call",
                "Application.Workbooks[2].Author put \"Тяжарнет.ПРОТОКОЛ\"",
                "Application.Workbooks[2].Comments put \"" + kWeb + "\"",
                "Application.Workbooks[2].Title put \"Протокол Кубка России по гиревому спорту\"",
            }));
  EXPECT_TRUE(excel.Started().empty());
}

TEST_F(ExcelManagerTest, VisibleExportStartsAnInstanceWhenNoneRuns) {
  auto manager = TExcelManager::CreateVisible();
  manager.reset();
  const QStringList calls = excel.CallTexts();
  ASSERT_GE(calls.size(), 3);
  EXPECT_EQ(calls.mid(0, 3), (QStringList{"Server.GetActiveObject call \"Excel.Application\"",
                                          "Server.CreateInstance call \"Excel.Application\"",
                                          "Application.Visible put True"}));
  ASSERT_EQ(excel.Started().size(), 1u);
  EXPECT_FALSE(excel.Started()[0]->Quit);
  EXPECT_FALSE(excel.Workbook().Closed);
}

struct StartFailureCase {
  const char* name;
  bool visible;
  QString failMember;
  TFailure kind;
  QString expected;
  bool expectQuit;   // an owned instance that was started must be quit
  bool expectClose;  // a workbook that was added must be closed
};

TEST_F(ExcelManagerTest, FailedStartCleansUpAndReportsTheCause) {
  const QString opening = QStringLiteral("Проблемы с открытием Excel:\r\nrefused");
  const QString workbook = QStringLiteral("Не удалось создать новую книгу:\r\nrefused");
  const StartFailureCase cases[] = {
      {"start refused", false, "CreateInstance", TFailure::OleSysError, opening, false, false},
      {"Visible refused", false, "Visible", TFailure::OleException, opening, true, false},
      {"DisplayAlerts refused", false, "DisplayAlerts", TFailure::OleException, opening, true, false},
      {"Workbooks.Add refused", false, "Add", TFailure::OleException, workbook, true, false},
      {"Title refused", false, "Title", TFailure::OleException, workbook, true, true},
      {"attach fails otherwise", true, "GetActiveObject", TFailure::OleException, opening, false, false},
      {"visible start refused", true, "CreateInstance", TFailure::OleSysError, opening, false, false},
      {"visible Add refused", true, "Add", TFailure::OleException, workbook, false, false},
  };
  for (const auto& c : cases) {
    TAutomationDouble local(1);
    TServerScope localScope(&local);
    local.FailAt(c.failMember, 1, c.kind);
    EXPECT_EQ(ErrorOf([&] { c.visible ? TExcelManager::CreateVisible() : TExcelManager::CreateHidden(); }),
              c.expected)
        << c.name;
    EXPECT_EQ(local.CallTexts({"Quit"}).size(), c.expectQuit ? 1 : 0) << c.name;
    EXPECT_EQ(local.CallTexts({"Close"}).size(), c.expectClose ? 1 : 0) << c.name;
  }
}

TEST_F(ExcelManagerTest, ConstructorErrorWinsOverAFailingCleanup) {
  excel.FailAt("DisplayAlerts");
  excel.FailAt("Quit", 1, TFailure::OleException, QStringLiteral("quit refused"));
  EXPECT_EQ(ErrorOf([] { TExcelManager::CreateHidden(); }),
            QStringLiteral("Проблемы с открытием Excel:\r\nrefused"));
}

struct ShutdownCase {
  const char* name;
  bool closeFails;
  bool quitFails;
  QString expected;
};

TEST_F(ExcelManagerTest, ShutdownReportsEveryFailedStepOnItsOwnLine) {
  const QString head = QStringLiteral("Завершения работы прошло с ошибками:");
  const ShutdownCase cases[] = {
      {"clean", false, false, "<no error>"},
      {"close fails", true, false, head + "\r\nЗакрытие книги: book busy"},
      {"quit fails", false, true, head + "\r\nЗакрытие Excel: server gone"},
      {"both fail", true, true, head + "\r\nЗакрытие книги: book busy\r\nЗакрытие Excel: server gone"},
  };
  for (const auto& c : cases) {
    TAutomationDouble local(1);
    TServerScope localScope(&local);
    if (c.closeFails) {
      local.FailAt("Close", 1, TFailure::OleException, QStringLiteral("book busy"));
    }
    if (c.quitFails) {
      local.FailAt("Quit", 1, TFailure::OleSysError, QStringLiteral("server gone"));
    }
    auto manager = TExcelManager::CreateHidden();
    EXPECT_EQ(ErrorOf([&] { manager->Destroy(); }), c.expected) << c.name;
    // A failing close does not keep the application from being quit.
    EXPECT_EQ(local.CallTexts({"Close", "Quit"}),
              (QStringList{"Application.Workbooks[1].Close call", "Application.Quit call"}))
        << c.name;
    // Destroying twice, and the destructor after Destroy, do nothing more.
    EXPECT_EQ(ErrorOf([&] { manager->Destroy(); }), QStringLiteral("<no error>"));
    manager.reset();
    EXPECT_EQ(local.CallTexts({"Close", "Quit"}).size(), 2) << c.name;
  }
}

TEST_F(ExcelManagerTest, DestructorAloneStillPutsAHiddenInstanceAway) {
  excel.FailAt("Close");
  TExcelManager::CreateHidden().reset();
  EXPECT_EQ(excel.CallTexts({"Close", "Quit"}),
            (QStringList{"Application.Workbooks[1].Close call", "Application.Quit call"}));
  EXPECT_TRUE(excel.Application()->Quit);
}

TEST_F(ExcelManagerTest, SheetsAreMadeOnDemandRightAfterTheLastAndLookedUpOncePerVisit) {
  auto manager = TExcelManager::CreateHidden();
  const size_t from = excel.Calls().size();
  manager->SetColumnWidth(1, 1, 6);
  manager->SetColumnWidth(2, 1, 7);
  manager->SetColumnWidth(2, 1, 8);
  manager->SetColumnWidth(1, 2, 9);
  QStringList calls;
  for (size_t i = from; i < excel.Calls().size(); ++i) {
    calls << excel.Calls()[i].Text();
  }
  EXPECT_EQ(calls, (QStringList{
                       "Application.WorkSheets call",
                       "Application.WorkSheets.Count call",
                       "Application.WorkSheets get 1",
                       "Application.WorkSheets[1].Columns get 1",
                       "Application.WorkSheets[1].Columns[1].ColumnWidth put 6",
                       // sheet 2 does not exist yet: added after sheet 1
                       "Application.WorkSheets call",
                       "Application.WorkSheets.Count call",
                       "Application.WorkSheets call",
                       "Application.WorkSheets get 1",
                       "Application.WorkSheets.Add call Null, Application.WorkSheets[1]",
                       "Application.WorkSheets[2].Columns get 1",
                       "Application.WorkSheets[2].Columns[1].ColumnWidth put 7",
                       // still on sheet 2: no look-up
                       "Application.WorkSheets[2].Columns get 1",
                       "Application.WorkSheets[2].Columns[1].ColumnWidth put 8",
                       // back on sheet 1: looked up again, nothing added
                       "Application.WorkSheets call",
                       "Application.WorkSheets.Count call",
                       "Application.WorkSheets get 1",
                       "Application.WorkSheets[1].Columns get 2",
                       "Application.WorkSheets[1].Columns[2].ColumnWidth put 9",
                   }));
  EXPECT_EQ(excel.SheetCount(), 2);
  EXPECT_EQ(excel.Sheet(2).ColumnWidths.at(1), 8);
  EXPECT_EQ(excel.Sheet(1).ColumnWidths.at(2), 9);
}

class ExcelManagerThreeSheetsTest : public ExcelManagerTest {
 protected:
  ExcelManagerThreeSheetsTest() : ExcelManagerTest(3) {}
};

TEST_F(ExcelManagerThreeSheetsTest, TheInitialSheetsAreUsedBeforeAnyIsAdded) {
  auto manager = TExcelManager::CreateHidden();
  for (int sheet = 1; sheet <= 4; ++sheet) {
    manager->SetSheetName(sheet, QStringLiteral("S%1").arg(sheet));
  }
  EXPECT_EQ(excel.CallTexts({"Add"}).size(), 2);  // the workbook's, and sheet 4
  EXPECT_EQ(excel.SheetNames(), (QStringList{"S1", "S2", "S3", "S4"}));
}

struct OperationCase {
  const char* name;
  std::function<void(TExcelManager&)> operation;
  QStringList expected;
};

TEST_F(ExcelManagerTest, EachOperationSendsItsMembersInOrder) {
  const QString cell = QStringLiteral("Application.WorkSheets[1].Cells[9,2]");
  const QString range = QStringLiteral("Application.WorkSheets[1].Range[C5,I5]");
  const QString page = QStringLiteral("Application.WorkSheets[1].PageSetup");
  // The sheet is looked up once, at the first stroke on it.
  const QString sheet = QStringLiteral("Application.WorkSheets get 1");
  const QStringList centre = {
      "Application.WorkSheets[1].Cells get 9, 2", cell + ".HorizontalAlignment put -4108",
      "Application.WorkSheets[1].Cells get 9, 2", cell + ".VerticalAlignment put -4108",
      "Application.WorkSheets[1].Cells get 9, 2", cell + ".ShrinkToFit put True"};
  const auto merge = [&](int align, int orientation) {
    QStringList calls{sheet};
    for (const QString& put :
         {QStringLiteral("MergeCells put True"), QStringLiteral("HorizontalAlignment put %1").arg(align),
          QStringLiteral("WrapText put True"), QStringLiteral("Orientation put %1").arg(orientation)}) {
      calls << "Application.WorkSheets[1].Range get \"C5\", \"I5\"" << range + "." + put;
    }
    return calls;
  };
  const auto borders = [&](const QString& get, const QString& object) {
    QStringList calls{sheet};
    for (int edge : {7, 8, 9, 10}) {
      calls << get << QStringLiteral("%1.Borders get %2").arg(object).arg(edge)
            << QStringLiteral("%1.Borders[%2].LineStyle put 1").arg(object).arg(edge);
    }
    return calls;
  };
  const auto print = [&](int orientation) {
    QStringList calls;
    for (const QString& put :
         {QStringLiteral("Orientation put %1").arg(orientation),
          QStringLiteral(
              "LeftFooter put \"Подготовлено с помощью программного обеспечения \"Тяжарнет.ПРОТОКОЛ\"\""),
          QStringLiteral("LeftMargin put 28"), QStringLiteral("RightMargin put 28"),
          QStringLiteral("TopMargin put 28"), QStringLiteral("BottomMargin put 28"),
          QStringLiteral("FitToPagesWide put 1")}) {
      calls << "Application.ActiveSheet call" << page + " call" << page + "." + put;
    }
    return calls << "Application.Worksheets call"
                 << "Application.Worksheets.PrintOut call";
  };
  const OperationCase cases[] = {
      {"SetSheetName",
       [](TExcelManager& m) { m.SetSheetName(1, QStringLiteral("Р0д58")); },
       {sheet, "Application.WorkSheets[1].Name put \"Р0д58\"", page + " call", page + ".Orientation put 2"}},
      {"SetRowHeight",
       [](TExcelManager& m) { m.SetRowHeight(1, 8, 40); },
       {sheet, "Application.WorkSheets[1].Rows get 8", "Application.WorkSheets[1].Rows[8].RowHeight put 40"}},
      // A text goes in behind the apostrophe that keeps the application from
      // reading it as a formula, a number or a date.
      {"SetCellValue", [](TExcelManager& m) { m.SetCellValue(1, 2, 9, QStringLiteral("=Иванов")); },
       QStringList{sheet, "Application.WorkSheets[1].Cells get 9, 2", cell + ".Value put \"'=Иванов\""} +
           centre},
      {"SetCellValue with nothing", [](TExcelManager& m) { m.SetCellValue(1, 2, 9, TAutomationValue()); },
       QStringList{sheet, "Application.WorkSheets[1].Cells get 9, 2", cell + ".Value put Empty"} +
           centre},
      {"SetCellValue with a number", [](TExcelManager& m) { m.SetCellValue(1, 2, 9, 66.5); },
       QStringList{sheet, "Application.WorkSheets[1].Cells get 9, 2", cell + ".Value put 66.5"} + centre},
      {"SetCellFormula", [](TExcelManager& m) { m.SetCellFormula(1, 2, 9, QStringLiteral("=SUM(F12:F15)")); },
       QStringList{sheet, "Application.WorkSheets[1].Cells get 9, 2",
                   cell + ".Formula put \"=SUM(F12:F15)\""} +
           centre},
      {"SetCellAlignGeneral",
       [](TExcelManager& m) { m.SetCellAlignGeneral(1, 2, 9); },
       {sheet, "Application.WorkSheets[1].Cells get 9, 2", cell + ".HorizontalAlignment put 1"}},
      {"MergeCells centred", [](TExcelManager& m) { m.MergeCells(1, "C5", "I5", true, 90); },
       merge(-4108, 90)},
      {"MergeCells not centred", [](TExcelManager& m) { m.MergeCells(1, "C5", "I5", false, 0); },
       merge(1, 0)},
      {"SetWrapText",
       [](TExcelManager& m) { m.SetWrapText(1, "C5", "I5", false); },
       {sheet, "Application.WorkSheets[1].Range get \"C5\", \"I5\"", range + ".WrapText put False"}},
      {"DrawRangeBorders", [](TExcelManager& m) { m.DrawRangeBorders(1, "C5", "I5"); },
       borders("Application.WorkSheets[1].Range get \"C5\", \"I5\"", range)},
      {"DrawCellBorders", [](TExcelManager& m) { m.DrawCellBorders(1, 2, 9); },
       borders("Application.WorkSheets[1].Cells get 9, 2", cell)},
      {"FitToPageWidth",
       [](TExcelManager& m) { m.FitToPageWidth(1); },
       {sheet, page + " call", page + ".Orientation put 2", page + " call", page + ".LeftMargin put 28",
        page + " call", page + ".RightMargin put 28", page + " call", page + ".TopMargin put 28",
        page + " call", page + ".BottomMargin put 28", page + " call", page + ".FitToPagesWide put 1",
        page + " call", page + ".FitToPagesTall put False"}},
      {"PrintOut landscape", [](TExcelManager& m) { m.PrintOut(true); }, print(2)},
      {"PrintOut portrait", [](TExcelManager& m) { m.PrintOut(false); }, print(1)},
  };
  for (const auto& c : cases) {
    TAutomationDouble local(1);
    TServerScope localScope(&local);
    auto manager = TExcelManager::CreateHidden();
    const size_t from = local.Calls().size();
    c.operation(*manager);
    QStringList calls;
    for (size_t i = from; i < local.Calls().size(); ++i) {
      const auto& call = local.Calls()[i];
      if (!(call.Path == u"Application" && call.Member == u"WorkSheets" && call.Args.empty()) &&
          call.Member != u"Count") {
        calls << call.Text();
      }
    }
    EXPECT_EQ(calls, c.expected) << c.name;
    manager->Destroy();
  }
}

// The rows are fitted from what the manager itself wrote on the sheet, since
// the application cannot be asked what a merged text needs.
TEST_F(ExcelManagerTest, FitRowHeightsRaisesTheRowsThatTheWrittenTextsNeed) {
  const QString name = QStringLiteral("Богатырёв Святослав Никитич");
  auto manager = TExcelManager::CreateHidden();
  manager->SetColumnWidth(1, 1, 7);
  manager->SetColumnWidth(1, 2, 5);
  manager->SetColumnWidth(1, 3, 5);
  // Written before the merge that makes it wrap, as the team sheet does.
  manager->SetCellValue(1, 1, 2, name);
  manager->MergeCells(1, "A2", "C2", false, 0);
  // Not wrapped, the text is shrunk to its one line.
  manager->SetCellValue(1, 1, 3, name);
  manager->MergeCells(1, "A3", "C3", false, 0);
  manager->SetWrapText(1, "A3", "C3", false);
  // A row already high enough keeps its height.
  manager->SetRowHeight(1, 4, 40);
  manager->SetCellValue(1, 1, 4, name);
  manager->MergeCells(1, "A4", "C4", false, 0);
  // Another sheet's columns are its own: at the default widths of A and B,
  // unlike those of the first sheet, the short name keeps to one line.
  manager->SetCellValue(2, 1, 2, QStringLiteral("Богатырёв Никитич"));
  manager->MergeCells(2, "A2", "B2", false, 0);
  excel.ClearCalls();
  manager->FitRowHeights(1);
  EXPECT_EQ(excel.CallTexts({"RowHeight"}),
            QStringList{"Application.WorkSheets[1].Rows[2].RowHeight put 30"});
  // Fitted once, nothing more to raise.
  manager->FitRowHeights(1);
  EXPECT_EQ(excel.CallTexts({"RowHeight"}).size(), 1);
  manager->FitRowHeights(2);
  EXPECT_EQ(excel.CallTexts({"RowHeight"}).size(), 1);
  manager->Destroy();
}

TEST_F(ExcelManagerTest, AlignGeneralAfterAValueKeepsTheVerticalCentring) {
  auto manager = TExcelManager::CreateHidden();
  manager->SetCellValue(1, 6, 9, QStringLiteral("Динамо"));
  manager->SetCellAlignGeneral(1, 6, 9);
  const auto* cell = excel.Sheet(1).Cell("F9");
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->HorizontalAlignment, 1);
  EXPECT_EQ(cell->VerticalAlignment, -4108);
  EXPECT_EQ(cell->ShrinkToFit, true);
}

TEST_F(ExcelManagerTest, ApplicationErrorsOfOperationsPassUnchanged) {
  auto manager = TExcelManager::CreateHidden();
  excel.FailAt("ShrinkToFit", 1, TFailure::OleException, QStringLiteral("cell locked"));
  EXPECT_EQ(ErrorOf([&] { manager->SetCellValue(1, 1, 1, QStringLiteral("x")); }),
            QStringLiteral("cell locked"));
  manager->Destroy();
  EXPECT_TRUE(excel.Application()->Quit);
}

}  // namespace
