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

struct ViewRef;

// The blocks of one column.
struct ColumnRef {
  char type = 0;
  BlockRef data;                           // I/L/F/D values, S/B inline items, or the V block
  BlockRef sizes;                          // S/B
  BlockRef memo;                           // S/B memo walk
  std::vector<BlockRef> memo_items;        // parallel to encoded->memos
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

struct FileState {
  bool exists = false;      // false: the file holds no datafile yet (0 bytes)
  int64_t base = 0;         // file offset of the header
  int64_t end = 0;          // file size
  int64_t commit_tail = 0;  // file offset of the live commit tail
  bool big_endian = false;
  BlockRef root;
  std::string root_walk;
  ViewRef top;  // the one-row root view; its columns are the top-level views
};

// Every live block [start, end) relative to the header, sorted, including
// the header and the root walk.
std::vector<std::pair<int64_t, int64_t>> LiveRanges(const FileState& state);
// The bytes of every block the references of a view record point to.
int64_t BlockBytes(const ViewRef& view);

}  // namespace mk
