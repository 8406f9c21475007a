#pragma once

#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/spreadsheet/automation.h"
#include "platform/spreadsheet/pagination.h"
#include "platform/spreadsheet/workbook_model.h"

// The one piece of the program that talks to the spreadsheet application.
// A manager lives for one print or one export. Sheets, columns, rows and cells
// are addressed by number; ranges by two A1 cell names.
//
// The manager also keeps what it wrote on each sheet (widths, heights, texts,
// merges and their wrapping), since a spreadsheet application makes no room
// for a wrapped text in a merged area: FitRowHeights gives the rows their
// heights from that.
//
// Ownership: the owner calls Destroy() in its cleanup step, where the shutdown
// error of a hidden instance may reach it; the destructor itself never throws
// and only finishes what Destroy() was not given the chance to do.
class TExcelManager {
 public:
  // A new hidden instance with alerts off, owned, and a new workbook.
  static std::unique_ptr<TExcelManager> CreateHidden();
  // The running instance (or a new one), made visible, not owned, and a new
  // workbook that stays open for the user.
  static std::unique_ptr<TExcelManager> CreateVisible();

  ~TExcelManager();
  TExcelManager(const TExcelManager&) = delete;
  TExcelManager& operator=(const TExcelManager&) = delete;

  // Owned instance: closes the workbook and quits the application, raising one
  // error that lists every failed step. A shared instance is only let go.
  // A second call does nothing.
  void Destroy();

  // Worksheet AIndex, added right after the last one when AIndex is one past
  // the count. The sheet is looked up once while the writers stay on it.
  TOleVariant GetSheet(int AIndex);
  void SetSheetName(int ASheet, const QString& AName);
  void SetColumnWidth(int ASheet, int ACol, int AWidth);
  void SetRowHeight(int ASheet, int ARow, int AHeight);
  // A constant: a text goes in exactly as given, never read as a formula,
  // a number or a date; a number stays a number; an empty variant leaves the
  // cell empty. The cell is centred both ways and shrinks its text to fit.
  void SetCellValue(int ASheet, int ACol, int ARow, const TAutomationValue& AValue);
  // A formula ("=SUM(F12:F15)"), centred as a value is.
  void SetCellFormula(int ASheet, int ACol, int ARow, const TAutomationValue& AFormula);
  void CenterCell(int ASheet, int ACol, int ARow);
  void SetCellAlignGeneral(int ASheet, int ACol, int ARow);
  void MergeCells(int ASheet, const QString& AFrom, const QString& ATo, bool ACenter, int AOrientation);
  // Off, a text longer than its range is shrunk to fit it instead of being
  // broken over lines.
  void SetWrapText(int ASheet, const QString& AFrom, const QString& ATo, bool AWrap);
  // Wraps, or turns and wraps, each text of a cell of its own that shrinking
  // to fit would make too small to read, and raises each row of the sheet that
  // its wrapped or turned texts need higher than it stands, as the printed
  // font measures them; a sheet writer calls it once the sheet is written.
  void FitRowHeights(int ASheet);
  void DrawRangeBorders(int ASheet, const QString& AFrom, const QString& ATo);
  void DrawCellBorders(int ASheet, int ACol, int ARow);
  // The page of a protocol whose width follows its data, on the sheet itself,
  // so that it prints alike from a print and from the exported workbook:
  // landscape, the print's margins, one page wide, as many pages tall as it
  // takes.
  void FitToPageWidth(int ASheet);
  // Begins a new page before each block that the rest of its page cannot
  // hold (spreadsheet::RowBreaksKeepingBlocks), by the page setup and row
  // heights this manager gave the sheet; called once the sheet is written,
  // its rows fitted and its page set.
  void KeepBlocksOnPages(int ASheet, const std::vector<spreadsheet::TRowBlock>& ABlocks);
  void PrintOut(bool ALandscape);

 private:
  explicit TExcelManager(bool AOwnsExcel) : FOwnsExcel(AOwnsExcel) {}
  void AddWorkBook();
  // The shutdown work of Destroy(); returns the collected message, empty when
  // every step went well.
  QString Shutdown();
  TOleVariant Cell(int ASheet, int ACol, int ARow);
  TOleVariant Range(int ASheet, const QString& AFrom, const QString& ATo);
  // The margins and the one page's width of every printed protocol, each put
  // on the page setup that APageSetup reaches.
  static void PutMarginsAndWidth(const std::function<TOleVariant()>& APageSetup);

  spreadsheet::TWorksheet& Written(int ASheet);
  // A1 names as the callers build them; a malformed one is the application's to refuse.
  static std::optional<spreadsheet::TCellRange> RangeOf(const QString& AFrom, const QString& ATo);

  std::map<int, spreadsheet::TWorksheet> FWritten;
  TOleVariant FExcel;
  TOleVariant FWorkBook;
  // The sheet last reached and its number: the writers fill one sheet after
  // another, and each of their strokes would otherwise look it up again.
  int FSheetIndex = 0;
  TOleVariant FSheet;
  bool FOwnsExcel;
  bool FDestroyed = false;
};
