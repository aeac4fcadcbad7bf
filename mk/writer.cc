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
  std::vector<std::pair<int64_t, int64_t>> used = LiveRanges(*o.old);
  used.insert(used.end(), o.reserved.begin(), o.reserved.end());
  std::sort(used.begin(), used.end());
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
  if (!o.old) return 8;
  int64_t start = o.old->end - o.old->base;
  for (const auto& r : o.reserved) start = std::max(start, r.second);
  return start;
}

class Planner {
 public:
  explicit Planner(const PlanOptions& o)
      : o_(o), alloc_(o.old ? FreeRanges(o) : std::vector<std::pair<int64_t, int64_t>>(),
                      GrowthStart(o)) {}

  CommitPlan Run(const std::vector<std::string>& names,
                 const std::vector<std::shared_ptr<ViewImpl>>& views) {
    std::vector<Field> fields;
    for (size_t i = 0; i < views.size(); ++i) {
      fields.push_back(Field{names[i], 'V', views[i]->fields(), false});
    }
    const ViewRef* old_top = o_.old ? &o_.old->top : nullptr;
    plan_.top.fields = fields;
    plan_.top.rows = 1;
    std::string walk;
    walk.push_back('\x80');
    std::string desc = DescribeFields(fields);
    AppendVarint(static_cast<int64_t>(desc.size()), &walk);
    walk += desc;
    walk.push_back('\x81');
    for (size_t i = 0; i < views.size(); ++i) {
      const ColumnRef* old = FindOld(old_top, fields[i]);
      ColumnRef cr;
      cr.type = 'V';
      cr.rows.resize(1);
      const ViewRef* old_view = old && !old->rows.empty() ? &old->rows[0] : nullptr;
      PlanView(*views[i], old_view, &cr.walks, &cr.rows[0]);
      cr.data = PlaceOrKeep(cr.walks, old ? &old->data : nullptr, old ? old->walks : "", true);
      AppendRef(cr.data, &walk);
      plan_.top.cols.push_back(std::move(cr));
    }
    plan_.root_walk = walk;
    if (o_.old && o_.old->root_walk == walk) {
      plan_.root = o_.old->root;
      Keep(plan_.root);
    } else {
      plan_.root = Place(Own(walk));
    }
    return std::move(plan_);
  }

