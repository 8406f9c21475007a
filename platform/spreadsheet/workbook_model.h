#pragma once

#include <QString>
#include <QStringView>
#include <array>
#include <compare>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <variant>
#include <vector>

// The workbook that the automation objects fill: every value, formula, format,
// merge, width, height, name and page setting as the printing code set it.
// The .xlsx writer reads it, and tests read it to see what a sheet writer did.
namespace spreadsheet {

// The spreadsheet's published constants, which the automation callers send.
namespace xl {
inline constexpr int General = 1;
inline constexpr int Left = -4131;
inline constexpr int Center = -4108;
inline constexpr int Right = -4152;
inline constexpr int Fill = 5;
inline constexpr int Justify = -4130;
inline constexpr int CenterAcrossSelection = 7;
inline constexpr int Distributed = -4117;
inline constexpr int Top = -4160;
inline constexpr int Bottom = -4107;

inline constexpr int Continuous = 1;
inline constexpr int Dash = -4115;
inline constexpr int DashDot = 4;
inline constexpr int DashDotDot = 5;
inline constexpr int Dot = -4118;
inline constexpr int Double = -4119;
inline constexpr int SlantDashDot = 13;
inline constexpr int LineStyleNone = -4142;

inline constexpr int EdgeLeft = 7;
inline constexpr int EdgeTop = 8;
inline constexpr int EdgeBottom = 9;
inline constexpr int EdgeRight = 10;
inline constexpr int InsideVertical = 11;
inline constexpr int InsideHorizontal = 12;

inline constexpr int Portrait = 1;
inline constexpr int Landscape = 2;

inline constexpr int PageBreakManual = -4135;
inline constexpr int PageBreakNone = -4142;

// Text orientation: besides degrees (-90 to 90) the spreadsheet takes these.
inline constexpr int Horizontal = -4128;
inline constexpr int Vertical = -4166;  // letters stacked one under another
inline constexpr int Upward = -4171;
inline constexpr int Downward = -4170;
}  // namespace xl

inline constexpr int MaxRows = 1048576;
inline constexpr int MaxColumns = 16384;
inline constexpr int MaxTextLength = 32767;
// A column or row that was never given a width or height has these: the
// character units and points of the default font, Calibri 11.
inline constexpr double DefaultColumnWidth = 8.43;
inline constexpr double DefaultRowHeight = 15;
inline constexpr double MaxRowHeight = 409.5;

// Rows and columns count from 1, as the automation callers give them.
struct TCellAddress {
  int Row = 1;
  int Column = 1;
  auto operator<=>(const TCellAddress&) const = default;
  QString A1() const;
};

struct TCellRange {
  TCellAddress First;
  TCellAddress Last;
  auto operator<=>(const TCellRange&) const = default;
  bool Contains(TCellAddress cell) const;
  bool Overlaps(const TCellRange& other) const;
  bool IsSingleCell() const { return First == Last; }
  qint64 CellCount() const;
  QString A1() const;  // "C5:I5", or "C5" for one cell
};

// "A" for 1, "Z" for 26, "AA" for 27.
QString ColumnName(int column);
// "H12" or "$H$12"; nothing when the text is no cell name within the sheet.
std::optional<TCellAddress> ParseCellName(QStringView text);
// "A1:B2" (either corner first) or a single cell name.
std::optional<TCellRange> ParseRangeName(QStringView text);
// The range spanned by two corners, in any order.
TCellRange SpanOf(TCellAddress a, TCellAddress b);
// The smallest range that holds both.
TCellRange Bounding(const TCellRange& a, const TCellRange& b);

enum class TEdge { Left, Top, Bottom, Right };

struct TCellFormat {
  int HorizontalAlignment = xl::General;
  int VerticalAlignment = xl::Bottom;
  bool ShrinkToFit = false;
  bool WrapText = false;
  // Degrees from -90 to 90, or xl::Vertical for stacked letters.
  int Orientation = 0;
  // Line style of each edge (xl::Continuous, ..., xl::LineStyleNone), by TEdge.
  std::array<int, 4> Borders{xl::LineStyleNone, xl::LineStyleNone, xl::LineStyleNone, xl::LineStyleNone};

  auto operator<=>(const TCellFormat&) const = default;
  int Border(TEdge edge) const { return Borders[static_cast<size_t>(edge)]; }
  bool HasBorder(TEdge edge) const { return Border(edge) != xl::LineStyleNone; }
  bool IsDefault() const { return *this == TCellFormat{}; }
};

// A constant: nothing, a number, a text or a Boolean.
using TCellValue = std::variant<std::monostate, double, QString, bool>;

struct TCell {
  TCellValue Value;  // the constant; empty for a formula cell
  QString Formula;   // "=H11+G12"; empty for a constant
  TCellFormat Format;

  bool HasFormula() const { return !Formula.isEmpty(); }
  bool IsEmpty() const { return !HasFormula() && std::holds_alternative<std::monostate>(Value); }
};

// A cell content as typed into the spreadsheet: a text that starts with "="
// is a formula, a plain decimal number (sign, digits, one decimal point "."
// or the locale's separator) is a number, a leading apostrophe keeps the rest
// as text whatever it looks like. Dates are not recognised: they stay texts.
struct TTypedInput {
  TCellValue Value;
  QString Formula;
};
TTypedInput ParseTypedInput(const QString& text);

struct TPageSetup {
  int Orientation = xl::Portrait;
  // Points. The defaults are the spreadsheet's "normal" margins.
  double LeftMargin = 50.4;
  double RightMargin = 50.4;
  double TopMargin = 54;
  double BottomMargin = 54;
  // Fitting to pages: 0 leaves that direction free. Setting either one turns
  // fitting on (the real application also wants Zoom switched off, which no
  // caller of ours does; its FitToPagesTall also starts at 1, ours at 0, so
  // that "one page wide" leaves the height free).
  int FitToPagesWide = 0;
  int FitToPagesTall = 0;
  QString LeftHeader;
  QString CenterHeader;
  QString RightHeader;
  QString LeftFooter;
  QString CenterFooter;
  QString RightFooter;

