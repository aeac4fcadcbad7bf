#include "mk/row_mark.h"

namespace mk {

std::shared_ptr<const RowMark> RowMarks::Mark(const ViewImpl* table, int row) {
  std::shared_ptr<RowMark> mark(new RowMark(table, row));
  marks_.push_back(mark);
  return mark;
}

template <typename Move>
void RowMarks::MoveAll(Move moved) {
  std::erase_if(marks_, [&](const std::weak_ptr<RowMark>& held) {
    std::shared_ptr<RowMark> mark = held.lock();
    if (!mark) return true;
    mark->row_ = moved(mark->row_);
    return mark->row_ < 0;
  });
}

void RowMarks::Inserted(int pos, int count) {
  MoveAll([&](int row) { return row >= pos ? row + count : row; });
}

void RowMarks::Removed(int pos, int count) {
  MoveAll([&](int row) {
    if (row < pos) return row;
    return row < pos + count ? RowMark::kRemoved : row - count;
  });
}

void RowMarks::RemovedFlagged(const std::vector<bool>& gone) {
  if (marks_.empty()) return;
  std::vector<int> before(gone.size() + 1, 0);  // rows removed before each row
  for (size_t r = 0; r < gone.size(); ++r) before[r + 1] = before[r] + (gone[r] ? 1 : 0);
  MoveAll([&](int row) { return gone[row] ? RowMark::kRemoved : row - before[row]; });
}

void RowMarks::LoseAll() {
  MoveAll([](int) { return RowMark::kLost; });
}

}  // namespace mk
