#include "protocol/excel_manager.h"

#include "platform/core/fmt.h"
#include "platform/spreadsheet/text_fit.h"

#ifndef TYAZHAR_WEB_ADDRESS
#error "TYAZHAR_WEB_ADDRESS must be defined by the build"
#endif

namespace {

const QString kProgId = QStringLiteral("Excel.Application");

// The application's published constants.
constexpr int xlCenter = -4108;
constexpr int xlGeneral = 1;
constexpr int xlContinuous = 1;
constexpr int xlEdgeLeft = 7;
constexpr int xlEdgeTop = 8;
constexpr int xlEdgeBottom = 9;
constexpr int xlEdgeRight = 10;
constexpr int xlPortrait = 1;
constexpr int xlLandscape = 2;
constexpr int xlPageBreakManual = -4135;

constexpr int kMargin = 28;
const QString kShutdownCaption = QStringLiteral("Завершения работы прошло с ошибками:");

int AsCount(const TAutomationValue& value) {
  if (const int* i = std::get_if<int>(&value)) {
    return *i;
  }
  if (const double* d = std::get_if<double>(&value)) {
    return static_cast<int>(*d);
  }
  throw EOleSysError(QStringLiteral("Type mismatch"));
}

}  // namespace

std::unique_ptr<TExcelManager> TExcelManager::CreateHidden() {
  std::unique_ptr<TExcelManager> excel(new TExcelManager(true));
  try {
    try {
      excel->FExcel = AutomationServer().CreateInstance(kProgId);
      excel->FExcel.OlePropertySet(QStringLiteral("Visible"), false);
      excel->FExcel.OlePropertySet(QStringLiteral("DisplayAlerts"), false);
    } catch (const Exception& e) {
      throw Exception(Fmt(QStringLiteral("Проблемы с открытием Excel:\r\n%s"), {e.Message()}));
    }
    excel->AddWorkBook();
  } catch (...) {
    // A half-started hidden instance must not stay behind; the user needs the
    // reason it could not start, not the trouble of putting it away.
    excel->FDestroyed = true;
    try {
      excel->Shutdown();
    } catch (...) {
    }
    throw;
  }
  return excel;
}

std::unique_ptr<TExcelManager> TExcelManager::CreateVisible() {
  std::unique_ptr<TExcelManager> excel(new TExcelManager(false));
  try {
    try {
      try {
        excel->FExcel = AutomationServer().GetActiveObject(kProgId);
      } catch (const EOleSysError&) {
        // Nothing to attach to: start one of our own, shown to the user all the same.
        excel->FExcel = AutomationServer().CreateInstance(kProgId);
      }
      excel->FExcel.OlePropertySet(QStringLiteral("Visible"), true);
    } catch (const Exception& e) {
      throw Exception(Fmt(QStringLiteral("Проблемы с открытием Excel:\r\n%s"), {e.Message()}));
    }
    excel->AddWorkBook();
  } catch (...) {
    excel->FDestroyed = true;
    try {
      excel->Shutdown();
    } catch (...) {
    }
    throw;
  }
  return excel;
}

void TExcelManager::AddWorkBook() {
  try {
    FWorkBook =
        FExcel.OleObjectFunction(QStringLiteral("Workbooks")).OleObjectFunction(QStringLiteral("Add"));
    FWorkBook.OlePropertySet(QStringLiteral("Author"), QStringLiteral("Тяжарнет.ПРОТОКОЛ"));
    FWorkBook.OlePropertySet(QStringLiteral("Comments"), QStringLiteral(TYAZHAR_WEB_ADDRESS));
    FWorkBook.OlePropertySet(QStringLiteral("Title"),
                             QStringLiteral("Протокол Кубка России по гиревому спорту"));
  } catch (const Exception& e) {
    throw Exception(Fmt(QStringLiteral("Не удалось создать новую книгу:\r\n%s"), {e.Message()}));
  }
}

