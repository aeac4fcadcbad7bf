#include "app/button_grid.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace woodtick {
namespace {

TEST(ButtonGridTest, OrientationFollowsTheAreaEqualSidesAreWide) {
  EXPECT_EQ(OrientationOf(300, 200), Orientation::kWide);
  EXPECT_EQ(OrientationOf(200, 200), Orientation::kWide);
  EXPECT_EQ(OrientationOf(199, 200), Orientation::kTall);
}

TEST(ButtonGridTest, EveryCountUpToTwentyGetsDistinctCellsInsideItsGrid) {
  for (Orientation orientation : {Orientation::kWide, Orientation::kTall}) {
    for (int n = 1; n <= 20; ++n) {
      const auto cells = ButtonCells(n, orientation);
      ASSERT_EQ(static_cast<int>(cells.size()), n) << n;
      std::set<std::pair<int, int>> used;
      for (const GridCell& cell : cells) {
        EXPECT_GE(cell.rows * cell.cols, n);
        EXPECT_LE(cell.row, cell.rows) << n;
        EXPECT_LE(cell.col, cell.cols) << n;
        EXPECT_TRUE(used.insert({cell.row, cell.col}).second) << "cell used twice, n=" << n;
      }
    }
  }
}

TEST(ButtonGridTest, TallGridsOfTwoColumnsFillByColumns) {
  // Five: columns of three, the second holding two.
  const auto five = ButtonCells(5, Orientation::kTall);
  EXPECT_EQ(five[2], (GridCell{3, 2, 3, 1}));
  EXPECT_EQ(five[3], (GridCell{3, 2, 1, 2}));
  EXPECT_EQ(five[4], (GridCell{3, 2, 2, 2}));
  // Ten: 5 x 2, population 10 at row 5, column 2.
  EXPECT_EQ(ButtonCells(10, Orientation::kTall)[9], (GridCell{5, 2, 5, 2}));
}

TEST(ButtonGridTest, ElevenAndTwelveTallFillFourByThreeByColumns) {
  for (int n : {11, 12}) {
    const auto cells = ButtonCells(n, Orientation::kTall);
    for (const GridCell& cell : cells) {
      EXPECT_EQ(cell.rows, 4);
      EXPECT_EQ(cell.cols, 3);
    }
    EXPECT_EQ(cells[4], (GridCell{4, 3, 1, 2}));
    EXPECT_EQ(cells[n - 1].col, 3);
  }
}

TEST(ButtonGridTest, WideGridsFillByRowsAndLeaveTheRestEmpty) {
  const auto seven = ButtonCells(7, Orientation::kWide);
  EXPECT_EQ(seven[3], (GridCell{2, 4, 1, 4}));
  EXPECT_EQ(seven[6], (GridCell{2, 4, 2, 3}));  // the cell (2, 4) stays empty
  EXPECT_EQ(ButtonCells(20, Orientation::kWide)[19], (GridCell{3, 7, 3, 6}));
  EXPECT_EQ(ButtonCells(16, Orientation::kTall)[15], (GridCell{4, 4, 4, 4}));
}

TEST(ButtonGridTest, NoButtonsForNoneOrMoreThanTwenty) {
  EXPECT_TRUE(ButtonCells(0, Orientation::kWide).empty());
  EXPECT_TRUE(ButtonCells(21, Orientation::kTall).empty());
}

TEST(ButtonGridTest, CellRectanglesTileTheAreaTruncated) {
  const QRect area(0, 35, 244, 219);
  EXPECT_EQ(CellRect({1, 1, 1, 1}, area), area);
  // 3 columns of 244: 81.33 wide, truncated; the second starts at 81.
  EXPECT_EQ(CellRect({2, 3, 2, 2}, area), QRect(81, 35 + 109, 81, 109));
  EXPECT_EQ(CellRect({2, 3, 1, 3}, area).left(), 162);
  // A cell outside its grid places nothing.
  EXPECT_TRUE(CellRect({3, 4, 4, 1}, area).isNull());
}

}  // namespace
}  // namespace woodtick
