#include "mk/view_impl.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "mk/convert.h"

namespace mk {
namespace {

int32_t AsInt(uint64_t bits) { return static_cast<int32_t>(static_cast<uint32_t>(bits)); }
float AsFloat(uint64_t bits) { return std::bit_cast<float>(static_cast<uint32_t>(bits)); }
double AsDouble(uint64_t bits) { return std::bit_cast<double>(bits); }
uint64_t FromInt(int32_t v) { return static_cast<uint64_t>(static_cast<int64_t>(v)); }
uint64_t FromFloat(float v) { return std::bit_cast<uint32_t>(v); }
uint64_t FromDouble(double v) { return std::bit_cast<uint64_t>(v); }

// Converts a scalar cell between the types S, I, L, F and D. Anything
// involving B (other than B to B) keeps the default.
void ConvertValue(const Column& s, int sr, Column* d, int dr) {
  char from = s.type(), to = d->type();
  if (from == to) {
    if (to == 'S' || to == 'B') {
      d->SetText(dr, s.Text(sr));
    } else {
      d->SetFixed(dr, s.Fixed(sr));
    }
    return;
  }
  if (from == 'B' || to == 'B' || from == 'V' || to == 'V') return;
  uint64_t bits = from == 'S' ? 0 : s.Fixed(sr);
  std::string_view text = from == 'S' ? s.Text(sr) : std::string_view();
  switch (to) {
    case 'S': {
      std::string t = from == 'I'   ? std::to_string(AsInt(bits))
                      : from == 'L' ? LongToText(static_cast<int64_t>(bits))
                      : from == 'F' ? FloatToText(AsFloat(bits))
                                    : DoubleToText(AsDouble(bits));
      d->SetText(dr, t);
      return;
    }
    case 'I': {
      int32_t v = from == 'S'   ? TextToInt(text)
                  : from == 'L' ? static_cast<int32_t>(static_cast<uint32_t>(bits))
                  : from == 'F' ? RealToInt(AsFloat(bits))
                                : RealToInt(AsDouble(bits));
      d->SetFixed(dr, FromInt(v));
      return;
    }
    case 'L': {
      int64_t v = from == 'S'   ? TextToLong(text)
                  : from == 'I' ? AsInt(bits)
                  : from == 'F' ? RealToLong(AsFloat(bits))
                                : RealToLong(AsDouble(bits));
      d->SetFixed(dr, static_cast<uint64_t>(v));
      return;
    }
    case 'F':
    case 'D': {
      double v = from == 'S'   ? TextToReal(text)
                 : from == 'I' ? AsInt(bits)
                 : from == 'L' ? static_cast<double>(static_cast<int64_t>(bits))
                 : from == 'F' ? AsFloat(bits)
                               : AsDouble(bits);
      d->SetFixed(dr, to == 'F' ? FromFloat(static_cast<float>(v)) : FromDouble(v));
      return;
    }
  }
}

}  // namespace

ViewImpl::ViewImpl(std::vector<Field> fields) : fields_(std::move(fields)) {
  for (const Field& f : fields_) cols_.push_back(std::make_shared<Column>(f.type, 0));
}

ViewImpl::ViewImpl(std::shared_ptr<ViewImpl> table, std::vector<int> rows, std::vector<int> cols)
    : table_(std::move(table)), row_map_(std::move(rows)), col_map_(std::move(cols)) {
  for (int c : col_map_) fields_.push_back(table_->field(c));
}

int ViewImpl::FindField(std::string_view name) const {
  for (size_t i = 0; i < fields_.size(); ++i) {
    if (SameName(fields_[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

const std::vector<Field>& ViewImpl::SubFields(int col) const {
  const Field& f = fields_[col];
  return f.recursive ? fields_ : f.subfields;
}

Column& ViewImpl::MutableColumn(int col) {
  std::shared_ptr<Column>& c = cols_[col];
  if (c.use_count() > 1) c = std::make_shared<Column>(*c);
  return *c;
}

std::shared_ptr<ViewImpl> ViewImpl::Subview(int row, int col) {
  std::shared_ptr<ViewImpl>& sub = cols_[col]->Sub(row);
  if (!sub) sub = std::make_shared<ViewImpl>(SubFields(col));
  return sub;
}

void ViewImpl::Assign(int rows, std::vector<std::shared_ptr<Column>> cols) {
  rows_ = rows;
  cols_ = std::move(cols);
  marks_.LoseAll();
}

void ViewImpl::SetSize(int rows) {
  int n = size();
  if (rows > n) {
    InsertEmpty(n, rows - n);
  } else if (rows < n) {
    Remove(rows, n - rows);
  }
}

void ViewImpl::InsertEmpty(int pos, int count) {
  if (count <= 0) return;
  if (derived()) {
    int at = table_->size();
    table_->InsertEmpty(at, count);
    for (int i = 0; i < count; ++i) AppendMapped(pos + i, at + i);
    return;
  }
  for (size_t j = 0; j < cols_.size(); ++j) MutableColumn(static_cast<int>(j)).Insert(pos, count);
  rows_ += count;
  marks_.Inserted(pos, count);
}

void ViewImpl::Remove(int pos, int count) {
  if (count <= 0) return;
  if (derived()) {
    // Removes the table rows this view shows there, in one pass over the
    // table, and renumbers the remaining entries of the map.
    std::vector<bool> gone(table_->size(), false);
    for (int i = pos; i < pos + count; ++i) gone[row_map_[i]] = true;
    row_map_.erase(row_map_.begin() + pos, row_map_.begin() + pos + count);
    std::vector<int> shift(gone.size() + 1, 0);
    for (size_t r = 0; r < gone.size(); ++r) shift[r + 1] = shift[r] + (gone[r] ? 1 : 0);
    for (int& r : row_map_) r -= shift[r];
    table_->RemoveFlagged(gone);
    return;
  }
  if (pos == 0 && count == rows_) {
    // Emptying a table: fresh columns, no need to decode the old ones.
    for (size_t j = 0; j < cols_.size(); ++j)
      cols_[j] = std::make_shared<Column>(fields_[j].type, 0);
  } else {
    for (size_t j = 0; j < cols_.size(); ++j) MutableColumn(static_cast<int>(j)).Remove(pos, count);
  }
  rows_ -= count;
  marks_.Removed(pos, count);
}

void ViewImpl::AppendMapped(int pos, int table_row) {
  row_map_.insert(row_map_.begin() + pos, table_row);
}

void ViewImpl::RemoveFlagged(const std::vector<bool>& gone) {
  for (size_t j = 0; j < cols_.size(); ++j) MutableColumn(static_cast<int>(j)).RemoveFlagged(gone);
  rows_ = 0;
  for (bool g : gone) rows_ += g ? 0 : 1;
  marks_.RemovedFlagged(gone);
}

void ViewImpl::InsertCopies(int pos, const ViewImpl& src) {
  int n = src.size();
  if (n == 0) return;
  if (src.Table() == Table()) {
    // Copying a view into itself: take the rows first.
    ViewImpl copy(src.fields());
    copy.InsertCopies(0, src);
    InsertCopies(pos, copy);
    return;
  }
  if (derived()) {
    int at = table_->size();
    table_->InsertCopies(at, src);
    for (int i = 0; i < n; ++i) AppendMapped(pos + i, at + i);
    return;
  }
  // An empty table takes whole columns of a table, shared until changed.
  bool share = rows_ == 0 && !src.derived();
  for (size_t j = 0; j < fields_.size(); ++j) {
    const Field& f = fields_[j];
    int k = src.FindField(f.name);
    if (share && k >= 0 && f.type != 'V' && src.field(k).type == f.type) {
      cols_[j] = src.cols_[k];
      continue;
    }
    MutableColumn(static_cast<int>(j)).Insert(pos, n);
    if (k < 0) continue;
    for (int i = 0; i < n; ++i) CopyCell(src, i, k, this, pos + i, static_cast<int>(j));
  }
  rows_ += n;
  marks_.Inserted(pos, n);
}

void ViewImpl::Restructure(const std::vector<Field>& fields) {
  std::vector<std::shared_ptr<Column>> cols;
  for (const Field& nf : fields) {
    int k = FindField(nf.name);
    if (k < 0) {
      cols.push_back(std::make_shared<Column>(nf.type, rows_));
      continue;
    }
    const Field& old = fields_[k];
    if (old.type == nf.type && nf.type != 'V') {
      cols.push_back(cols_[k]);
    } else if (old.type == 'V' && nf.type == 'V') {
      const std::vector<Field>& sub_fields = nf.recursive ? fields : nf.subfields;
      for (int r = 0; r < rows_; ++r) {
        if (const auto& sub = cols_[k]->Sub(r)) sub->Restructure(sub_fields);
      }
      cols.push_back(cols_[k]);
    } else {
      auto col = std::make_shared<Column>(nf.type, rows_);
      for (int r = 0; r < rows_; ++r) ConvertValue(*cols_[k], r, col.get(), r);
      cols.push_back(std::move(col));
    }
  }
  fields_ = fields;
  cols_ = std::move(cols);
}

void CopyCell(const ViewImpl& src, int src_row, int src_col, ViewImpl* dst, int dst_row,
              int dst_col) {
  const ViewImpl* table = src.Table();
  int r = src.TableRow(src_row), c = src.TableCol(src_col);
  const Column& s = table->column(c);
  if (dst->field(dst_col).type == 'V') {
    if (s.type() != 'V') return;
    const std::shared_ptr<ViewImpl>& from = s.Sub(r);
    std::shared_ptr<ViewImpl> to = dst->Subview(dst_row, dst_col);
    to->SetSize(0);
    if (from) to->InsertCopies(0, *from);
    return;
  }
  ConvertValue(s, r, &dst->MutableColumn(dst_col), dst_row);
}

}  // namespace mk
