#include "platform/spreadsheet/pagination.h"

#include <algorithm>

#include "platform/spreadsheet/text_fit.h"

namespace spreadsheet {
namespace {

// What the printing program's own units of rows and margins can add up to
// over a page.
constexpr double kLayoutAllowance = 2;

// The last column that the sheet's texts, merged areas or set widths reach.
int LastColumn(const TWorksheet& sheet) {
  int last = 1;
  for (const auto& [address, cell] : sheet.Cells()) {
    last = std::max(last, address.Column);
  }
  for (const TCellRange& range : sheet.MergedRanges()) {
    last = std::max(last, range.Last.Column);
  }
  if (!sheet.ColumnWidths().empty()) {
    last = std::max(last, sheet.ColumnWidths().rbegin()->first);
  }
  return last;
}

int LastRow(const TWorksheet& sheet) {
  int last = sheet.Cells().empty() ? 1 : sheet.Cells().rbegin()->first.Row;
  for (const TCellRange& range : sheet.MergedRanges()) {
    last = std::max(last, range.Last.Row);
  }
  return last;
}

struct TPaper {
  double Width;
  double Height;
};

TPaper Room(const TPageSetup& setup) {
  const bool landscape = setup.Orientation == xl::Landscape;
  const double width = landscape ? PaperLongSide : PaperShortSide;
  const double height = landscape ? PaperShortSide : PaperLongSide;
  return {width - setup.LeftMargin - setup.RightMargin, height - setup.TopMargin - setup.BottomMargin};
}

}  // namespace

double PrintScale(const TWorksheet& sheet) {
  const TPageSetup& setup = sheet.PageSetup();
  const TPaper room = Room(setup);
  double scale = 1;
  if (setup.FitToPagesWide > 0) {
    const double width = RangePoints(sheet, {{1, 1}, {1, LastColumn(sheet)}});
    scale = std::min(scale, setup.FitToPagesWide * room.Width / width);
  }
  if (setup.FitToPagesTall > 0) {
    double height = 0;
    for (int row = 1; row <= LastRow(sheet); ++row) {
      height += sheet.RowHeight(row).value_or(DefaultRowHeight);
    }
    scale = std::min(scale, setup.FitToPagesTall * room.Height / height);
  }
  return scale;
}

double PageRoom(const TWorksheet& sheet) {
  return (Room(sheet.PageSetup()).Height - kLayoutAllowance) / PrintScale(sheet);
}

std::vector<int> RowBreaksKeepingBlocks(const std::vector<TRowBlock>& blocks,
                                        const std::function<double(int)>& rowHeight, double pageRoom) {
  std::vector<int> breaks;
  double used = 0;  // of the page in progress
  int next = 1;     // the first row not laid out yet
  // Rows up to the given one, as the printing program lays them out: a row
  // that no longer fits begins a new page.
  const auto layOut = [&](int last) {
    for (; next <= last; ++next) {
      const double height = rowHeight(next);
      if (used > 0 && used + height > pageRoom) {
        used = 0;
      }
      used += height;
    }
  };
  for (const TRowBlock& block : blocks) {
    layOut(block.First - 1);
    double height = 0;
    for (int row = block.First; row <= block.Last; ++row) {
      height += rowHeight(row);
    }
    if (used > 0 && used + height > pageRoom) {
      breaks.push_back(block.First);
      used = 0;
    }
    layOut(block.Last);
  }
  return breaks;
}

}  // namespace spreadsheet
