// A view: rows of typed cells under a list of fields, the unit in which a
// datafile holds its tables.
//
// A View is a handle: copies refer to the same rows, so a change made through
// one copy is seen through all of them (a storage's view and the handle that
// a caller holds stay the same table). Clone() makes an independent table.
//
// Derived views (Select, SortOn, Project) refer to the rows of the view they
// come from; reading and writing a derived view reads and writes those rows.
// They are snapshots of which rows qualify: rows added to or removed from the
// underlying view later are not reflected. RowInBase() maps a derived row to
// its row in the underlying table.
//
// Cell access is strict: the accessor must match the column's type letter
// ('I' GetInt, 'L' GetLong, 'F' GetFloat, 'D' GetDouble, 'S' GetString,
// 'B' GetBytes, 'V' GetSubview). Conversions between types are the job of the
// layer above. A row or column outside the view, or a mismatched accessor, is
// a programming error and throws std::out_of_range / std::logic_error; a
// caller that cannot know whether a row still exists asks HasRow, HasCell
// or IsIntact first. These are the only exceptions: a View never throws
// for what a file holds (a damaged or foreign file is refused, with a
// Status, when it is read), nor for a failed write (Storage::Commit).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mk/field.h"
#include "mk/row_mark.h"

namespace mk {

class ViewImpl;

class View {
 public:
  View();                                    // an empty table without fields
  explicit View(std::vector<Field> fields);  // an empty in-memory table
  // An empty in-memory table from a field list such as "a:I,b:S".
  static View FromDescription(std::string_view fields);

  int GetSize() const;
  int NumProperties() const;
  const Field& NthProperty(int col) const;
  // Position of the field of that name, ASCII case ignored; -1 when absent.
  int FindPropIndexByName(std::string_view name) const;
  // The field list in canonical form, e.g. "Block:S,Key:S,Value:S".
  std::string Description() const;

  int32_t GetInt(int row, int col) const;
  int64_t GetLong(int row, int col) const;
  float GetFloat(int row, int col) const;
  double GetDouble(int row, int col) const;
  // The text up to its first NUL byte. Valid until the view changes.
  std::string_view GetString(int row, int col) const;
  std::string GetBytes(int row, int col) const;
  View GetSubview(int row, int col) const;

  void SetInt(int row, int col, int32_t value);
  void SetLong(int row, int col, int64_t value);
  void SetFloat(int row, int col, float value);
  void SetDouble(int row, int col, double value);
  void SetString(int row, int col, std::string_view value);
  void SetBytes(int row, int col, std::string_view value);
  // Replaces the rows of a nested view with copies of `rows`.
  void SetSubview(int row, int col, const View& rows);

  // Grows with default rows (0, empty) or shrinks from the end.
  void SetSize(int rows);
  // Inserts `count` default rows before `pos` (0 <= pos <= size).
  void InsertEmptyRowsAt(int pos, int count = 1);
  // Inserts copies of all rows of `src` before `pos`. Columns are matched by
  // name (case ignored); columns of this view that `src` lacks get defaults,
  // columns of `src` that this view lacks are ignored. Matching columns of
  // different types are converted as the restructuring rules do.
  void InsertRowsAt(int pos, const View& src);
  void RemoveAt(int pos, int count = 1);

  // Rows whose cells equal every cell of row 0 of `criteria` (columns matched
  // by name, case ignored; texts compared byte by byte). An empty criteria
  // view (no rows) selects every row.
  View Select(const View& criteria) const;
  // Rows ordered ascending on the given columns, first column first; ties
  // keep their order.
  View SortOn(const std::vector<int>& cols) const;
  // The given columns, in the given order.
  View Project(const std::vector<int>& cols) const;
  // A new empty table with the same fields, independent of this one.
  View Clone() const;

  bool IsDerived() const;
  // The row of the underlying table that derived row `row` shows (the row
  // itself for a table).
  int RowInBase(int row) const;
  // A mark that follows the table row shown as row `row` through every
  // later insertion and removal of the table's rows, whichever handle or
  // derived view makes them.
  std::shared_ptr<const RowMark> MarkRow(int row) const;
  // Where the row that `mark` follows is now in this view's table (its row
  // there, as RowInBase gives); RowMark::kRemoved once the row was removed;
  // RowMark::kLost when the mark follows no row of this table.
  int MarkedRow(const RowMark& mark) const;
  // True when both handles refer to the same table or derived view.
  bool SameAs(const View& other) const;

  // Whether an access can go ahead, so that a caller need not catch the
  // exceptions above. A derived view is a snapshot: its table may have lost
  // rows or columns since it was made.
  // `row` is a row of this view, and for a derived view its table still has it.
  bool HasRow(int row) const;
  // HasRow(row), `col` is a column of this view, and for a derived view its
  // table still has that column with the same type: the cell's accessor of
  // NthProperty(col).type reads and writes it without throwing.
  bool HasCell(int row, int col) const;
  // Every row and column this view shows still exists as it was (always true
  // for a table): Select, SortOn and Project on it, and inserting its rows
  // elsewhere, do not throw.
  bool IsIntact() const;

  // Engine internals reach the implementation through this.
  const std::shared_ptr<ViewImpl>& impl() const { return impl_; }
  explicit View(std::shared_ptr<ViewImpl> impl);

 private:
  std::shared_ptr<ViewImpl> impl_;
};

}  // namespace mk
