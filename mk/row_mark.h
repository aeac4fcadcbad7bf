// Row marks: a row of a table followed through every insertion and removal
// made in that table, so that whoever holds the mark knows where the row is
// now, or that it is gone, without comparing cell values.
#pragma once

#include <memory>
#include <vector>

namespace mk {

class ViewImpl;

class RowMark {
 public:
  static constexpr int kRemoved = -1;  // the row was removed from its table
  static constexpr int kLost = -2;     // the table's rows were replaced or the table is gone

  // The row's position in its table now, or kRemoved or kLost.
  int row() const { return row_; }
  // row() when the mark follows a row of `table`, else kRemoved or kLost.
  int RowIn(const ViewImpl* table) const { return row_ >= 0 && table != table_ ? kLost : row_; }

 private:
  friend class RowMarks;
  RowMark(const ViewImpl* table, int row) : table_(table), row_(row) {}

  const ViewImpl* table_;  // alive while row_ >= 0: the table loses its marks as it goes
  int row_;
};

// The marks on the rows of one table, moved by the table on every change of
// its rows. A copied table starts without marks: they follow the rows of the
// table they were made on.
class RowMarks {
 public:
  RowMarks() = default;
  RowMarks(const RowMarks&) {}
  RowMarks& operator=(const RowMarks&) { return *this; }
  ~RowMarks() { LoseAll(); }

  std::shared_ptr<const RowMark> Mark(const ViewImpl* table, int row);

  void Inserted(int pos, int count);
  void Removed(int pos, int count);
  // Rows flagged in `gone` (one flag per row) were removed.
  void RemovedFlagged(const std::vector<bool>& gone);
  // The rows were replaced as a whole.
  void LoseAll();

 private:
  // Moves every mark still held to `moved(row)`, forgetting the others.
  template <typename Move>
  void MoveAll(Move moved);

  std::vector<std::weak_ptr<RowMark>> marks_;
};

}  // namespace mk
