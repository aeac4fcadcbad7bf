#include "app/button_grid.h"

namespace woodtick {
namespace {

struct Grid {
  int rows;
  int cols;
  bool by_columns;
};

Grid GridFor(int n, Orientation orientation) {
  const bool wide = orientation == Orientation::kWide;
  if (n <= 3) return wide ? Grid{1, n, false} : Grid{n, 1, true};
  if (n == 4) return {2, 2, false};
  if (n <= 6) return wide ? Grid{2, 3, false} : Grid{3, 2, true};
  if (n <= 8) return wide ? Grid{2, 4, false} : Grid{4, 2, true};
  if (n == 9) return {3, 3, false};
  if (n == 10) return wide ? Grid{2, 5, false} : Grid{5, 2, true};
  // 4 rows x 3 columns filled by columns, so that all 11 or 12 show.
  if (n <= 12) return wide ? Grid{3, 4, false} : Grid{4, 3, true};
  if (n <= 15) return wide ? Grid{3, 5, false} : Grid{4, 4, false};
  if (n == 16) return wide ? Grid{3, 6, false} : Grid{4, 4, false};
  return wide ? Grid{3, 7, false} : Grid{5, 4, false};
}

}  // namespace

Orientation OrientationOf(int width, int height) {
  return width < height ? Orientation::kTall : Orientation::kWide;
}

std::vector<GridCell> ButtonCells(int n, Orientation orientation) {
  std::vector<GridCell> cells;
  if (n <= 0 || n > kMaxPopulationButtons) return cells;
  const Grid grid = GridFor(n, orientation);
  for (int i = 0; i < n; ++i) {
    const int row = grid.by_columns ? i % grid.rows : i / grid.cols;
    const int col = grid.by_columns ? i / grid.rows : i % grid.cols;
    cells.push_back({grid.rows, grid.cols, row + 1, col + 1});
  }
  return cells;
}

QRect CellRect(const GridCell& cell, const QRect& area) {
  if (cell.row > cell.rows || cell.col > cell.cols) return {};
  const double w = area.width();
  const double h = area.height();
  // Each in double precision, truncated toward zero.
  const int x = static_cast<int>(1.0 / cell.cols * (cell.col - 1) * w + area.left());
  const int y = static_cast<int>(1.0 / cell.rows * (cell.row - 1) * h + area.top());
  const int width = static_cast<int>(1.0 / cell.cols * w);
  const int height = static_cast<int>(1.0 / cell.rows * h);
  return QRect(x, y, width, height);
}

}  // namespace woodtick
