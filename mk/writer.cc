#include "mk/writer.h"

#include <algorithm>

#include "mk/allocator.h"
#include "mk/encoding.h"

namespace mk {
namespace {

void AppendRef(const BlockRef& r, std::string* out) {
  AppendVarint(r.size, out);
  if (r.size > 0) AppendVarint(r.pos, out);
}

// The free space of the old state: everything below its tails that no live
// or reserved block covers.
std::vector<std::pair<int64_t, int64_t>> FreeRanges(const PlanOptions& o) {
  std::vector<std::pair<int64_t, int64_t>> computed;
  if (!o.live) computed = LiveRanges(*o.old);
  const std::vector<std::pair<int64_t, int64_t>>& used = o.live ? *o.live : computed;
  int64_t tails = o.old->commit_tail - 8 - o.old->base;
  std::vector<std::pair<int64_t, int64_t>> out;
  int64_t at = 8;
  for (const auto& [start, end] : used) {
    if (start > at) out.emplace_back(at, std::min(start, tails));
    at = std::max(at, end);
    if (at >= tails) break;
  }
  if (at < tails) out.emplace_back(at, tails);
  out.erase(std::remove_if(out.begin(), out.end(), [](auto& r) { return r.second <= r.first; }),
            out.end());
  return out;
}

int64_t GrowthStart(const PlanOptions& o) {
  if (!o.old) return o.fresh_start;
  return o.old->end - o.old->base;
}

// Builds the references of the new state in two steps. Collecting walks the
// tables, reuses unchanged blocks and lists the rest in depth-first order:
// data blocks, whose bytes are known, and walks, whose bytes depend on the
// positions of the blocks listed before them. Placing then gives positions:
// in list order for a fresh image (Metakit's layout), largest data block
// first for an update, so that small blocks do not take the holes that
// large rewrites need.
class Planner {
 public:
  explicit Planner(const PlanOptions& o)
      : o_(o),
        alloc_(o.old ? FreeRanges(o) : std::vector<std::pair<int64_t, int64_t>>(), GrowthStart(o),
               o.old ? o.slack_budget : 0) {}

  CommitPlan Run(const std::vector<TopLevel>& top) {
    std::vector<Field> fields = TopFields(top);
    const ViewRef* old_top = o_.old ? &o_.old->top : nullptr;
    plan_.top.fields = fields;
    plan_.top.rows = 1;
    plan_.top.cols.resize(top.size());
    for (size_t i = 0; i < top.size(); ++i) {
      const ColumnRef* old = FindOld(old_top, fields[i]);
      ColumnRef& cr = plan_.top.cols[i];
      cr.type = fields[i].type;
      if (!top[i].is_view) {
        CollectData(top[i].table->column(0), old, &cr);
        continue;
      }
      cr.rows.resize(1);
      const ViewRef* old_view = old && !old->rows.empty() ? &old->rows[0] : nullptr;
      Collect(*top[i].table, old_view, &cr.rows[0]);
      items_.push_back(Item{Item::kSubviews, {}, nullptr, &cr, old});
    }
    Place();
    // Room left after blocks placed past the end belongs below the tails.
    plan_.limit = std::max(plan_.limit, alloc_.end());

    std::string walk;
    walk.push_back('\x80');
    std::string desc = DescribeFields(fields);
    AppendVarint(static_cast<int64_t>(desc.size()), &walk);
    walk += desc;
    AppendVarint(1, &walk);
    AppendRefs(plan_.top, &walk);
    plan_.root_walk = walk;
    if (o_.old && o_.old->root_walk == walk) {
      plan_.root = o_.old->root;
      Keep(plan_.root);
    } else {
      plan_.root = Allocate(Own(walk));
    }
    plan_.slack = alloc_.slack();
    return std::move(plan_);
  }

 private:
  struct Item {
    enum Kind { kData, kGrow, kMemoWalk, kSubviews } kind;
    std::string_view bytes;  // kData, kGrow
    BlockRef* target;        // kData, kGrow
    ColumnRef* column;       // walks
    const ColumnRef* old;    // walks
    BlockRef old_block{};    // kGrow: the block whose bytes these extend
    int64_t from = 0;        // kGrow: the first byte that differs from it
  };

