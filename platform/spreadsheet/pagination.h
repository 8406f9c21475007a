#pragma once

#include <functional>
#include <vector>

#include "platform/spreadsheet/workbook_model.h"

// Where the pages of a printed sheet begin. Every sheet prints on A4 (the
// .xlsx writer says so), in its page setup's orientation and margins,
// scaled down where it is fitted to a number of pages; the printing program
// starts a new page wherever the next row no longer fits, and at each row
// break of the sheet.
namespace spreadsheet {

// A4, in points.
inline constexpr double PaperShortSide = 595.28;
inline constexpr double PaperLongSide = 841.89;

// The share of its size the sheet prints at: below 1 where fitting it to
// pages takes it.
double PrintScale(const TWorksheet& sheet);

// How much of the sheet's height, in points as the sheet's rows have it, one
// page holds: its paper's height inside the margins, at the print's scale.
// A little is held back, since the printing program lays rows and margins
// out in units of its own: a page taken to hold a block does hold it.
double PageRoom(const TWorksheet& sheet);

// Rows that belong together on a page, from First to Last.
struct TRowBlock {
  int First = 1;
  int Last = 1;
  bool operator==(const TRowBlock&) const = default;
};

// The rows that must begin a page so that no block is split where a new page
// could have taken it whole: a block that the rest of the page cannot hold
// begins the next one. A block higher than a page still begins one, so that
// its head stays with as much of it as a page holds, and the printing
// program breaks it where it must. The blocks stand in rising order without
// overlapping; rows between them (better none: an empty row between two
// blocks belongs to the first) are laid out as they come. rowHeight gives
// each row's height.
std::vector<int> RowBreaksKeepingBlocks(const std::vector<TRowBlock>& blocks,
                                        const std::function<double(int)>& rowHeight, double pageRoom);

}  // namespace spreadsheet
