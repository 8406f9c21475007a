#pragma once

#include <QStringView>
#include <map>
#include <optional>

#include "platform/spreadsheet/workbook_model.h"

namespace spreadsheet {

// Computes a formula so that the written file carries its result: viewers
// that do not recalculate on opening (LibreOffice by default, for .xlsx)
// show the stored result. It knows what the protocol sheets write: numbers,
// cell references (H11, $H$11) on the same sheet, + - * / with the usual
// precedence, parentheses, unary signs, and SUM over references, ranges
// (F12:F15) and numbers, separated by "," or ";".
//
// As the spreadsheet does, an empty cell counts 0 and a Boolean 1 or 0, a
// text that is a number counts as that number in + - * / while any other text
// makes the formula fail, and SUM skips texts and Booleans inside ranges.
//
// Nothing is returned for what it does not know (other functions, other
// sheets, text results, comparisons), for a division by zero or a circular
// reference; the file then holds the formula with result 0, and a viewer that
// recalculates shows the right value.
//
// Chains of references (a running total down a long sheet) are followed
// without recursion, however long.
std::optional<double> EvaluateFormula(const TWorksheet& sheet, QStringView formula);

// The same for many formulas of one unchanged sheet, computing each formula
// cell once.
class TFormulaEvaluator {
 public:
  explicit TFormulaEvaluator(const TWorksheet& sheet) : FSheet(sheet) {}
  std::optional<double> Evaluate(QStringView formula);

 private:
  // Computes every formula cell that the formula refers to, deepest first.
  void Resolve(QStringView formula);

  const TWorksheet& FSheet;
  std::map<TCellAddress, std::optional<double>> FResults;
};

}  // namespace spreadsheet
