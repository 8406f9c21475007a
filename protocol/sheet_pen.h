#pragma once

#include <QString>

#include "platform/table/field.h"
#include "protocol/excel_manager.h"

// What a field of the current row puts into a cell: the number of a numeric
// field as that number, so that the printout shows it in the reader's own
// form and the export keeps it a number; nothing for an empty field; every
// other field (texts, dates, lookups) as the text the window shows.
inline TAutomationValue FieldValue(const TField& AField) {
  if (AField.IsNull()) {
    return {};
  }
  switch (AField.DataType()) {
    case TFieldType::ftInteger:
      return AField.AsInteger();
    case TFieldType::ftFloat:
      return AField.AsFloat();
    default:
      return AField.AsString();
  }
}

// The few strokes the sheet writers make, on one sheet, with columns given as
// letters so that a writer reads like the layout it draws.
class TSheetPen {
 public:
  TSheetPen(TExcelManager& AExcel, int ASheet) : FExcel(AExcel), FSheet(ASheet) {}

  static QString Name(char ACol, int ARow) { return QChar(ACol) + QString::number(ARow); }
  static int Number(char ACol) { return ACol - 'A' + 1; }

  // The value, centred both ways and shrunk to fit; a text as it stands.
  void Put(char ACol, int ARow, const TAutomationValue& AValue) {
    FExcel.SetCellValue(FSheet, Number(ACol), ARow, AValue);
  }
  void Put(char ACol, int ARow, const TField& AField) { Put(ACol, ARow, FieldValue(AField)); }
  void PutFormula(char ACol, int ARow, const QString& AFormula) {
    FExcel.SetCellFormula(FSheet, Number(ACol), ARow, AFormula);
  }
  void Merge(char AFrom, char ATo, int ARow, bool ACenter = true) { Merge(AFrom, ARow, ATo, ARow, ACenter); }
  void Merge(char AFrom, int AFromRow, char ATo, int AToRow, bool ACenter = true) {
    FExcel.MergeCells(FSheet, Name(AFrom, AFromRow), Name(ATo, AToRow), ACenter, 0);
  }
  // The outline of a range.
  void Frame(char AFrom, char ATo, int ARow) { Frame(AFrom, ARow, ATo, ARow); }
  void Frame(char AFrom, int AFromRow, char ATo, int AToRow) {
    FExcel.DrawRangeBorders(FSheet, Name(AFrom, AFromRow), Name(ATo, AToRow));
  }
  void Box(char ACol, int ARow) { FExcel.DrawCellBorders(FSheet, Number(ACol), ARow); }
  void AlignGeneral(char ACol, int ARow) { FExcel.SetCellAlignGeneral(FSheet, Number(ACol), ARow); }

  // The common compound strokes.
  void PutBoxed(char ACol, int ARow, const TAutomationValue& AValue) {
    Put(ACol, ARow, AValue);
    Box(ACol, ARow);
  }
  void PutBoxed(char ACol, int ARow, const TField& AField) { PutBoxed(ACol, ARow, FieldValue(AField)); }
  void PutMerged(char AFrom, char ATo, int ARow, const TAutomationValue& AValue, bool ACenter = true) {
    Put(AFrom, ARow, AValue);
    Merge(AFrom, ATo, ARow, ACenter);
  }
  void PutMergedFramed(char AFrom, char ATo, int ARow, const TAutomationValue& AValue, bool ACenter = true) {
    PutMerged(AFrom, ATo, ARow, AValue, ACenter);
    Frame(AFrom, ATo, ARow);
  }
  void PutMergedFramed(char AFrom, char ATo, int ARow, const TField& AField, bool ACenter = true) {
    PutMergedFramed(AFrom, ATo, ARow, FieldValue(AField), ACenter);
  }

  // A line of a caption and a name that must not break apart: merged, not
  // centred, and shrunk to fit the range when it is longer.
  void PutLine(char AFrom, char ATo, int ARow, const QString& AText) {
    PutMerged(AFrom, ATo, ARow, AText, false);
    FExcel.SetWrapText(FSheet, Name(AFrom, ARow), Name(ATo, ARow), false);
  }

  TExcelManager& Excel() const { return FExcel; }
  int Sheet() const { return FSheet; }

 private:
  TExcelManager& FExcel;
  int FSheet;
};