  static const ColumnRef* FindOld(const ViewRef* old, const Field& f) {
    if (!old) return nullptr;
    for (size_t i = 0; i < old->fields.size() && i < old->cols.size(); ++i) {
      if (old->fields[i].type == f.type && SameName(old->fields[i].name, f.name))
        return &old->cols[i];
    }
    return nullptr;
  }

  std::string_view Own(std::string bytes) {
    auto owned = std::make_shared<const std::string>(std::move(bytes));
    plan_.owned.push_back(owned);
    return *owned;
  }

  void Keep(const BlockRef& r) {
    if (r.size > 0) plan_.limit = std::max(plan_.limit, r.pos + r.size);
  }

  BlockRef Allocate(std::string_view bytes) {
    if (bytes.empty()) return BlockRef{};
    BlockRef r{static_cast<int64_t>(bytes.size()),
               alloc_.Allocate(static_cast<int64_t>(bytes.size()))};
    plan_.writes.emplace_back(r.pos, bytes);
    Keep(r);
    return r;
  }

  // Keeps the old block when it holds the same bytes, else lists a new one.
  void Data(std::string_view bytes, const BlockRef* old, std::string_view old_bytes,
            BlockRef* target) {
    if (old && old->size > 0 && old_bytes == bytes) {
      *target = *old;
      Keep(*old);
    } else if (!bytes.empty()) {
      items_.push_back(Item{Item::kData, bytes, target, nullptr, nullptr});
    }
  }

  void Collect(const ViewImpl& table, const ViewRef* old, ViewRef* ref) {
    ref->fields = table.fields();
    ref->rows = table.size();
    if (table.size() == 0) return;
    ref->cols.resize(table.num_cols());
    for (int j = 0; j < table.num_cols(); ++j) {
      const Field& f = table.field(j);
      const ColumnRef* old_col = FindOld(old, f);
      ColumnRef* cr = &ref->cols[j];
      cr->type = f.type;
      if (f.type != 'V') {
        CollectData(table.column(j), old_col, cr);
        continue;
      }
      const Column& column = table.column(j);
      cr->rows.resize(table.size());
      ViewImpl empty(table.SubFields(j));
      for (int r = 0; r < table.size(); ++r) {
        const ViewImpl* sub = column.Sub(r) ? column.Sub(r).get() : &empty;
        const ViewRef* old_sub =
            old_col && r < static_cast<int>(old_col->rows.size()) ? &old_col->rows[r] : nullptr;
        Collect(*sub, old_sub, &cr->rows[r]);
      }
      items_.push_back(Item{Item::kSubviews, {}, nullptr, cr, old_col});
    }
  }

  void CollectData(const Column& column, const ColumnRef* old, ColumnRef* cr) {
    std::shared_ptr<const Encoded> enc = column.Encode(o_.big_endian, o_.reencode);
    // The plan keeps the encoding alive for the writes that point into it.
    plan_.owned.push_back(enc);
    cr->encoded = enc;
    const Encoded* prev = old ? old->encoded.get() : nullptr;
    if (prev && enc->grown_from == prev->id) return CollectGrown(*enc, *old, cr);
    if (prev && (prev == enc.get() || prev->SameBytes(*enc))) {
      // Unchanged: keep every block.
      cr->data = old->data;
      cr->sizes = old->sizes;
      cr->memo = old->memo;
      cr->memo_items = old->memo_items;
      cr->sorted_memos = old->sorted_memos;
      // The same bytes; the column's own copy is what it hands out next
      // time, so the next commit knows it unchanged without comparing.
      cr->encoded = enc;
      Keep(cr->data);
      Keep(cr->sizes);
      Keep(cr->memo);
      for (const BlockRef& r : cr->memo_items) Keep(r);
      return;
    }
    // Memo items first, each kept when the same row held the same item.
    cr->memo_items.resize(enc->memos.size());
    size_t k = 0;
    for (size_t i = 0; i < enc->memos.size(); ++i) {
      int row = enc->memos[i].first;
      while (prev && k < prev->memos.size() && prev->memos[k].first < row) ++k;
      bool same = prev && k < prev->memos.size() && prev->memos[k].first == row;
      Data(enc->memos[i].second, same ? &old->memo_items[k] : nullptr,
           same ? prev->memos[k].second : "", &cr->memo_items[i]);
    }
    Data(enc->data, prev ? &old->data : nullptr, prev ? prev->data : "", &cr->data);
    Data(enc->sizes, prev ? &old->sizes : nullptr, prev ? prev->sizes : "", &cr->sizes);
    if (!enc->memos.empty()) items_.push_back(Item{Item::kMemoWalk, {}, nullptr, cr, old});
  }

