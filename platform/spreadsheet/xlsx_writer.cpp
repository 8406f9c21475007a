#include "platform/spreadsheet/xlsx_writer.h"

#include <xlsxwriter.h>

#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/core/atomic_file.h"
#include "platform/core/c_locale.h"
#include "platform/core/exception.h"
#include "platform/spreadsheet/formula.h"
#include "platform/spreadsheet/text_fit.h"
#include "platform/spreadsheet/workbook_model.h"

namespace spreadsheet {
namespace {

constexpr uint8_t kPaperA4 = 9;
constexpr double kHeaderFooterMarginInches = 0.15;

// Clearing the formats that the library copies into the hidden cells of a
// merge costs one write per cell; beyond this a huge merge keeps them.
constexpr qint64 MaxMergeCellsToClear = 100000;

constexpr size_t kMaxRowBreaks = 1023;

[[noreturn]] void Fail(const QString& what, lxw_error error) {
  throw Exception(
      QStringLiteral("Не удалось записать книгу: %1 (%2)").arg(what, QString::fromUtf8(lxw_strerror(error))));
}

void Check(lxw_error error, const QString& what) {
  if (error != LXW_NO_ERROR) {
    Fail(what, error);
  }
}

uint8_t HorizontalAlign(int value) {
  switch (value) {
    case xl::Left:
      return LXW_ALIGN_LEFT;
    case xl::Center:
      return LXW_ALIGN_CENTER;
    case xl::Right:
      return LXW_ALIGN_RIGHT;
    case xl::Fill:
      return LXW_ALIGN_FILL;
    case xl::Justify:
      return LXW_ALIGN_JUSTIFY;
    case xl::CenterAcrossSelection:
      return LXW_ALIGN_CENTER_ACROSS;
    case xl::Distributed:
      return LXW_ALIGN_DISTRIBUTED;
    default:
      return LXW_ALIGN_NONE;
  }
}

uint8_t VerticalAlign(int value) {
  switch (value) {
    case xl::Top:
      return LXW_ALIGN_VERTICAL_TOP;
    case xl::Center:
      return LXW_ALIGN_VERTICAL_CENTER;
    case xl::Justify:
      return LXW_ALIGN_VERTICAL_JUSTIFY;
    case xl::Distributed:
      return LXW_ALIGN_VERTICAL_DISTRIBUTED;
    default:
      return LXW_ALIGN_NONE;  // bottom, the file format's default
  }
}

uint8_t BorderStyle(int lineStyle) {
  switch (lineStyle) {
    case xl::Continuous:
      return LXW_BORDER_THIN;
    case xl::Dash:
      return LXW_BORDER_DASHED;
    case xl::DashDot:
      return LXW_BORDER_DASH_DOT;
    case xl::DashDotDot:
      return LXW_BORDER_DASH_DOT_DOT;
    case xl::Dot:
      return LXW_BORDER_DOTTED;
    case xl::Double:
      return LXW_BORDER_DOUBLE;
    case xl::SlantDashDot:
      return LXW_BORDER_SLANT_DASH_DOT;
    default:
      return LXW_BORDER_NONE;
  }
}

// What the sheet's cells and merged areas cover, from A1; nothing on an
// empty sheet.
std::optional<TCellRange> UsedRange(const TWorksheet& sheet) {
  std::optional<TCellRange> used;
  const auto take = [&](const TCellRange& range) {
    used = Bounding(used.value_or(TCellRange{{1, 1}, {1, 1}}), range);
  };
  for (const auto& [address, cell] : sheet.Cells()) {
    take({address, address});
  }
  for (const auto& range : sheet.MergedRanges()) {
    take(range);
  }
  return used;
}

// Whether a text that is shrunk to fit its cell (or merged area) is longer
// than the cell: LibreOffice then prints the sheet as wide as the text's
// unshrunk length would reach, which scales the page down or adds an empty
// one beside it.
bool HasShrunkText(const TWorksheet& sheet) {
  for (const auto& [address, cell] : sheet.Cells()) {
    const auto* text = std::get_if<QString>(&cell.Value);
    if (!text || !cell.Format.ShrinkToFit || cell.Format.WrapText || cell.Format.Orientation != 0) {
      continue;
    }
    const TCellRange range = sheet.MergeAt(address).value_or(TCellRange{address, address});
    if (WrappedLines(*text, RangePoints(sheet, range)) > 1) {
      return true;
    }
  }
  return false;
}

class TXlsxFile {
 public:
  TXlsxFile(const QString& path, const QString& tempFolder)
      : FPath(path.toUtf8()), FTempFolder(tempFolder.toUtf8()) {
    lxw_workbook_options options{};
    options.tmpdir = FTempFolder.data();
    FBook = workbook_new_opt(FPath.constData(), &options);
    if (!FBook) {
      Fail(path, LXW_ERROR_CREATING_XLSX_FILE);
    }
    FBlank = workbook_add_format(FBook);
  }
  ~TXlsxFile() {
    if (FBook) {
      lxw_workbook_free(FBook);
    }
  }
  TXlsxFile(const TXlsxFile&) = delete;
  TXlsxFile& operator=(const TXlsxFile&) = delete;

