#include "mk/view.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>
#include <stdexcept>

#include "mk/column.h"
#include "mk/escape.h"
#include "mk/view_impl.h"

namespace mk {
namespace {

struct Cell {
  ViewImpl* table;
  int row;
  int col;
  const Column& column() const { return table->column(col); }
};

// A derived view's row `row` is still a row of its table.
bool RowIntact(const ViewImpl& v, int row) {
  return !v.derived() || v.TableRow(row) < v.Table()->size();
}

// A derived view's column `col` is still a column of its table, of the same type.
bool ColumnIntact(const ViewImpl& v, int col) {
  if (!v.derived()) return true;
  const ViewImpl* table = v.Table();
  int tc = v.TableCol(col);
  return tc < table->num_cols() && table->field(tc).type == v.field(col).type;
}

bool Intact(const ViewImpl& v) {
  if (!v.derived()) return true;
  for (int r = 0; r < v.size(); ++r) {
    if (!RowIntact(v, r)) return false;
  }
  for (int c = 0; c < v.num_cols(); ++c) {
    if (!ColumnIntact(v, c)) return false;
  }
  return true;
}

Cell Locate(const ViewImpl& v, int row, int col, char type) {
  if (row < 0 || row >= v.size() || col < 0 || col >= v.num_cols()) {
    throw std::out_of_range("mk::View: cell " + std::to_string(row) + "," + std::to_string(col) +
                            " outside a view of " + std::to_string(v.size()) + " rows and " +
                            std::to_string(v.num_cols()) + " columns");
  }
  if (v.field(col).type != type) {
    throw std::logic_error("mk::View: column " + Quoted(v.field(col).name) + " has type " +
                           v.field(col).type + ", not " + type);
  }
  // A derived view is a snapshot; its table may have lost rows or columns since.
  if (!RowIntact(v, row) || !ColumnIntact(v, col)) {
    throw std::out_of_range(
        "mk::View: derived view refers to a row or column its table no "
        "longer has");
  }
  return Cell{const_cast<ViewImpl&>(v).Table(), v.TableRow(row), v.TableCol(col)};
}

// Throws when a derived view refers to rows or columns its table lost.
void CheckDerived(const ViewImpl& v) {
  if (!Intact(v)) throw std::out_of_range("mk::View: derived view refers to a lost row or column");
}

// Orders two cells of the same column type; texts and bytes byte by byte.
int CompareCells(const Column& a, int ra, const Column& b, int rb) {
  switch (a.type()) {
    case 'S':
    case 'B': {
      std::string_view x = a.Text(ra), y = b.Text(rb);
      size_t n = std::min(x.size(), y.size());
      int c = n == 0 ? 0 : std::memcmp(x.data(), y.data(), n);
      if (c != 0) return c;
      return x.size() < y.size() ? -1 : x.size() > y.size() ? 1 : 0;
    }
    case 'I':
    case 'L': {
      int64_t x = static_cast<int64_t>(a.Fixed(ra)), y = static_cast<int64_t>(b.Fixed(rb));
      return x < y ? -1 : x > y ? 1 : 0;
    }
    case 'F': {
      float x = std::bit_cast<float>(static_cast<uint32_t>(a.Fixed(ra)));
      float y = std::bit_cast<float>(static_cast<uint32_t>(b.Fixed(rb)));
      return x < y ? -1 : x > y ? 1 : 0;
    }
    case 'D': {
      double x = std::bit_cast<double>(a.Fixed(ra)), y = std::bit_cast<double>(b.Fixed(rb));
      return x < y ? -1 : x > y ? 1 : 0;
    }
    default:
      return 0;
  }
}

void CheckRange(int pos, int count, int size) {
  if (count < 0 || pos < 0 || pos + count > size) {
    throw std::out_of_range("mk::View: rows " + std::to_string(pos) + "+" + std::to_string(count) +
                            " outside a view of " + std::to_string(size) + " rows");
  }
}

}  // namespace

View::View() : impl_(std::make_shared<ViewImpl>(std::vector<Field>())) {}
View::View(std::vector<Field> fields) : impl_(std::make_shared<ViewImpl>(std::move(fields))) {}
View::View(std::shared_ptr<ViewImpl> impl) : impl_(std::move(impl)) {}

View View::FromDescription(std::string_view fields) {
  std::vector<Field> parsed;
  Status s = ParseFields(fields, &parsed);
  if (!s.ok()) throw std::invalid_argument("mk::View: " + s.message());
  return View(std::move(parsed));
}

int View::GetSize() const { return impl_->size(); }
int View::NumProperties() const { return impl_->num_cols(); }

const Field& View::NthProperty(int col) const {
  if (col < 0 || col >= impl_->num_cols())
    throw std::out_of_range("mk::View: no column " + std::to_string(col));
  return impl_->field(col);
}

int View::FindPropIndexByName(std::string_view name) const { return impl_->FindField(name); }
std::string View::Description() const { return DescribeFields(impl_->fields()); }

int32_t View::GetInt(int row, int col) const {
  Cell c = Locate(*impl_, row, col, 'I');
  return static_cast<int32_t>(static_cast<uint32_t>(c.column().Fixed(c.row)));
}

int64_t View::GetLong(int row, int col) const {
  Cell c = Locate(*impl_, row, col, 'L');
  return static_cast<int64_t>(c.column().Fixed(c.row));
}

float View::GetFloat(int row, int col) const {
  Cell c = Locate(*impl_, row, col, 'F');
  return std::bit_cast<float>(static_cast<uint32_t>(c.column().Fixed(c.row)));
}

double View::GetDouble(int row, int col) const {
  Cell c = Locate(*impl_, row, col, 'D');
  return std::bit_cast<double>(c.column().Fixed(c.row));
}

std::string_view View::GetString(int row, int col) const {
  Cell c = Locate(*impl_, row, col, 'S');
  return c.column().Text(c.row);
}

std::string View::GetBytes(int row, int col) const {
  Cell c = Locate(*impl_, row, col, 'B');
  return std::string(c.column().Text(c.row));
}

View View::GetSubview(int row, int col) const {
  Cell c = Locate(*impl_, row, col, 'V');
  return View(c.table->Subview(c.row, c.col));
}

void View::SetInt(int row, int col, int32_t value) {
  Cell c = Locate(*impl_, row, col, 'I');
  c.table->MutableColumn(c.col).SetFixed(c.row, static_cast<uint64_t>(static_cast<int64_t>(value)));
}

void View::SetLong(int row, int col, int64_t value) {
  Cell c = Locate(*impl_, row, col, 'L');
  c.table->MutableColumn(c.col).SetFixed(c.row, static_cast<uint64_t>(value));
}

void View::SetFloat(int row, int col, float value) {
  Cell c = Locate(*impl_, row, col, 'F');
  c.table->MutableColumn(c.col).SetFixed(c.row, std::bit_cast<uint32_t>(value));
}

void View::SetDouble(int row, int col, double value) {
  Cell c = Locate(*impl_, row, col, 'D');
  c.table->MutableColumn(c.col).SetFixed(c.row, std::bit_cast<uint64_t>(value));
}

void View::SetString(int row, int col, std::string_view value) {
  Cell c = Locate(*impl_, row, col, 'S');
  // A text ends at its first NUL, as the file stores it.
  value = value.substr(0, std::min(value.size(), value.find('\0')));
  c.table->MutableColumn(c.col).SetText(c.row, value);
}

void View::SetBytes(int row, int col, std::string_view value) {
  Cell c = Locate(*impl_, row, col, 'B');
  c.table->MutableColumn(c.col).SetText(c.row, value);
}

void View::SetSubview(int row, int col, const View& rows) {
  Cell c = Locate(*impl_, row, col, 'V');
  std::shared_ptr<ViewImpl> sub = c.table->Subview(c.row, c.col);
  if (rows.impl_ == sub) return;
  View copy(rows.impl_->fields());
  copy.impl_->InsertCopies(0, *rows.impl_);
  sub->SetSize(0);
  sub->InsertCopies(0, *copy.impl_);
}

void View::SetSize(int rows) {
  if (rows < 0) throw std::out_of_range("mk::View: negative size");
  impl_->SetSize(rows);
}

void View::InsertEmptyRowsAt(int pos, int count) {
  CheckRange(pos, 0, GetSize());
  if (count < 0) throw std::out_of_range("mk::View: negative row count");
  impl_->InsertEmpty(pos, count);
}

void View::InsertRowsAt(int pos, const View& src) {
  CheckRange(pos, 0, GetSize());
  CheckDerived(*src.impl_);
  impl_->InsertCopies(pos, *src.impl_);
}

void View::RemoveAt(int pos, int count) {
  CheckRange(pos, count, GetSize());
  impl_->Remove(pos, count);
}

View View::Select(const View& criteria) const {
  const ViewImpl& v = *impl_;
  CheckDerived(v);
  std::vector<int> rows;
  if (criteria.GetSize() == 0) {
    rows.resize(v.size());
    std::iota(rows.begin(), rows.end(), 0);
  } else {
    // The criteria row, converted to the types of this view's columns.
    std::vector<Field> probe_fields;
    std::vector<std::pair<int, int>> matches;  // (criteria column, view column)
    for (int k = 0; k < criteria.NumProperties(); ++k) {
      int col = v.FindField(criteria.NthProperty(k).name);
      if (col < 0) continue;
      Field f = v.field(col);
      f.name = "c" + std::to_string(probe_fields.size());
      probe_fields.push_back(f);
      matches.emplace_back(k, col);
    }
    ViewImpl probe(probe_fields);
    probe.InsertEmpty(0, 1);
    for (size_t i = 0; i < matches.size(); ++i) {
      CopyCell(*criteria.impl_, 0, matches[i].first, &probe, 0, static_cast<int>(i));
    }
    for (int r = 0; r < v.size(); ++r) {
      bool all = true;
      for (size_t i = 0; i < matches.size() && all; ++i) {
        int col = matches[i].second;
        if (v.field(col).type == 'V') continue;
        const Column& column = v.Table()->column(v.TableCol(col));
        all = CompareCells(column, v.TableRow(r), probe.column(static_cast<int>(i)), 0) == 0;
      }
      if (all) rows.push_back(r);
    }
  }
  for (int& r : rows) r = v.TableRow(r);
  std::vector<int> cols(v.num_cols());
  for (int c = 0; c < v.num_cols(); ++c) cols[c] = v.TableCol(c);
  std::shared_ptr<ViewImpl> table = v.derived() ? v.table_ptr() : impl_;
  return View(std::make_shared<ViewImpl>(table, std::move(rows), std::move(cols)));
}

View View::SortOn(const std::vector<int>& sort_cols) const {
  const ViewImpl& v = *impl_;
  CheckDerived(v);
  for (int c : sort_cols) {
    if (c < 0 || c >= v.num_cols())
      throw std::out_of_range("mk::View: no sort column " + std::to_string(c));
  }
  std::vector<int> rows(v.size());
  std::iota(rows.begin(), rows.end(), 0);
  for (int& r : rows) r = v.TableRow(r);
  const ViewImpl* table = v.Table();
  std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
    for (int c : sort_cols) {
      const Column& column = table->column(v.TableCol(c));
      int order = CompareCells(column, a, column, b);
      if (order != 0) return order < 0;
    }
    return false;
  });
  std::vector<int> cols(v.num_cols());
  for (int c = 0; c < v.num_cols(); ++c) cols[c] = v.TableCol(c);
  std::shared_ptr<ViewImpl> base = v.derived() ? v.table_ptr() : impl_;
  return View(std::make_shared<ViewImpl>(base, std::move(rows), std::move(cols)));
}