TExcelManager::~TExcelManager() {
  if (!FDestroyed) {
    try {
      Shutdown();
    } catch (...) {
    }
  }
}

void TExcelManager::Destroy() {
  if (FDestroyed) {
    return;
  }
  FDestroyed = true;
  const QString message = Shutdown();
  if (!message.isEmpty()) {
    throw Exception(message);
  }
}

QString TExcelManager::Shutdown() {
  // A sheet held would keep the workbook from the user (or from being put away).
  FSheet.Clear();
  if (!FOwnsExcel) {
    FWorkBook.Clear();
    FExcel.Clear();
    return QString();
  }
  QString message = kShutdownCaption;
  if (!FWorkBook.IsEmpty()) {
    try {
      FWorkBook.OleProcedure(QStringLiteral("Close"));
    } catch (const Exception& e) {
      message += QStringLiteral("\r\nЗакрытие книги: ") + e.Message();
    }
    FWorkBook.Clear();
  }
  if (!FExcel.IsEmpty()) {
    try {
      FExcel.OleProcedure(QStringLiteral("Quit"));
      FExcel.Clear();
    } catch (const Exception& e) {
      message += QStringLiteral("\r\nЗакрытие Excel: ") + e.Message();
    }
  }
  return message.size() > kShutdownCaption.size() ? message : QString();
}

TOleVariant TExcelManager::GetSheet(int AIndex) {
  if (AIndex == FSheetIndex && !FSheet.IsEmpty()) {
    return FSheet;
  }
  const int count =
      AsCount(FExcel.OleObjectFunction(QStringLiteral("WorkSheets")).OleFunction(QStringLiteral("Count")));
  TOleVariant sheet;
  if (AIndex > count) {
    const TOleVariant sheets = FExcel.OleObjectFunction(QStringLiteral("WorkSheets"));
    const TOleVariant after = FExcel.OlePropertyGet(QStringLiteral("WorkSheets"), {AIndex - 1});
    sheet = sheets.OleObjectFunction(QStringLiteral("Add"), {TAutomationNull{}, after.Object()});
  } else {
    sheet = FExcel.OlePropertyGet(QStringLiteral("WorkSheets"), {AIndex});
  }
  FSheetIndex = AIndex;
  FSheet = sheet;
  return sheet;
}

TOleVariant TExcelManager::Cell(int ASheet, int ACol, int ARow) {
  return GetSheet(ASheet).OlePropertyGet(QStringLiteral("Cells"), {ARow, ACol});
}

TOleVariant TExcelManager::Range(int ASheet, const QString& AFrom, const QString& ATo) {
  return GetSheet(ASheet).OlePropertyGet(QStringLiteral("Range"), {AFrom, ATo});
}

void TExcelManager::SetSheetName(int ASheet, const QString& AName) {
  GetSheet(ASheet).OlePropertySet(QStringLiteral("Name"), AName);
  GetSheet(ASheet)
      .OleObjectFunction(QStringLiteral("PageSetup"))
      .OlePropertySet(QStringLiteral("Orientation"), xlLandscape);
}

spreadsheet::TWorksheet& TExcelManager::Written(int ASheet) {
  return FWritten.try_emplace(ASheet, QString()).first->second;
}

std::optional<spreadsheet::TCellRange> TExcelManager::RangeOf(const QString& AFrom, const QString& ATo) {
  return spreadsheet::ParseRangeName(AFrom + u':' + ATo);
}

void TExcelManager::SetColumnWidth(int ASheet, int ACol, int AWidth) {
  GetSheet(ASheet)
      .OlePropertyGet(QStringLiteral("Columns"), {ACol})
      .OlePropertySet(QStringLiteral("ColumnWidth"), AWidth);
  Written(ASheet).SetColumnWidth(ACol, AWidth);
}

void TExcelManager::SetRowHeight(int ASheet, int ARow, int AHeight) {
  GetSheet(ASheet)
      .OlePropertyGet(QStringLiteral("Rows"), {ARow})
      .OlePropertySet(QStringLiteral("RowHeight"), AHeight);
  Written(ASheet).SetRowHeight(ARow, AHeight);
}

