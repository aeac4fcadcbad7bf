// The tables an analysis export writes for one datafile: one per top-level
// view and one per nested view column, each row visited once.
//
// A nested view column V of table T becomes its own table "T.V" with a
// leading "parent_row" column: the position (from 0) of the owning row among
// T's rows of the same file. In T the column itself holds the number of
// nested rows. A recursive column (whose rows have the fields of the view
// around it) gives "T.V", "T.V.V" and so on, as deep as the file's rows
// nest.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mk/field.h"
#include "mk/storage.h"
#include "mk/view.h"

namespace woodtick {

struct ExportTable {
  std::string name;  // Windows-1252, as the file spells it
  std::vector<mk::Field> columns;
  bool nested = false;        // has a parent_row column
  std::vector<int> children;  // per column: the table of a 'V' column, else -1
  // Per column: a tally file's number column (empty when none is).
  std::vector<bool> measurements;
};

// The cell is a measurement not taken: exported as NULL or an empty field.
bool NotTaken(const ExportTable& table, const mk::View& view, int row, int col);

// One row to write: row `row` of `view`, the `position`-th row of its table
// in this file; `parent` is the owning row's position (nested tables only).
struct ExportRow {
  const mk::View* view;
  int row;
  int64_t position;
  int64_t parent;
};

class ExportSink {
 public:
  virtual ~ExportSink() = default;
  // Called parents first, then their nested rows. False stops the walk.
  virtual bool WriteRow(int table, const ExportRow& row) = 0;
  // After each row of a top-level view; for progress.
  virtual void TopLevelRowDone() {}
};

// The tables of every top-level view, in file order, each followed by its
// nested tables. Top-level values that are not views have no table.
std::vector<ExportTable> PlanExportTables(const mk::Storage& storage);

// Rows of every top-level view, the total for progress.
int64_t CountTopLevelRows(const mk::Storage& storage);

// Visits every row of every table. False when the sink stopped it.
bool WalkExportRows(const mk::Storage& storage, const std::vector<ExportTable>& tables,
                    ExportSink& sink);

// The text of a cell that is not a text or bytes: a decimal integer, or a
// real in the shortest form that reads back to the same value ("NaN",
// "Inf", "-Inf" for the special values); an empty text for a whole number
// not taken. A nested view gives its row count.
std::string NumberText(const mk::View& view, int row, int col);

}  // namespace woodtick
