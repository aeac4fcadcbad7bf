// Reading and writing one cell of a view as text or number, whatever the
// column's stored type: the conversions every typed access of the store uses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "mk/view.h"

namespace woodtick {

// True when (row, col) lies inside the view's own rows and columns. A
// derived view's table may still have lost that cell since (see
// mk::View::HasCell); the functions below check that too.
bool CellInView(const mk::View& view, int row, int col);

// Each returns 0, kStoreBadAddress for a cell outside the view (for a
// selection, also a row or column its base has lost since it was taken), or
// kStoreUnsupported for a column type other than S, I, L, F and D (then the
// text is left unchanged and numbers are 0; nothing is written). None throws.
int ReadCellText(const mk::View& view, int row, int col, std::string* out);
int ReadCellInt(const mk::View& view, int row, int col, int32_t* out);
int ReadCellFloat(const mk::View& view, int row, int col, float* out);
int WriteCellText(mk::View& view, int row, int col, std::string_view text);
int WriteCellInt(mk::View& view, int row, int col, int32_t value);

}  // namespace woodtick