void TExcelManager::SetCellValue(int ASheet, int ACol, int ARow, const TAutomationValue& AValue) {
  const QString* text = std::get_if<QString>(&AValue);
  // The application takes a text put into a cell as if it were typed there:
  // "=1+1" would become a formula, "007" the number 7, a date text a date.
  // An apostrophe in front is its own way of entering a text as it stands;
  // it is not part of the cell's text.
  const bool literal = text && !text->isEmpty();
  Cell(ASheet, ACol, ARow)
      .OlePropertySet(QStringLiteral("Value"), literal ? TAutomationValue(u'\'' + *text) : AValue);
  CenterCell(ASheet, ACol, ARow);
  // Only texts wrap; a number keeps to one line.
  Written(ASheet).EditCell({ARow, ACol}).Value = text ? spreadsheet::TCellValue(*text) : std::monostate{};
}

void TExcelManager::SetCellFormula(int ASheet, int ACol, int ARow, const TAutomationValue& AFormula) {
  Cell(ASheet, ACol, ARow).OlePropertySet(QStringLiteral("Formula"), AFormula);
  CenterCell(ASheet, ACol, ARow);
}

void TExcelManager::CenterCell(int ASheet, int ACol, int ARow) {
  Cell(ASheet, ACol, ARow).OlePropertySet(QStringLiteral("HorizontalAlignment"), xlCenter);
  Cell(ASheet, ACol, ARow).OlePropertySet(QStringLiteral("VerticalAlignment"), xlCenter);
  Cell(ASheet, ACol, ARow).OlePropertySet(QStringLiteral("ShrinkToFit"), true);
}

void TExcelManager::SetCellAlignGeneral(int ASheet, int ACol, int ARow) {
  Cell(ASheet, ACol, ARow).OlePropertySet(QStringLiteral("HorizontalAlignment"), xlGeneral);
}

void TExcelManager::MergeCells(int ASheet, const QString& AFrom, const QString& ATo, bool ACenter,
                               int AOrientation) {
  Range(ASheet, AFrom, ATo).OlePropertySet(QStringLiteral("MergeCells"), true);
  Range(ASheet, AFrom, ATo)
      .OlePropertySet(QStringLiteral("HorizontalAlignment"), ACenter ? xlCenter : xlGeneral);
  Range(ASheet, AFrom, ATo).OlePropertySet(QStringLiteral("WrapText"), true);
  Range(ASheet, AFrom, ATo).OlePropertySet(QStringLiteral("Orientation"), AOrientation);
  if (const auto range = RangeOf(AFrom, ATo)) {
    spreadsheet::TWorksheet& written = Written(ASheet);
    written.Merge(*range);
    spreadsheet::TCellFormat& format = written.EditCell(range->First).Format;
    format.WrapText = true;
    format.Orientation = AOrientation;
  }
}

void TExcelManager::SetWrapText(int ASheet, const QString& AFrom, const QString& ATo, bool AWrap) {
  Range(ASheet, AFrom, ATo).OlePropertySet(QStringLiteral("WrapText"), AWrap);
  if (const auto range = RangeOf(AFrom, ATo)) {
    Written(ASheet).EditCell(range->First).Format.WrapText = AWrap;
  }
}

void TExcelManager::FitRowHeights(int ASheet) {
  for (const spreadsheet::TTextRefit& refit : spreadsheet::TextsTooLongToShrink(Written(ASheet))) {
    const QString name = refit.Cell.A1();
    SetWrapText(ASheet, name, name, true);
    if (refit.Orientation != 0) {
      Range(ASheet, name, name).OlePropertySet(QStringLiteral("Orientation"), refit.Orientation);
      Written(ASheet).EditCell(refit.Cell).Format.Orientation = refit.Orientation;
    }
  }
  for (const auto& [row, height] : spreadsheet::RowsToRaise(Written(ASheet))) {
    SetRowHeight(ASheet, row, int(height));
  }
}