View View::Project(const std::vector<int>& project_cols) const {
  const ViewImpl& v = *impl_;
  CheckDerived(v);
  std::vector<int> cols;
  for (int c : project_cols) {
    if (c < 0 || c >= v.num_cols())
      throw std::out_of_range("mk::View: no column " + std::to_string(c));
    cols.push_back(v.TableCol(c));
  }
  std::vector<int> rows(v.size());
  for (int r = 0; r < v.size(); ++r) rows[r] = v.TableRow(r);
  std::shared_ptr<ViewImpl> base = v.derived() ? v.table_ptr() : impl_;
  return View(std::make_shared<ViewImpl>(base, std::move(rows), std::move(cols)));
}

View View::Clone() const { return View(impl_->fields()); }

bool View::IsDerived() const { return impl_->derived(); }

int View::RowInBase(int row) const {
  CheckRange(row, 1, GetSize());
  return impl_->TableRow(row);
}

std::shared_ptr<const RowMark> View::MarkRow(int row) const {
  CheckRange(row, 1, GetSize());
  return impl_->MarkRow(row);
}

int View::MarkedRow(const RowMark& mark) const { return mark.RowIn(impl_->Table()); }

bool View::SameAs(const View& other) const { return impl_ == other.impl_; }

bool View::HasRow(int row) const {
  return row >= 0 && row < impl_->size() && RowIntact(*impl_, row);
}

bool View::HasCell(int row, int col) const {
  return HasRow(row) && col >= 0 && col < impl_->num_cols() && ColumnIntact(*impl_, col);
}

bool View::IsIntact() const { return Intact(*impl_); }

}  // namespace mk
