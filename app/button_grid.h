// Where the tally screen puts its population buttons: a grid whose shape
// follows the number of populations and the shape of the button area.
#pragma once

#include <QRect>
#include <vector>

namespace woodtick {

enum class Orientation { kWide, kTall };

// "TALL" when the area is narrower than high, else "WIDE".
Orientation OrientationOf(int width, int height);

// One button's cell: a grid of rows x cols, and the cell (from 1).
struct GridCell {
  int rows;
  int cols;
  int row;
  int col;
  bool operator==(const GridCell&) const = default;
};

inline constexpr int kMaxPopulationButtons = 20;

// The cells of buttons 1 to n in order; empty when n is 0 or above 20.
std::vector<GridCell> ButtonCells(int n, Orientation orientation);

// The pixel rectangle of a cell over the area; null when the cell lies
// outside its grid (the button is then not placed).
QRect CellRect(const GridCell& cell, const QRect& area);

}  // namespace woodtick
