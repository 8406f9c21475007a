#pragma once

#include <QStringView>
#include <optional>

namespace spreadsheet {

class TWorksheet;

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
std::optional<double> EvaluateFormula(const TWorksheet& sheet, QStringView formula);

}  // namespace spreadsheet