  // A column that was only appended to: its old bytes are a prefix of the
  // new ones, known without comparing. Old memo items stay; data, sizes and
  // the memo walk grow in place where the space after them is free.
  void CollectGrown(const Encoded& enc, const ColumnRef& old, ColumnRef* cr) {
    const size_t kept = old.encoded->memos.size();
    cr->sorted_memos = old.sorted_memos;  // its first items are these kept ones
    cr->memo_items.resize(enc.memos.size());
    for (size_t i = 0; i < enc.memos.size(); ++i) {
      if (i < kept) {
        cr->memo_items[i] = old.memo_items[i];
        Keep(cr->memo_items[i]);
      } else {
        Data(enc.memos[i].second, nullptr, "", &cr->memo_items[i]);
      }
    }
    Grown(enc.data, old.data, &cr->data);
    Grown(enc.sizes, old.sizes, &cr->sizes);
    if (!enc.memos.empty()) items_.push_back(Item{Item::kMemoWalk, {}, nullptr, cr, &old});
  }

  // `bytes` extend the old block's bytes, except that its last byte may
  // differ in bits no old row reads (a vector of sub-byte entries). That
  // byte is always written again: the old encoding may share the buffer the
  // new one grew in, so comparing cannot tell.
  void Grown(std::string_view bytes, const BlockRef& old, BlockRef* target) {
    if (old.size == 0) {
      if (!bytes.empty()) items_.push_back(Item{Item::kData, bytes, target, nullptr, nullptr});
      return;
    }
    items_.push_back(Item{Item::kGrow, bytes, target, nullptr, nullptr, old, old.size - 1});
  }

  // Writes only the new tail of a growing block when the space after it is
  // free in the old state: what the old state reads stays as it is until
  // the commit point. Otherwise the whole block goes elsewhere, with room to
  // grow.
  void Grow(std::string_view bytes, const BlockRef& old, int64_t from, BlockRef* target) {
    int64_t extra = static_cast<int64_t>(bytes.size()) - old.size;
    if (extra == 0 || alloc_.Claim(old.pos + old.size, extra)) {
      *target = BlockRef{static_cast<int64_t>(bytes.size()), old.pos};
      plan_.writes.emplace_back(old.pos + from, bytes.substr(from));
      Keep(*target);
      return;
    }
    int64_t size = static_cast<int64_t>(bytes.size());
    *target = BlockRef{size, alloc_.Allocate(size, size / 8 + 64)};
    plan_.writes.emplace_back(target->pos, bytes);
    Keep(*target);
  }

