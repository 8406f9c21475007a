#pragma once

#include <QStringView>
#include <map>
#include <optional>
#include <vector>

#include "platform/spreadsheet/workbook_model.h"

// How the text of a sheet fits its cells once printed.
//
// Every cell is written in the file format's default font, Calibri 11, which
// LibreOffice prints with its metric twin Carlito. The widths here are that
// font's own advance widths, built into the program, so a text measures the
// same on every machine whatever fonts it has; the columns are taken as
// LibreOffice lays them out.
//
// Spreadsheet programs fit a row to wrapped text only where the text has a
// cell of its own, never in a merged area, so whoever writes a sheet sets the
// heights from this measurement (RowsToRaise).
namespace spreadsheet {

// Points.
inline constexpr double FontSize = 11;
// The height a row gives one line of the font, and each line of a wrapped
// text.
inline constexpr double LineHeight = DefaultRowHeight;

// The text on one line, in points.
double TextWidth(QStringView text);
// A column of the width that ColumnWidth takes (the spreadsheet's character
// unit), in points as printed.
double ColumnPoints(double width);
// The columns of the range, side by side, in points as printed.
double RangePoints(const TWorksheet& sheet, const TCellRange& range);
// The lines the text takes when it wraps in a cell that many points wide:
// broken between words where a line allows, and inside a word that is wider
// than a whole line, as the printing program breaks it. Never fewer than it
// prints with; a line feed starts a new line.
int WrappedLines(QStringView text, double cellWidth);
// Whether every word of the text fits across a cell that many points wide,
// so that wrapping breaks it only between words.
bool WordsFitAcross(QStringView text, double cellWidth);

// How a text too long for one line of a cell that many points wide reads
// whole at its size: wrapped between its words (0) where every word fits
// across the cell; else turned by 90 degrees (90), running up its row with
// its lines side by side across the cell, as a narrow column's caption
// stands. Nothing when even turned it would need a row higher than a row can
// be.
std::optional<int> OrientationToFit(QStringView text, double cellWidth);

// The least share of its size a text shrunk to fit its cell may print at and
// still be read at a glance.
inline constexpr double LeastShrink = 0.75;
struct TTextRefit {
  TCellAddress Cell;
  int Orientation = 0;  // as OrientationToFit gives it
  bool operator==(const TTextRefit&) const = default;
};
// The cells with a text of their own (outside merged areas, not wrapped, not
// turned) that shrinking would make smaller than LeastShrink: each reads
// better wrapped, or turned and wrapped (OrientationToFit), in a row made
// higher for it.
std::vector<TTextRefit> TextsTooLongToShrink(const TWorksheet& sheet);

// The rows of the sheet that its texts need higher than they stand (as set,
// or the default), each with the height it needs in whole points: a wrapped
// text takes LineHeight per line; a text turned by 90 degrees takes its
// length, wrapped into the lines the cell's width holds; a text over several
// rows is given its room in the last of them. Other texts stay on one line,
// shrunk to fit where their cell says so, and need only a line.
std::map<int, double> RowsToRaise(const TWorksheet& sheet);

}  // namespace spreadsheet