  bool operator==(const TPageSetup&) const = default;
};

class TWorksheet {
 public:
  explicit TWorksheet(QString name) : FName(std::move(name)) {}

  const QString& Name() const { return FName; }

  // Null for a cell that was never touched.
  const TCell* FindCell(TCellAddress cell) const;
  // The cell, or an empty default one.
  TCell CellAt(int row, int column) const;
  // What the cell shows: the constant, or the computed value of its formula
  // (empty when the formula is beyond the evaluator, see formula.h).
  TCellValue ValueAt(int row, int column) const;
  const std::map<TCellAddress, TCell>& Cells() const { return FCells; }

  // Every merged area, by its top left cell.
  std::vector<TCellRange> MergedRanges() const;
  std::optional<TCellRange> MergeAt(TCellAddress cell) const;
  // The merged areas that share a cell with the range, by their top left cell.
  std::vector<TCellRange> MergesOverlapping(const TCellRange& range) const;

  std::optional<double> ColumnWidth(int column) const;
  std::optional<double> RowHeight(int row) const;
  const std::map<int, double>& ColumnWidths() const { return FColumnWidths; }
  const std::map<int, double>& RowHeights() const { return FRowHeights; }

  const TPageSetup& PageSetup() const { return FPageSetup; }
  // The rows that begin a new page whatever room the page before has left.
  const std::set<int>& RowBreaks() const { return FRowBreaks; }

  // Changes, as the automation objects make them.
  TCell& EditCell(TCellAddress cell) { return FCells[cell]; }
  // Merging a range that overlaps merged areas takes them in, as the
  // application does; the contents of all but the top left cell are dropped
  // (what it does with its alerts off). A single cell is never merged.
  // A merge costs what the range and the areas it takes in span, whatever
  // else the sheet holds.
  void Merge(TCellRange range);
  // Splits every merged area that the range touches.
  void Unmerge(TCellRange range);
  void SetColumnWidth(int column, double width) { FColumnWidths[column] = width; }
  void SetRowHeight(int row, double height) { FRowHeights[row] = height; }
  TPageSetup& EditPageSetup() { return FPageSetup; }
  void SetRowBreak(int row, bool set) {
    if (set) {
      FRowBreaks.insert(row);
    } else {
      FRowBreaks.erase(row);
    }
  }

 private:
  friend class TWorkbook;
  QString FName;
  void AddMerge(const TCellRange& range);
  void RemoveMerge(const TCellRange& range);

  std::map<TCellAddress, TCell> FCells;
  // Merged areas never overlap, so within one row the area that holds a
  // cell is the one that starts nearest before it: each area is listed on
  // every row it spans, under its first column, with its top left cell.
  std::map<TCellAddress, TCellRange> FMerges;
  std::map<TCellAddress, TCellAddress> FMergeRows;
  std::map<int, double> FColumnWidths;
  std::map<int, double> FRowHeights;
  std::set<int> FRowBreaks;
  TPageSetup FPageSetup;
};

struct TDocumentProperties {
  QString Author;
  QString Comments;
  QString Title;
  bool operator==(const TDocumentProperties&) const = default;
};

class TWorkbook {
 public:
  // A new workbook holds one sheet, named as the Russian application names
  // its sheets: "Лист1". Sheets added later continue "Лист2", "Лист3", ...
  TWorkbook();

  static QString DefaultSheetPrefix() { return QStringLiteral("Лист"); }

  TDocumentProperties Properties;

  int SheetCount() const { return static_cast<int>(FSheets.size()); }
  // Sheets count from 1.
  const TWorksheet& Sheet(int index) const { return *FSheets.at(static_cast<size_t>(index - 1)); }
  TWorksheet& Sheet(int index) { return *FSheets.at(static_cast<size_t>(index - 1)); }
  const std::shared_ptr<TWorksheet>& SheetPtr(int index) const {
    return FSheets.at(static_cast<size_t>(index - 1));
  }
  // 1-based position, or 0 when the sheet is no longer in the workbook.
  int IndexOf(const TWorksheet& sheet) const;
  // Case-insensitive, as the application compares sheet names.
  const TWorksheet* FindSheet(const QString& name) const;

  // Inserts a new sheet with the next default name at 1-based position
  // `index` (SheetCount() + 1 appends) and returns it.
  std::shared_ptr<TWorksheet> InsertSheet(int index);
  // Why the sheet cannot take the name (empty text when it can): the
  // application's rules of length, characters and uniqueness.
  QString SheetNameProblem(const TWorksheet& sheet, const QString& name) const;
  // The caller checked the name with SheetNameProblem.
  void RenameSheet(TWorksheet& sheet, const QString& name) { sheet.FName = name; }

  int ActiveSheetIndex() const { return FActiveSheet; }
  void SetActiveSheetIndex(int index) { FActiveSheet = index; }

  // A closed workbook is gone from its application; what it held stays
  // readable here.
  bool IsClosed() const { return FClosed; }
  void MarkClosed() { FClosed = true; }
  // Where the workbook was last written (handed over to the desktop or saved).
  const QString& SavedPath() const { return FSavedPath; }
  void SetSavedPath(const QString& path) { FSavedPath = path; }

 private:
  std::vector<std::shared_ptr<TWorksheet>> FSheets;
  int FActiveSheet = 1;
  int FLastDefaultNumber = 0;
  bool FClosed = false;
  QString FSavedPath;
};

}  // namespace spreadsheet
