#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// Reads back what an .xlsx file holds, from its XML parts, so that tests see
// the file as a viewer would: cell contents with shared strings resolved,
// formulas with their stored results, the format of each cell, merges,
// widths, heights, page setup and document properties.
namespace xlsx_reader {

struct TCellStyle {
  QString Horizontal;  // "center", "general" (absent), ...
  QString Vertical;    // "center", "bottom" (absent), ...
  bool Wrap = false;
  bool Shrink = false;
  int Rotation = 0;
  // Border styles ("thin", ...; empty for none).
  QString Left, Top, Bottom, Right;
};

struct TCellContent {
  QString Text;     // shared or inline string, or the number as written
  QString Formula;  // without "="
  QString Type;     // the "t" attribute: "s", "b", "str", or empty for numbers
};

struct TPage {
  QString Orientation;
  double Left = -1, Right = -1, Top = -1, Bottom = -1;  // inches
  bool FitToPage = false;
  int FitToWidth = 1;  // the file format's default when absent
  int FitToHeight = 1;
  QString Footer;
};

class TBook {
 public:
  // Fails the current test (and stays empty) when the file is no readable
  // .xlsx.
  explicit TBook(const QString& path);

  QStringList SheetNames() const { return FSheetNames; }
  QString ActiveSheetName() const;
  std::optional<TCellContent> Cell(const QString& sheet, const QString& a1) const;
  TCellStyle Style(const QString& sheet, const QString& a1) const;
  QStringList Merges(const QString& sheet) const;
  std::optional<double> ColumnWidth(const QString& sheet, int column) const;
  std::optional<double> RowHeight(const QString& sheet, int row) const;
  TPage Page(const QString& sheet) const;
  // The rows that begin a new page at a break of the sheet.
  std::vector<int> RowBreaks(const QString& sheet) const;
  // The sheet's print area as the file names it ("$A$1:$L$18"), or an empty
  // text when it has none.
  QString PrintArea(const QString& sheet) const;
  // dc:title, dc:creator, dc:description (Comments).
  QString Property(const QString& name) const;

 private:
  QByteArray SheetXml(const QString& sheet) const;

  QMap<QString, QByteArray> FParts;
  QStringList FSheetNames;
  QStringList FSheetParts;
  QStringList FSharedStrings;
  int FActiveTab = 0;
};

}  // namespace xlsx_reader
