#include "tests/platform/spreadsheet/printing_calls.h"

namespace {
const QString ProgId = QStringLiteral("Excel.Application");
}  // namespace

QString TPrintingCalls::Footer() {
  return QStringLiteral("Подготовлено с помощью программного обеспечения \"Тяжарнет.ПРОТОКОЛ\"");
}

void TPrintingCalls::AddWorkbook() {
  WorkBook = Excel.OleObjectFunction(QStringLiteral("Workbooks")).OleObjectFunction(QStringLiteral("Add"));
  WorkBook.OlePropertySet(QStringLiteral("Author"), QStringLiteral("Тяжарнет.ПРОТОКОЛ"));
  WorkBook.OlePropertySet(QStringLiteral("Comments"), QStringLiteral("tyazharnet.example.org"));
  WorkBook.OlePropertySet(QStringLiteral("Title"),
                          QStringLiteral("Протокол Кубка России по гиревому спорту"));
}

TPrintingCalls TPrintingCalls::Hidden(IAutomationServer& server) {
  TPrintingCalls calls;
  calls.Excel = server.CreateInstance(ProgId);
  calls.Excel.OlePropertySet(QStringLiteral("Visible"), false);
  calls.Excel.OlePropertySet(QStringLiteral("DisplayAlerts"), false);
  calls.AddWorkbook();
  return calls;
}

TPrintingCalls TPrintingCalls::Visible(IAutomationServer& server) {
  TPrintingCalls calls;
  try {
    calls.Excel = server.GetActiveObject(ProgId);
  } catch (const EOleSysError&) {
    calls.Excel = server.CreateInstance(ProgId);
  }
  calls.Excel.OlePropertySet(QStringLiteral("Visible"), true);
  calls.AddWorkbook();
  return calls;
}

TOleVariant TPrintingCalls::GetSheet(int index) const {
  const TOleVariant sheets = Excel.OleObjectFunction(QStringLiteral("WorkSheets"));
  const int count = std::get<int>(sheets.OleFunction(QStringLiteral("Count")));
  if (index > count) {
    const TOleVariant after = Excel.OlePropertyGet(QStringLiteral("WorkSheets"), {index - 1});
    return Excel.OleObjectFunction(QStringLiteral("WorkSheets"))
        .OleObjectFunction(QStringLiteral("Add"), {TAutomationNull{}, after.Object()});
  }
  return Excel.OlePropertyGet(QStringLiteral("WorkSheets"), {index});
}

void TPrintingCalls::SetSheetName(int sheet, const QString& name) const {
  GetSheet(sheet).OlePropertySet(QStringLiteral("Name"), name);
  GetSheet(sheet)
      .OleObjectFunction(QStringLiteral("PageSetup"))
      .OlePropertySet(QStringLiteral("Orientation"), 2);
}

void TPrintingCalls::SetColumnWidth(int sheet, int column, int width) const {
  GetSheet(sheet)
      .OlePropertyGet(QStringLiteral("Columns"), {column})
      .OlePropertySet(QStringLiteral("ColumnWidth"), width);
}

void TPrintingCalls::SetRowHeight(int sheet, int row, int height) const {
  GetSheet(sheet)
      .OlePropertyGet(QStringLiteral("Rows"), {row})
      .OlePropertySet(QStringLiteral("RowHeight"), height);
}

void TPrintingCalls::CenterCell(int sheet, int column, int row) const {
  const TOleVariant cell = GetSheet(sheet).OlePropertyGet(QStringLiteral("Cells"), {row, column});
  cell.OlePropertySet(QStringLiteral("HorizontalAlignment"), -4108);
  cell.OlePropertySet(QStringLiteral("VerticalAlignment"), -4108);
  cell.OlePropertySet(QStringLiteral("ShrinkToFit"), true);
}

void TPrintingCalls::SetCellValue(int sheet, int column, int row, const TAutomationValue& value) const {
  GetSheet(sheet)
      .OlePropertyGet(QStringLiteral("Cells"), {row, column})
      .OlePropertySet(QStringLiteral("Value"), value);
  CenterCell(sheet, column, row);
}

void TPrintingCalls::SetCellFormula(int sheet, int column, int row, const QString& formula) const {
  GetSheet(sheet)
      .OlePropertyGet(QStringLiteral("Cells"), {row, column})
      .OlePropertySet(QStringLiteral("Formula"), formula);
  CenterCell(sheet, column, row);
}

void TPrintingCalls::SetCellAlignGeneral(int sheet, int column, int row) const {
  GetSheet(sheet)
      .OlePropertyGet(QStringLiteral("Cells"), {row, column})
      .OlePropertySet(QStringLiteral("HorizontalAlignment"), 1);
}

void TPrintingCalls::MergeCells(int sheet, const QString& from, const QString& to, bool center,
                                int orientation) const {
  const TOleVariant range = GetSheet(sheet).OlePropertyGet(QStringLiteral("Range"), {from, to});
  range.OlePropertySet(QStringLiteral("MergeCells"), true);
  range.OlePropertySet(QStringLiteral("HorizontalAlignment"), center ? -4108 : 1);
  range.OlePropertySet(QStringLiteral("WrapText"), true);
  range.OlePropertySet(QStringLiteral("Orientation"), orientation);
}

void TPrintingCalls::DrawRangeBorders(int sheet, const QString& from, const QString& to) const {
  for (const int edge : {7, 8, 9, 10}) {
    GetSheet(sheet)
        .OlePropertyGet(QStringLiteral("Range"), {from, to})
        .OlePropertyGet(QStringLiteral("Borders"), {edge})
        .OlePropertySet(QStringLiteral("LineStyle"), 1);
  }
}

void TPrintingCalls::DrawCellBorders(int sheet, int column, int row) const {
  for (const int edge : {7, 8, 9, 10}) {
    GetSheet(sheet)
        .OlePropertyGet(QStringLiteral("Cells"), {row, column})
        .OlePropertyGet(QStringLiteral("Borders"), {edge})
        .OlePropertySet(QStringLiteral("LineStyle"), 1);
  }
}

void TPrintingCalls::PrintOut(bool landscape) const {
  const TOleVariant setup =
      Excel.OleObjectFunction(QStringLiteral("ActiveSheet")).OleObjectFunction(QStringLiteral("PageSetup"));
  setup.OlePropertySet(QStringLiteral("Orientation"), landscape ? 2 : 1);
  setup.OlePropertySet(QStringLiteral("LeftFooter"), Footer());
  setup.OlePropertySet(QStringLiteral("LeftMargin"), 28);
  setup.OlePropertySet(QStringLiteral("RightMargin"), 28);
  setup.OlePropertySet(QStringLiteral("TopMargin"), 28);
  setup.OlePropertySet(QStringLiteral("BottomMargin"), 28);
  setup.OlePropertySet(QStringLiteral("FitToPagesWide"), 1);
  Excel.OleObjectFunction(QStringLiteral("Worksheets")).OleProcedure(QStringLiteral("PrintOut"));
}

void TPrintingCalls::CloseAndQuit() {
  WorkBook.OleProcedure(QStringLiteral("Close"));
  Excel.OleProcedure(QStringLiteral("Quit"));
  WorkBook.Clear();
  Excel.Clear();
}
