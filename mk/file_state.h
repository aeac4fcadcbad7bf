// What the engine knows about the committed state of a datafile: where each
// live block lies and which bytes it holds. Commits compare new columns with
// these to reuse unchanged blocks, and allocate new ones around them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "mk/column.h"
#include "mk/field.h"

namespace mk {

// A block's size and position, relative to the header.
struct BlockRef {
  int64_t size = 0;
  int64_t pos = 0;
  bool operator==(const BlockRef&) const = default;
};

// The blocks of a column's memo items. States that keep all of a column's
// items share one list, so copying a state does not copy them, and their
// total size and highest end are worked out once.
class BlockList {
 public:
  size_t size() const { return rep_ ? rep_->items.size() : 0; }
  bool empty() const { return size() == 0; }
  const BlockRef& operator[](size_t i) const { return rep_->items[i]; }
  const BlockRef* begin() const { return rep_ ? rep_->items.data() : nullptr; }
  const BlockRef* end() const { return begin() + size(); }
  // Bytes of all items; the end of the highest one (0 for none).
  int64_t bytes() const;
  int64_t limit() const;
  // Two lists holding the same items, whether shared or not.
  bool operator==(const BlockList& other) const;
  const void* identity() const { return rep_.get(); }
  // The items to change, copied first when another state shares them.
  std::vector<BlockRef>& Mutable();
  // Notes that the first `kept` items are those of `old` (a column only
  // appended to), until the items are changed again.
  void MarkGrownFrom(const BlockList& old, size_t kept);
  const void* grown_from() const { return rep_ ? rep_->grown_from : nullptr; }
  size_t kept() const { return rep_ ? rep_->kept : 0; }

 private:
  struct Rep {
    std::vector<BlockRef> items;
    const void* grown_from = nullptr;  // identity of the list the items begin with
    size_t kept = 0;
    mutable bool summed = false;
    mutable int64_t bytes = 0;
    mutable int64_t limit = 0;
  };
  const Rep& Summed() const;
  std::shared_ptr<Rep> rep_;
};

struct ViewRef;

// The blocks of one column.
struct ColumnRef {
  char type = 0;
  BlockRef data;                           // I/L/F/D values, S/B inline items, or the V block
  BlockRef sizes;                          // S/B
  BlockRef memo;                           // S/B memo walk
  BlockList memo_items;                    // parallel to encoded->memos
  std::shared_ptr<const Encoded> encoded;  // the bytes of data, sizes and memo items
  std::string walks;                       // V: the bytes of the V block
  std::vector<ViewRef> rows;               // V: one record per row
  // The ranges of the first `items` memo items in file order, worked out
  // when first needed; a later state that keeps those items shares them.
  struct SortedMemos {
    size_t items = 0;
    std::vector<std::pair<int64_t, int64_t>> ranges;
  };
  mutable std::shared_ptr<const SortedMemos> sorted_memos;
};

// One view record.
struct ViewRef {
  std::vector<Field> fields;
  int rows = 0;
  std::vector<ColumnRef> cols;
};

// The free space of a state: the ranges below its tails that no live block
// covers, sorted and disjoint, relative to the header.
struct FreeSpace {
  std::vector<std::pair<int64_t, int64_t>> ranges;
  // No two live blocks overlap (as in every state this program commits), so
  // the free space of a state committed from this one follows from the
  // blocks that commit dropped and added.
  bool disjoint = false;
};

struct FileState {
  bool exists = false;      // false: the file holds no datafile yet (0 bytes)
  int64_t base = 0;         // file offset of the header
  int64_t end = 0;          // file size
  int64_t commit_tail = 0;  // file offset of the live commit tail
  bool big_endian = false;
  BlockRef root;
  std::string root_walk;
  ViewRef top;  // the one-row root view; its columns are the top-level views
  // Worked out when first needed, or carried over from the state before.
  mutable std::shared_ptr<const FreeSpace> free;
};

// Every live block [start, end) relative to the header, sorted, including
// the header and the root walk.
std::vector<std::pair<int64_t, int64_t>> LiveRanges(const FileState& state);
// The bytes of every block the references of a view record point to.
int64_t BlockBytes(const ViewRef& view);
// The free space of `state`, kept with it once worked out.
const FreeSpace& FreeSpaceOf(const FileState& state);
// Gives `next`, a state committed from `old`, its free space from that of
// `old` and the blocks that differ between them: the work follows what the
// commit changed, not what the file holds. Leaves it to be worked out anew
// when the blocks of `old` overlap.
void CarryFreeSpace(const FileState& old, FileState* next);

}  // namespace mk