  void Write(const TWorkbook& workbook) {
    for (int i = 1; i <= workbook.SheetCount(); ++i) {
      WriteSheet(workbook.Sheet(i), i == workbook.ActiveSheetIndex());
    }
    const QByteArray title = workbook.Properties.Title.toUtf8();
    const QByteArray author = workbook.Properties.Author.toUtf8();
    const QByteArray comments = workbook.Properties.Comments.toUtf8();
    lxw_doc_properties properties{};
    properties.title = const_cast<char*>(title.constData());
    properties.author = const_cast<char*>(author.constData());
    properties.comments = const_cast<char*>(comments.constData());
    Check(workbook_set_properties(FBook, &properties), QStringLiteral("document properties"));
    lxw_workbook* book = FBook;
    FBook = nullptr;  // workbook_close frees it, whatever it returns
    Check(workbook_close(book), QString::fromUtf8(FPath));
  }

 private:
  lxw_format* FormatOf(const TCellFormat& format) {
    if (format.IsDefault()) {
      return nullptr;
    }
    auto& slot = FFormats[format];
    if (!slot) {
      slot = workbook_add_format(FBook);
      if (const uint8_t h = HorizontalAlign(format.HorizontalAlignment); h != LXW_ALIGN_NONE) {
        format_set_align(slot, h);
      }
      if (const uint8_t v = VerticalAlign(format.VerticalAlignment); v != LXW_ALIGN_NONE) {
        format_set_align(slot, v);
      }
      if (format.WrapText) {
        format_set_text_wrap(slot);
      }
      if (format.ShrinkToFit) {
        format_set_shrink(slot);
      }
      if (format.Orientation == xl::Vertical) {
        format_set_rotation(slot, 270);
      } else if (format.Orientation != 0) {
        format_set_rotation(slot, static_cast<int16_t>(format.Orientation));
      }
      format_set_left(slot, BorderStyle(format.Border(TEdge::Left)));
      format_set_top(slot, BorderStyle(format.Border(TEdge::Top)));
      format_set_bottom(slot, BorderStyle(format.Border(TEdge::Bottom)));
      format_set_right(slot, BorderStyle(format.Border(TEdge::Right)));
    }
    return slot;
  }