 private:
  static const ColumnRef* FindOld(const ViewRef* old, const Field& f) {
    if (!old) return nullptr;
    for (size_t i = 0; i < old->fields.size() && i < old->cols.size(); ++i) {
      if (old->fields[i].type == f.type && SameName(old->fields[i].name, f.name)) return &old->cols[i];
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

  BlockRef Place(std::string_view bytes) {
    if (bytes.empty()) return BlockRef{};
    BlockRef r{static_cast<int64_t>(bytes.size()), alloc_.Allocate(static_cast<int64_t>(bytes.size()))};
    plan_.writes.emplace_back(r.pos, bytes);
    Keep(r);
    return r;
  }

  // The old block when it holds the same bytes, else a new one. `copy`
  // when `bytes` do not outlive the plan.
  BlockRef PlaceOrKeep(std::string_view bytes, const BlockRef* old, std::string_view old_bytes,
                       bool copy) {
    if (old && old->size > 0 && old_bytes == bytes) {
      Keep(*old);
      return *old;
    }
    return Place(copy ? Own(std::string(bytes)) : bytes);
  }

  void PlanView(const ViewImpl& table, const ViewRef* old, std::string* record, ViewRef* ref) {
    AppendVarint(0, record);
    AppendVarint(table.size(), record);
    ref->fields = table.fields();
    ref->rows = table.size();
    if (table.size() == 0) return;
    for (int j = 0; j < table.num_cols(); ++j) {
      const Field& f = table.field(j);
      const ColumnRef* old_col = FindOld(old, f);
      ColumnRef cr;
      cr.type = f.type;
      if (f.type == 'V') {
        PlanSubviews(table, j, old_col, &cr);
      } else {
        PlanData(table.column(j), old_col, &cr);
      }
      AppendRef(cr.data, record);
      if (f.type == 'S' || f.type == 'B') {
        if (cr.data.size > 0) AppendRef(cr.sizes, record);
        AppendRef(cr.memo, record);
      }
      ref->cols.push_back(std::move(cr));
    }
  }

  void PlanSubviews(const ViewImpl& table, int col, const ColumnRef* old, ColumnRef* cr) {
    const Column& column = table.column(col);
    cr->rows.resize(table.size());
    ViewImpl empty(table.SubFields(col));
    for (int r = 0; r < table.size(); ++r) {
      const ViewImpl* sub = column.Sub(r) ? column.Sub(r).get() : &empty;
      const ViewRef* old_sub = old && r < static_cast<int>(old->rows.size()) ? &old->rows[r] : nullptr;
      PlanView(*sub, old_sub, &cr->walks, &cr->rows[r]);
    }
    cr->data = PlaceOrKeep(cr->walks, old ? &old->data : nullptr, old ? old->walks : "", true);
  }

  void PlanData(const Column& column, const ColumnRef* old, ColumnRef* cr) {
    std::shared_ptr<const Encoded> enc = column.Encode(o_.big_endian, o_.reencode);
    cr->encoded = enc;
    const Encoded* prev = old ? old->encoded.get() : nullptr;
    if (prev && (prev == enc.get() || prev->SameBytes(*enc))) {
      // Unchanged: keep every block.
      cr->data = old->data;
      cr->sizes = old->sizes;
      cr->memo = old->memo;
      cr->memo_items = old->memo_items;
      cr->encoded = old->encoded;
      Keep(cr->data);
      Keep(cr->sizes);
      Keep(cr->memo);
      for (const BlockRef& r : cr->memo_items) Keep(r);
      return;
    }
    // Memo items first, each kept when the same row held the same item.
    size_t k = 0;
    for (const auto& [row, item] : enc->memos) {
      while (prev && k < prev->memos.size() && prev->memos[k].first < row) ++k;
      bool same = prev && k < prev->memos.size() && prev->memos[k].first == row;
      cr->memo_items.push_back(PlaceOrKeep(item, same ? &old->memo_items[k] : nullptr,
                                           same ? prev->memos[k].second : "", false));
    }
    cr->data = PlaceOrKeep(enc->data, prev ? &old->data : nullptr, prev ? prev->data : "", false);
    cr->sizes = PlaceOrKeep(enc->sizes, prev ? &old->sizes : nullptr, prev ? prev->sizes : "", false);
    if (!enc->memos.empty()) {
      std::string walk;
      int last = -1;
      for (size_t i = 0; i < enc->memos.size(); ++i) {
        AppendVarint(enc->memos[i].first - last - 1, &walk);
        last = enc->memos[i].first;
        AppendRef(cr->memo_items[i], &walk);
      }
      bool same = prev && prev->memos.size() == enc->memos.size() && old->memo_items == cr->memo_items;
      for (size_t i = 0; same && i < enc->memos.size(); ++i) {
        same = prev->memos[i].first == enc->memos[i].first;
      }
      if (same && old->memo.size > 0) {
        cr->memo = old->memo;
        Keep(cr->memo);
      } else {
        cr->memo = Place(Own(std::move(walk)));
      }
    }
    // The plan keeps the encoding alive for the writes that point into it.
    plan_.owned.push_back(enc->owner);
  }

  const PlanOptions& o_;
  Allocator alloc_;
  CommitPlan plan_;
};

}  // namespace

CommitPlan PlanCommit(const std::vector<std::string>& names,
                      const std::vector<std::shared_ptr<ViewImpl>>& views,
                      const PlanOptions& options) {
  return Planner(options).Run(names, views);
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