  void Place() {
    // Growth first: nothing else may take the space a block grows into.
    for (Item& item : items_) {
      if (item.kind == Item::kGrow) Grow(item.bytes, item.old_block, item.from, item.target);
    }
    if (o_.old) {
      std::vector<size_t> data;
      for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].kind == Item::kData) data.push_back(i);
      }
      std::stable_sort(data.begin(), data.end(), [&](size_t a, size_t b) {
        return items_[a].bytes.size() > items_[b].bytes.size();
      });
      for (size_t i : data) *items_[i].target = Allocate(items_[i].bytes);
    }
    for (Item& item : items_) {
      switch (item.kind) {
        case Item::kData:
          if (!o_.old) *item.target = Allocate(item.bytes);
          break;
        case Item::kGrow:
          break;
        case Item::kMemoWalk:
          PlaceMemoWalk(item.column, item.old);
          break;
        case Item::kSubviews:
          PlaceSubviews(item.column, item.old);
          break;
      }
    }
  }

  void PlaceMemoWalk(ColumnRef* cr, const ColumnRef* old) {
    const Encoded& enc = *cr->encoded;
    std::string walk;
    int last = -1;
    for (size_t i = 0; i < enc.memos.size(); ++i) {
      AppendVarint(enc.memos[i].first - last - 1, &walk);
      last = enc.memos[i].first;
      AppendRef(cr->memo_items[i], &walk);
    }
    const Encoded* prev = old ? old->encoded.get() : nullptr;
    bool same = prev && old->memo.size > 0 && prev->memos.size() == enc.memos.size() &&
                old->memo_items == cr->memo_items;
    for (size_t i = 0; same && i < enc.memos.size(); ++i) {
      same = prev->memos[i].first == enc.memos[i].first;
    }
    if (same) {
      cr->memo = old->memo;
      Keep(cr->memo);
      return;
    }
    std::string_view bytes = Own(std::move(walk));
    if (prev && enc.grown_from == prev->id && old->memo.size > 0 &&
        static_cast<int64_t>(bytes.size()) > old->memo.size) {
      // The old items kept their rows and blocks: the old walk is a prefix.
      Grow(bytes, old->memo, old->memo.size, &cr->memo);
    } else {
      cr->memo = Allocate(bytes);
    }
  }

  void PlaceSubviews(ColumnRef* cr, const ColumnRef* old) {
    cr->walks.clear();
    for (const ViewRef& row : cr->rows) AppendRecord(row, &cr->walks);
    if (old && old->data.size > 0 && old->walks == cr->walks) {
      cr->data = old->data;
      Keep(cr->data);
    } else {
      cr->data = Allocate(Own(cr->walks));
    }
  }

  // A view record without description: 0, rows, and the column references.
  static void AppendRecord(const ViewRef& v, std::string* out) {
    AppendVarint(0, out);
    AppendVarint(v.rows, out);
    if (v.rows > 0) AppendRefs(v, out);
  }

  static void AppendRefs(const ViewRef& v, std::string* out) {
    for (const ColumnRef& c : v.cols) {
      AppendRef(c.data, out);
      if (c.type == 'S' || c.type == 'B') {
        if (c.data.size > 0) AppendRef(c.sizes, out);
        AppendRef(c.memo, out);
      }
    }
  }

  const PlanOptions& o_;
  Allocator alloc_;
  CommitPlan plan_;
  std::vector<Item> items_;
};

}  // namespace

CommitPlan PlanCommit(const std::vector<TopLevel>& top, const PlanOptions& options) {
  return Planner(options).Run(top);
}

std::string PackedImage(const CommitPlan& plan, bool big_endian) {
  std::string image(plan.limit + 16, '\0');
  image.replace(0, 8, Header(big_endian, plan.limit + 16));
  for (const auto& [pos, bytes] : plan.writes) image.replace(pos, bytes.size(), bytes);
  image.replace(plan.limit, 16, Tails(plan.limit, plan.root));
  return image;
}

std::string Tails(int64_t skip_pos, const BlockRef& root) {
  std::string out;
  out.push_back('\x80');
  out.append(3, '\0');
  AppendBigEndian32(static_cast<uint32_t>(skip_pos), &out);
  AppendBigEndian32(0x80000000u | static_cast<uint32_t>(root.size), &out);
  AppendBigEndian32(static_cast<uint32_t>(root.pos), &out);
  return out;
}

std::string Header(bool big_endian, int64_t size) {
  std::string out = big_endian ? "LJ" : "JL";
  out.push_back('\x1a');
  out.push_back('\0');
  AppendBigEndian32(static_cast<uint32_t>(size), &out);
  return out;
}

std::string SkipBackMark(int64_t at, int64_t commit_tail) {
  std::string out;
  out.push_back('\x80');
  out.append(3, '\0');
  AppendBigEndian32(static_cast<uint32_t>(at - commit_tail - 8), &out);
  return out;
}

}  // namespace mk