  void WriteSheet(const TWorksheet& sheet, bool active) {
    const QByteArray name = sheet.Name().toUtf8();
    lxw_worksheet* out = workbook_add_worksheet(FBook, name.constData());
    if (!out) {
      Fail(QStringLiteral("лист \"%1\"").arg(sheet.Name()), LXW_ERROR_SHEETNAME_ALREADY_USED);
    }
    if (active) {
      worksheet_activate(out);
    }
    for (const auto& [column, width] : sheet.ColumnWidths()) {
      const auto c = static_cast<lxw_col_t>(column - 1);
      Check(worksheet_set_column(out, c, c, width, nullptr), sheet.Name());
    }
    for (const auto& [row, height] : sheet.RowHeights()) {
      Check(worksheet_set_row(out, static_cast<lxw_row_t>(row - 1), height, nullptr), sheet.Name());
    }
    // The library fills every cell of a merge with the format of its first
    // cell; the cells are written after the merges so that each keeps its
    // own format (the borders of a frame differ cell by cell).
    for (const auto& range : sheet.MergedRanges()) {
      const TCell* first = sheet.FindCell(range.First);
      lxw_format* format = first ? FormatOf(first->Format) : nullptr;
      Check(worksheet_merge_range(out, static_cast<lxw_row_t>(range.First.Row - 1),
                                  static_cast<lxw_col_t>(range.First.Column - 1),
                                  static_cast<lxw_row_t>(range.Last.Row - 1),
                                  static_cast<lxw_col_t>(range.Last.Column - 1), "", format),
            sheet.Name());
      if (format && range.CellCount() <= MaxMergeCellsToClear) {
        for (int r = range.First.Row; r <= range.Last.Row; ++r) {
          for (int c = range.First.Column; c <= range.Last.Column; ++c) {
            if (!sheet.FindCell({r, c})) {
              worksheet_write_blank(out, static_cast<lxw_row_t>(r - 1), static_cast<lxw_col_t>(c - 1),
                                    FBlank);
            }
          }
        }
      }
    }
    TFormulaEvaluator evaluator(sheet);
    for (const auto& [address, cell] : sheet.Cells()) {
      WriteCell(out, sheet, evaluator, address, cell);
    }
    // Such a sheet prints what it covers, as the spreadsheet application
    // prints any sheet.
    if (const auto used = UsedRange(sheet); used && HasShrunkText(sheet)) {
      Check(worksheet_print_area(out, 0, 0, static_cast<lxw_row_t>(used->Last.Row - 1),
                                 static_cast<lxw_col_t>(used->Last.Column - 1)),
            sheet.Name());
    }
    WritePageSetup(out, sheet.PageSetup(), sheet.Name());
    WriteRowBreaks(out, sheet);
  }

  void WriteRowBreaks(lxw_worksheet* out, const TWorksheet& sheet) {
    if (sheet.RowBreaks().empty()) {
      return;
    }
    // The library takes the row above each break, from 0, and a 0 to end the
    // list; the file format holds no more than 1023 of them.
    std::vector<lxw_row_t> breaks;
    for (const int row : sheet.RowBreaks()) {
      if (breaks.size() < kMaxRowBreaks) {
        breaks.push_back(static_cast<lxw_row_t>(row - 1));
      }
    }
    breaks.push_back(0);
    Check(worksheet_set_h_pagebreaks(out, breaks.data()), sheet.Name());
  }

  void WriteCell(lxw_worksheet* out, const TWorksheet& sheet, TFormulaEvaluator& evaluator,
                 TCellAddress address, const TCell& cell) {
    const auto row = static_cast<lxw_row_t>(address.Row - 1);
    const auto column = static_cast<lxw_col_t>(address.Column - 1);
    // A hidden cell of a merge without a format of its own keeps the blank
    // written for it above.
    lxw_format* format = FormatOf(cell.Format);
    if (!format && cell.IsEmpty() && sheet.MergeAt(address)) {
      format = FBlank;
    }
    const QString where = sheet.Name() + u'!' + address.A1();
    if (cell.HasFormula()) {
      const QByteArray formula = cell.Formula.toUtf8();
      const double result = evaluator.Evaluate(cell.Formula).value_or(0.0);
      Check(worksheet_write_formula_num(out, row, column, formula.constData(), format, result), where);
    } else if (const auto* number = std::get_if<double>(&cell.Value)) {
      Check(worksheet_write_number(out, row, column, *number, format), where);
    } else if (const auto* text = std::get_if<QString>(&cell.Value)) {
      const QByteArray bytes = text->toUtf8();
      Check(worksheet_write_string(out, row, column, bytes.constData(), format), where);
    } else if (const auto* flag = std::get_if<bool>(&cell.Value)) {
      Check(worksheet_write_boolean(out, row, column, *flag ? 1 : 0, format), where);
    } else if (format) {
      Check(worksheet_write_blank(out, row, column, format), where);
    }
  }

