// The implementation behind View handles: a table (fields, row count and
// shared columns) or a derived view (a table plus the rows and columns it
// shows).
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "mk/column.h"
#include "mk/field.h"
#include "mk/row_mark.h"

namespace mk {

class ViewImpl {
 public:
  // An empty table.
  explicit ViewImpl(std::vector<Field> fields);
  // A view of `table`'s rows `rows` and columns `cols`.
  ViewImpl(std::shared_ptr<ViewImpl> table, std::vector<int> rows, std::vector<int> cols);

  bool derived() const { return table_ != nullptr; }
  int size() const { return derived() ? static_cast<int>(row_map_.size()) : rows_; }
  int num_cols() const { return static_cast<int>(fields_.size()); }
  const std::vector<Field>& fields() const { return fields_; }
  const Field& field(int col) const { return fields_[col]; }
  int FindField(std::string_view name) const;
  // The fields of the subviews in column `col` of this table.
  const std::vector<Field>& SubFields(int col) const;

  // Where a cell of this view lives: the table and its row and column.
  ViewImpl* Table() { return derived() ? table_.get() : this; }
  const ViewImpl* Table() const { return derived() ? table_.get() : this; }
  int TableRow(int row) const { return derived() ? row_map_[row] : row; }
  int TableCol(int col) const { return derived() ? col_map_[col] : col; }
  const std::shared_ptr<ViewImpl>& table_ptr() const { return table_; }
  const std::vector<int>& row_map() const { return row_map_; }
  const std::vector<int>& col_map() const { return col_map_; }

  // Table internals.
  const Column& column(int col) const { return *cols_[col]; }
  const std::shared_ptr<Column>& column_ptr(int col) const { return cols_[col]; }
  // The column, no longer shared with another table.
  Column& MutableColumn(int col);
  // A table's subview of a row, created empty on first use.
  std::shared_ptr<ViewImpl> Subview(int row, int col);

  // Row operations on a table.
  void SetSize(int rows);
  void InsertEmpty(int pos, int count);
  void Remove(int pos, int count);
  // Removes the rows flagged in `gone` (one flag per table row).
  void RemoveFlagged(const std::vector<bool>& gone);
  // Inserts copies of every row of `src` (columns matched by name).
  void InsertCopies(int pos, const ViewImpl& src);

  // Gives the table a new field list: columns kept by name keep their data
  // (converted when the type changes), new ones start empty.
  void Restructure(const std::vector<Field>& fields);

  // Replaces the contents of a table with the given parts (used by the reader).
  void Assign(int rows, std::vector<std::shared_ptr<Column>> cols);

  // Derived views keep pointing at rows of the table; this updates the row map.
  void AppendMapped(int pos, int table_row);

  // A mark following the table row that row `row` of this view shows.
  std::shared_ptr<const RowMark> MarkRow(int row) {
    return Table()->marks_.Mark(Table(), TableRow(row));
  }

 private:
  std::vector<Field> fields_;
  // Table.
  int rows_ = 0;
  std::vector<std::shared_ptr<Column>> cols_;
  RowMarks marks_;
  // Derived view.
  std::shared_ptr<ViewImpl> table_;
  std::vector<int> row_map_;
  std::vector<int> col_map_;
};

// Copies one cell, converting between types as restructuring does.
void CopyCell(const ViewImpl& src, int src_row, int src_col, ViewImpl* dst_table, int dst_row,
              int dst_col);

}  // namespace mk