void TExcelManager::DrawRangeBorders(int ASheet, const QString& AFrom, const QString& ATo) {
  for (const int edge : {xlEdgeLeft, xlEdgeTop, xlEdgeBottom, xlEdgeRight}) {
    Range(ASheet, AFrom, ATo)
        .OlePropertyGet(QStringLiteral("Borders"), {edge})
        .OlePropertySet(QStringLiteral("LineStyle"), xlContinuous);
  }
}

void TExcelManager::DrawCellBorders(int ASheet, int ACol, int ARow) {
  for (const int edge : {xlEdgeLeft, xlEdgeTop, xlEdgeBottom, xlEdgeRight}) {
    Cell(ASheet, ACol, ARow)
        .OlePropertyGet(QStringLiteral("Borders"), {edge})
        .OlePropertySet(QStringLiteral("LineStyle"), xlContinuous);
  }
}

void TExcelManager::FitToPageWidth(int ASheet) {
  const auto pageSetup = [&] { return GetSheet(ASheet).OleObjectFunction(QStringLiteral("PageSetup")); };
  pageSetup().OlePropertySet(QStringLiteral("Orientation"), xlLandscape);
  PutMarginsAndWidth(pageSetup);
  // The application's own default is one page tall as well, which would
  // shrink a long protocol onto one page.
  pageSetup().OlePropertySet(QStringLiteral("FitToPagesTall"), false);
  spreadsheet::TPageSetup& page = Written(ASheet).EditPageSetup();
  page.Orientation = xlLandscape;
  page.LeftMargin = page.RightMargin = page.TopMargin = page.BottomMargin = kMargin;
  page.FitToPagesWide = 1;
  page.FitToPagesTall = 0;
}

void TExcelManager::KeepBlocksOnPages(int ASheet, const std::vector<spreadsheet::TRowBlock>& ABlocks) {
  spreadsheet::TWorksheet& written = Written(ASheet);
  const auto height = [&](int row) { return written.RowHeight(row).value_or(spreadsheet::DefaultRowHeight); };
  for (const int row : spreadsheet::RowBreaksKeepingBlocks(ABlocks, height, spreadsheet::PageRoom(written))) {
    GetSheet(ASheet)
        .OlePropertyGet(QStringLiteral("Rows"), {row})
        .OlePropertySet(QStringLiteral("PageBreak"), xlPageBreakManual);
    written.SetRowBreak(row, true);
  }
}

void TExcelManager::PutMarginsAndWidth(const std::function<TOleVariant()>& APageSetup) {
  APageSetup().OlePropertySet(QStringLiteral("LeftMargin"), kMargin);
  APageSetup().OlePropertySet(QStringLiteral("RightMargin"), kMargin);
  APageSetup().OlePropertySet(QStringLiteral("TopMargin"), kMargin);
  APageSetup().OlePropertySet(QStringLiteral("BottomMargin"), kMargin);
  APageSetup().OlePropertySet(QStringLiteral("FitToPagesWide"), 1);
}

void TExcelManager::PrintOut(bool ALandscape) {
  const auto pageSetup = [this] {
    return FExcel.OleObjectFunction(QStringLiteral("ActiveSheet"))
        .OleObjectFunction(QStringLiteral("PageSetup"));
  };
  pageSetup().OlePropertySet(QStringLiteral("Orientation"), ALandscape ? xlLandscape : xlPortrait);
  pageSetup().OlePropertySet(
      QStringLiteral("LeftFooter"),
      QStringLiteral("Подготовлено с помощью программного обеспечения \"Тяжарнет.ПРОТОКОЛ\""));
  PutMarginsAndWidth(pageSetup);
  FExcel.OleObjectFunction(QStringLiteral("Worksheets")).OleProcedure(QStringLiteral("PrintOut"));
}