  static QString HeaderFooter(const QString& left, const QString& center, const QString& right) {
    QString text;
    if (!left.isEmpty()) {
      text += QStringLiteral("&L") + left;
    }
    if (!center.isEmpty()) {
      text += QStringLiteral("&C") + center;
    }
    if (!right.isEmpty()) {
      text += QStringLiteral("&R") + right;
    }
    return text;
  }

  void WritePageSetup(lxw_worksheet* out, const TPageSetup& setup, const QString& sheetName) {
    // The secretariats print on A4, whatever the machine's locale says.
    worksheet_set_paper(out, kPaperA4);
    if (setup.Orientation == xl::Landscape) {
      worksheet_set_landscape(out);
    } else {
      worksheet_set_portrait(out);
    }
    worksheet_set_margins(out, setup.LeftMargin / 72.0, setup.RightMargin / 72.0, setup.TopMargin / 72.0,
                          setup.BottomMargin / 72.0);
    if (setup.FitToPagesWide > 0 || setup.FitToPagesTall > 0) {
      worksheet_fit_to_pages(out, static_cast<uint16_t>(setup.FitToPagesWide),
                             static_cast<uint16_t>(setup.FitToPagesTall));
    }
    const QByteArray header = HeaderFooter(setup.LeftHeader, setup.CenterHeader, setup.RightHeader).toUtf8();
    // The header and footer stand this far from the page's edge. With the
    // spreadsheet's usual 0.3 inch inside a 28-point margin, the footer line
    // had a few points left and came out cut in half.
    lxw_header_footer_options options{};
    options.margin = kHeaderFooterMarginInches;
    if (!header.isEmpty()) {
      Check(worksheet_set_header_opt(out, header.constData(), &options), sheetName);
    }
    const QByteArray footer = HeaderFooter(setup.LeftFooter, setup.CenterFooter, setup.RightFooter).toUtf8();
    if (!footer.isEmpty()) {
      Check(worksheet_set_footer_opt(out, footer.constData(), &options), sheetName);
    }
  }

  QByteArray FPath;
  QByteArray FTempFolder;
  lxw_workbook* FBook = nullptr;
  lxw_format* FBlank = nullptr;
  std::map<TCellFormat, lxw_format*> FFormats;
};

}  // namespace

void WriteXlsx(const TWorkbook& workbook, const QString& path) {
  // The library formats every number of the file (values, formula results,
  // widths, heights, margins) with the C library's printf, which follows the
  // process's locale: under a decimal comma it would write "67,8", which the
  // file format does not know as a number.
  const TCLocale fileNumbers;
  // The library writes to the name it is given; it writes into a private
  // folder, and the finished bytes go to their place in one atomic step.
  QTemporaryDir folder;
  if (!folder.isValid()) {
    throw Exception(
        QStringLiteral("Не удалось записать книгу: нет временной папки (%1)").arg(folder.errorString()));
  }
  const QString draft = folder.filePath(QStringLiteral("book.xlsx"));
  {
    TXlsxFile file(draft, folder.path());
    file.Write(workbook);
  }
  QFile written(draft);
  if (!written.open(QIODevice::ReadOnly)) {
    throw Exception(QStringLiteral("Не удалось записать книгу: %1").arg(written.errorString()));
  }
  QString error;
  if (!WriteFileAtomically(path, written.readAll(), &error)) {
    throw Exception(QStringLiteral("Не удалось записать книгу %1: %2").arg(path, error));
  }
}

}  // namespace spreadsheet
