// Plans the blocks of a new state of a datafile: encodes the views, reuses
// every block whose bytes did not change, grows a block whose column was
// only appended to into the free space after it (writing just the new
// bytes), and places the rest first-fit in free space. The caller writes
// the result in a crash-safe order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "mk/file_state.h"
#include "mk/top_level.h"

namespace mk {

struct CommitPlan {
  ViewRef top;            // references of the new state
  BlockRef root;          // the new root walk
  std::string root_walk;  // its bytes
  // Blocks to write, positions relative to the header.
  std::vector<std::pair<int64_t, std::string_view>> writes;
  std::vector<std::shared_ptr<const void>> owned;  // bytes the writes point into
  int64_t limit = 8;                               // end of the highest live block of the new state
  int64_t slack = 0;                               // room left after blocks placed past the old end
};

struct PlanOptions {
  const FileState* old = nullptr;  // reuse its blocks and free space; null: a fresh image
  const std::vector<std::pair<int64_t, int64_t>>* free = nullptr;  // FreeSpaceOf(*old)
  bool big_endian = false;
  bool reencode = false;  // encode every column anew (packing)
  // Without `old`: where the blocks begin (relative), 8 for an image that
  // starts with its header.
  int64_t fresh_start = 8;
  // At most this much room after large blocks placed past the old end, so
  // that they can grow in place later (-1: an eighth of each).
  int64_t slack_budget = -1;
};

CommitPlan PlanCommit(const std::vector<TopLevel>& top, const PlanOptions& options);

// A whole image of a fresh plan: header at 0, the blocks, the tails.
std::string PackedImage(const CommitPlan& plan, bool big_endian);

// The tails of a state whose skip tail sits at `skip_pos` (relative).
std::string Tails(int64_t skip_pos, const BlockRef& root);
std::string Header(bool big_endian, int64_t size);
// A skip mark at file offset `at` that leads back to a commit tail at
// file offset `commit_tail`, so that the bytes between are skipped.
std::string SkipBackMark(int64_t at, int64_t commit_tail);

}  // namespace mk
