#include "mk/file_state.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <map>

namespace mk {

using Range = std::pair<int64_t, int64_t>;

const BlockList::Rep& BlockList::Summed() const {
  const Rep& r = *rep_;
  if (!r.summed) {
    r.bytes = 0;
    r.limit = 0;
    for (const BlockRef& b : r.items) {
      r.bytes += b.size;
      if (b.size > 0) r.limit = std::max(r.limit, b.pos + b.size);
    }
    r.summed = true;
  }
  return r;
}

int64_t BlockList::bytes() const { return rep_ ? Summed().bytes : 0; }
int64_t BlockList::limit() const { return rep_ ? Summed().limit : 0; }

bool BlockList::operator==(const BlockList& other) const {
  return rep_ == other.rep_ || std::equal(begin(), end(), other.begin(), other.end());
}

std::vector<BlockRef>& BlockList::Mutable() {
  if (!rep_) {
    rep_ = std::make_shared<Rep>();
  } else if (rep_.use_count() > 1) {
    auto copy = std::make_shared<Rep>();
    copy->items = rep_->items;
    rep_ = std::move(copy);
  }
  rep_->summed = false;
  rep_->grown_from = nullptr;
  rep_->kept = 0;
  return rep_->items;
}

void BlockList::MarkGrownFrom(const BlockList& old, size_t kept) {
  if (!rep_ || !old.rep_) return;
  rep_->grown_from = old.rep_.get();
  rep_->kept = kept;
}

namespace {

// The memo items' ranges in file order: those already sorted for an earlier
// state that kept them, merged with the rest.
const std::vector<std::pair<int64_t, int64_t>>& SortedMemoRanges(const ColumnRef& c) {
  const ColumnRef::SortedMemos* known = c.sorted_memos.get();
  size_t k = known && known->items <= c.memo_items.size() ? known->items : 0;
  if (known && k == c.memo_items.size()) return known->ranges;
  std::vector<std::pair<int64_t, int64_t>> extra;
  for (size_t i = k; i < c.memo_items.size(); ++i) {
    const BlockRef& r = c.memo_items[i];
    if (r.size > 0) extra.emplace_back(r.pos, r.pos + r.size);
  }
  std::sort(extra.begin(), extra.end());
  auto sorted = std::make_shared<ColumnRef::SortedMemos>();
  sorted->items = c.memo_items.size();
  if (k > 0) {
    sorted->ranges.reserve(known->ranges.size() + extra.size());
    std::merge(known->ranges.begin(), known->ranges.end(), extra.begin(), extra.end(),
               std::back_inserter(sorted->ranges));
  } else {
    sorted->ranges = std::move(extra);
  }
  c.sorted_memos = std::move(sorted);
  return c.sorted_memos->ranges;
}

// Every block of `view` with a size, except the memo items: the columns
// that have some go to `with_memos`.
void CollectBlocks(const ViewRef& view, std::vector<Range>* blocks,
                   std::vector<const ColumnRef*>* with_memos) {
  auto add = [&](const BlockRef& r) {
    if (r.size > 0) blocks->emplace_back(r.pos, r.pos + r.size);
  };
  std::vector<const ViewRef*> stack = {&view};
  while (!stack.empty()) {
    const ViewRef* v = stack.back();
    stack.pop_back();
    for (const ColumnRef& c : v->cols) {
      add(c.data);
      add(c.sizes);
      add(c.memo);
      if (!c.memo_items.empty()) with_memos->push_back(&c);
      for (const ViewRef& sub : c.rows) stack.push_back(&sub);
    }
  }
}

}  // namespace

std::vector<std::pair<int64_t, int64_t>> LiveRanges(const FileState& state) {
  std::vector<std::pair<int64_t, int64_t>> out;
  if (!state.exists) return out;
  // Each column's memo items are sorted once and the order kept with the
  // column's references; the runs are merged in.
  std::vector<const ColumnRef*> memo_runs;
  out.emplace_back(0, 8);
  if (state.root.size > 0) out.emplace_back(state.root.pos, state.root.pos + state.root.size);
  CollectBlocks(state.top, &out, &memo_runs);
  std::sort(out.begin(), out.end());
  for (const ColumnRef* c : memo_runs) {
    const std::vector<std::pair<int64_t, int64_t>>& run = SortedMemoRanges(*c);
    size_t mid = out.size();
    out.insert(out.end(), run.begin(), run.end());
    std::inplace_merge(out.begin(), out.begin() + mid, out.end());
  }
  return out;
}

int64_t BlockBytes(const ViewRef& view) {
  int64_t total = 0;
  std::vector<const ViewRef*> stack = {&view};
  while (!stack.empty()) {
    const ViewRef* v = stack.back();
    stack.pop_back();
    for (const ColumnRef& c : v->cols) {
      total += c.data.size + c.sizes.size + c.memo.size;
      total += c.memo_items.bytes();
      for (const ViewRef& sub : c.rows) stack.push_back(&sub);
    }
  }
  return total;
}

namespace {

void AddItems(const BlockList& list, size_t from, std::vector<Range>* blocks) {
  for (size_t i = from; i < list.size(); ++i) {
    if (list[i].size > 0) blocks->emplace_back(list[i].pos, list[i].pos + list[i].size);
  }
}

// Adds the memo items in which the two states differ: none of a list both
// share, and of a list of `next` that grew from one of `old` only the items
// past those it kept.
void AddMemoChanges(const std::vector<const ColumnRef*>& old_lists,
                    const std::vector<const ColumnRef*>& next_lists, std::vector<Range>* was,
                    std::vector<Range>* is) {
  std::multimap<const void*, const ColumnRef*> old_left;
  for (const ColumnRef* c : old_lists) old_left.emplace(c->memo_items.identity(), c);
  std::vector<const ColumnRef*> next_left;
  for (const ColumnRef* c : next_lists) {
    auto it = old_left.find(c->memo_items.identity());
    if (it != old_left.end()) {
      old_left.erase(it);  // shared: each pairs with one list of the other state
    } else {
      next_left.push_back(c);
    }
  }
  for (const ColumnRef* c : next_left) {
    const BlockList& list = c->memo_items;
    auto it = list.grown_from() ? old_left.find(list.grown_from()) : old_left.end();
    if (it != old_left.end() && list.kept() <= it->second->memo_items.size() &&
        list.kept() <= list.size()) {
      AddItems(it->second->memo_items, list.kept(), was);
      AddItems(list, list.kept(), is);
      old_left.erase(it);
    } else {
      AddItems(list, 0, is);
    }
  }
  for (const auto& [id, c] : old_left) AddItems(c->memo_items, 0, was);
}

// The free ranges of the live blocks `live` (sorted), below `tails`.
std::vector<Range> Complement(const std::vector<Range>& live, int64_t tails) {
  std::vector<Range> out;
  int64_t at = 8;
  for (const auto& [start, end] : live) {
    if (start > at) out.emplace_back(at, std::min(start, tails));
    at = std::max(at, end);
    if (at >= tails) break;
  }
  if (at < tails) out.emplace_back(at, tails);
  out.erase(std::remove_if(out.begin(), out.end(), [](auto& r) { return r.second <= r.first; }),
            out.end());
  return out;
}

int64_t TailsOf(const FileState& st) { return st.commit_tail - 8 - st.base; }

}  // namespace

const FreeSpace& FreeSpaceOf(const FileState& state) {
  if (state.free) return *state.free;
  auto free = std::make_shared<FreeSpace>();
  if (state.exists) {
    std::vector<Range> live = LiveRanges(state);
    free->disjoint = true;
    for (size_t i = 1; i < live.size(); ++i) {
      if (live[i].first < live[i - 1].second) free->disjoint = false;
    }
    free->ranges = Complement(live, TailsOf(state));
  }
  state.free = std::move(free);
  return *state.free;
}

void CarryFreeSpace(const FileState& old, FileState* next) {
  next->free.reset();
  if (!old.exists || !next->exists || !old.free || !old.free->disjoint) return;
  std::vector<Range> was, is;
  std::vector<const ColumnRef*> was_lists, is_lists;
  if (old.root.size > 0) was.emplace_back(old.root.pos, old.root.pos + old.root.size);
  if (next->root.size > 0) is.emplace_back(next->root.pos, next->root.pos + next->root.size);
  CollectBlocks(old.top, &was, &was_lists);
  CollectBlocks(next->top, &is, &is_lists);
  AddMemoChanges(was_lists, is_lists, &was, &is);
  std::sort(was.begin(), was.end());
  std::sort(is.begin(), is.end());
  std::vector<Range> dropped, added;
  std::set_difference(was.begin(), was.end(), is.begin(), is.end(), std::back_inserter(dropped));
  std::set_difference(is.begin(), is.end(), was.begin(), was.end(), std::back_inserter(added));
  // Free before: the old free ranges, everything from the old tails on, and
  // the dropped blocks (no other block covers them).
  std::vector<Range> free = old.free->ranges;
  free.emplace_back(TailsOf(old), std::numeric_limits<int64_t>::max());
  free.insert(free.end(), dropped.begin(), dropped.end());
  std::sort(free.begin(), free.end());
  // The live blocks of `next` are then everything else: its free space is
  // the complement of the rest and of the added blocks.
  std::vector<Range> live;
  int64_t at = 0;
  for (const auto& [start, end] : free) {
    if (start > at) live.emplace_back(at, start);
    at = std::max(at, end);
  }
  size_t mid = live.size();
  live.insert(live.end(), added.begin(), added.end());
  std::inplace_merge(live.begin(), live.begin() + mid, live.end());
  auto carried = std::make_shared<FreeSpace>();
  carried->ranges = Complement(live, TailsOf(*next));
  carried->disjoint = true;
  next->free = std::move(carried);
}

}  // namespace mk
