#include <gtest/gtest.h>

#include "platform/spreadsheet/pagination.h"
#include "platform/spreadsheet/text_fit.h"

namespace {

using namespace spreadsheet;

struct BreakCase {
  const char* what;
  std::vector<TRowBlock> blocks;
  std::vector<int> expected;
};

// Rows of 15 points on pages that hold 100 (six rows and a bit).
TEST(Pagination, ABlockThatTheRestOfThePageCannotHoldBeginsTheNext) {
  const BreakCase cases[] = {
      {"everything on one page", {{1, 3}, {4, 6}}, {}},
      {"the second block would cross the foot", {{1, 4}, {5, 8}}, {5}},
      {"a page of blocks after a page of blocks", {{1, 3}, {4, 6}, {7, 10}, {11, 13}, {14, 16}}, {7, 11}},
      // Two rows of the sheet's head, then a block that fits a page but not
      // the rest of this one; the next is too high for what the first leaves.
      {"after the sheet's head", {{3, 8}, {9, 10}}, {3, 9}},
      // Rows outside the blocks take their room as they come.
      {"rows between blocks", {{1, 2}, {5, 6}}, {}},
      {"rows between blocks to the foot", {{1, 2}, {7, 9}}, {7}},
      // Ten rows: a page of its own, broken by the printing program after six;
      // the last block fits after its last four rows, the one of three does not.
      {"a block higher than a page", {{1, 2}, {3, 12}, {13, 14}}, {3}},
      {"after a block higher than a page", {{1, 2}, {3, 12}, {13, 15}}, {3, 13}},
      {"no blocks", {}, {}},
  };
  const auto height = [](int) { return 15.0; };
  for (const auto& c : cases) {
    EXPECT_EQ(RowBreaksKeepingBlocks(c.blocks, height, 100), c.expected) << c.what;
  }
  // Rows of their own heights: a high row of titles makes the block too high.
  const auto titles = [](int row) { return row == 2 ? 50.0 : 15.0; };
  EXPECT_EQ(RowBreaksKeepingBlocks({{1, 3}, {4, 6}}, titles, 100), std::vector<int>{4});
}

// A page's room inside the margins, a little held back, and more of a sheet
// on it when fitting the sheet to the page's width scales it down.
TEST(Pagination, APageHoldsItsPaperInsideTheMarginsAtThePrintsScale) {
  TWorksheet sheet(QStringLiteral("Лист1"));
  sheet.SetColumnWidth(1, 42);
  TPageSetup& page = sheet.EditPageSetup();
  // The spreadsheet's own page: portrait, its usual margins.
  EXPECT_NEAR(PageRoom(sheet), PaperLongSide - 108 - 2, 0.01);
  // The print's page.
  page.Orientation = xl::Landscape;
  page.TopMargin = page.BottomMargin = page.LeftMargin = page.RightMargin = 28;
  page.FitToPagesWide = 1;
  EXPECT_EQ(PrintScale(sheet), 1);
  EXPECT_NEAR(PageRoom(sheet), PaperShortSide - 56 - 2, 0.01);
  // Wider than the page: scaled to its width, a page holds more rows.
  for (const int column : {2, 3, 4}) {
    sheet.SetColumnWidth(column, 100);
  }
  const double width = ColumnPoints(42) + 3 * ColumnPoints(100);
  const double scale = (PaperLongSide - 56) / width;
  ASSERT_LT(scale, 0.9);
  EXPECT_NEAR(PrintScale(sheet), scale, 1e-9);
  EXPECT_NEAR(PageRoom(sheet), (PaperShortSide - 56 - 2) / scale, 0.01);
  // Not fitted, it prints at its size over pages side by side.
  page.FitToPagesWide = 0;
  EXPECT_EQ(PrintScale(sheet), 1);
}

}  // namespace
