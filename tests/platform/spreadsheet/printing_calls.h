#pragma once

#include <QString>

#include "platform/spreadsheet/automation.h"

// The automation calls that the printing code makes, member by member, with
// its invocation kinds and in its order, so that the tests drive the back end
// the way the program does. Sheets, cells and ranges are addressed as the
// printing code addresses them: sheet number, column, row, A1 names.
class TPrintingCalls {
 public:
  // A new hidden instance with alerts off and a new workbook.
  static TPrintingCalls Hidden(IAutomationServer& server);
  // The running visible instance, or a new one made visible, and a new
  // workbook in it.
  static TPrintingCalls Visible(IAutomationServer& server);

  static QString Footer();

  TOleVariant GetSheet(int index) const;
  void SetSheetName(int sheet, const QString& name) const;
  void SetColumnWidth(int sheet, int column, int width) const;
  void SetRowHeight(int sheet, int row, int height) const;
  void SetCellValue(int sheet, int column, int row, const TAutomationValue& value) const;
  void SetCellFormula(int sheet, int column, int row, const QString& formula) const;
  void SetCellAlignGeneral(int sheet, int column, int row) const;
  void MergeCells(int sheet, const QString& from, const QString& to, bool center, int orientation) const;
  void DrawRangeBorders(int sheet, const QString& from, const QString& to) const;
  void DrawCellBorders(int sheet, int column, int row) const;
  void PrintOut(bool landscape) const;
  void CloseAndQuit();

  TOleVariant Excel;
  TOleVariant WorkBook;

 private:
  void CenterCell(int sheet, int column, int row) const;
  void AddWorkbook();
};
