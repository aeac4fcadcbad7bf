#include "mk/column.h"

#include <cstring>

#include "mk/encoding.h"

namespace mk {
namespace {

bool IsFixed(char type) { return type == 'I' || type == 'L' || type == 'F' || type == 'D'; }

}  // namespace

bool Encoded::SameBytes(const Encoded& other) const {
  if (big_endian != other.big_endian || data != other.data || sizes != other.sizes ||
      memos.size() != other.memos.size()) {
    return false;
  }
  for (size_t i = 0; i < memos.size(); ++i) {
    if (memos[i].first != other.memos[i].first || memos[i].second != other.memos[i].second) {
      return false;
    }
  }
  return true;
}

bool IsMemoItem(size_t length, int rows) {
  return length > 10000 || (length > 100 && length > 1000000u / (static_cast<unsigned>(rows) + 1));
}

Column::Column(char type, int rows) : type_(type), rows_(rows) {
  if (IsFixed(type)) {
    fixed_.assign(rows, 0);
  } else if (type == 'V') {
    subs_.resize(rows);
  } else {
    texts_.resize(rows);
  }
}

Column::Column(char type, int rows, std::shared_ptr<const Encoded> encoded)
    : type_(type), rows_(rows), decoded_(false), encoded_(std::move(encoded)) {}

void Column::Decode() const {
  if (decoded_) return;
  const Encoded& e = *encoded_;
  if (type_ == 'I' || type_ == 'F') {
    fixed_.resize(rows_);
    int width = WidthOfVector(static_cast<int64_t>(e.data.size()), rows_);
    bool is_int = type_ == 'I';
    ForEachEntry(e.data, width, rows_, e.big_endian, [&](int64_t r, int64_t v) {
      int32_t low = static_cast<int32_t>(static_cast<uint32_t>(v));
      fixed_[r] =
          is_int ? static_cast<uint64_t>(static_cast<int64_t>(low)) : static_cast<uint32_t>(low);
      return true;
    });
  } else if (type_ == 'L' || type_ == 'D') {
    fixed_.assign(rows_, 0);
    if (!e.data.empty()) {
      for (int r = 0; r < rows_; ++r) fixed_[r] = ReadU64(e.data.data() + 8 * r, e.big_endian);
    }
  } else {
    texts_.assign(rows_, std::string());
    int width = WidthOfVector(static_cast<int64_t>(e.sizes.size()), rows_);
    size_t offset = 0;
    auto store = [&](int row, std::string_view item) {
      if (type_ == 'S')
        item = item.substr(0, std::min(item.size(), strnlen(item.data(), item.size())));
      texts_[row].assign(item);
    };
    if (!e.data.empty()) {
      ForEachEntry(e.sizes, width, rows_, e.big_endian, [&](int64_t r, int64_t v) {
        size_t n = static_cast<size_t>(v);
        if (n > 0) store(static_cast<int>(r), e.data.substr(offset, n));
        offset += n;
        return true;
      });
    }
    for (const auto& [row, item] : e.memos) store(row, item);
  }
  decoded_ = true;
}

void Column::Change() {
  Decode();
  encoded_.reset();
}

void Column::Reencode() { Change(); }

uint64_t Column::Fixed(int row) const {
  Decode();
  return fixed_[row];
}

std::string_view Column::Text(int row) const {
  Decode();
  return texts_[row];
}

void Column::SetFixed(int row, uint64_t bits) {
  Decode();
  if (fixed_[row] == bits) return;
  Change();
  fixed_[row] = bits;
}

void Column::SetText(int row, std::string_view text) {
  // A text ends at its NUL, as everywhere it is read.
  if (type_ == 'S') text = text.substr(0, text.find('\0'));
  Decode();
  if (texts_[row] == text) return;
  Change();
  texts_[row].assign(text);
}

void Column::Insert(int pos, int count) {
  if (count <= 0) return;
  Change();
  if (IsFixed(type_)) {
    fixed_.insert(fixed_.begin() + pos, count, 0);
  } else if (type_ == 'V') {
    subs_.insert(subs_.begin() + pos, count, nullptr);
  } else {
    texts_.insert(texts_.begin() + pos, count, std::string());
  }
  rows_ += count;
}

void Column::Remove(int pos, int count) {
  if (count <= 0) return;
  Change();
  if (IsFixed(type_)) {
    fixed_.erase(fixed_.begin() + pos, fixed_.begin() + pos + count);
  } else if (type_ == 'V') {
    subs_.erase(subs_.begin() + pos, subs_.begin() + pos + count);
  } else {
    texts_.erase(texts_.begin() + pos, texts_.begin() + pos + count);
  }
  rows_ -= count;
}

namespace {

template <typename T>
void EraseFlagged(std::vector<T>* v, const std::vector<bool>& gone) {
  size_t out = 0;
  for (size_t i = 0; i < v->size(); ++i) {
    if (!gone[i]) (*v)[out++] = std::move((*v)[i]);
  }
  v->resize(out);
}

}  // namespace

void Column::RemoveFlagged(const std::vector<bool>& gone) {
  Change();
  if (IsFixed(type_)) {
    EraseFlagged(&fixed_, gone);
    rows_ = static_cast<int>(fixed_.size());
  } else if (type_ == 'V') {
    EraseFlagged(&subs_, gone);
    rows_ = static_cast<int>(subs_.size());
  } else {
    EraseFlagged(&texts_, gone);
    rows_ = static_cast<int>(texts_.size());
  }
}

std::shared_ptr<const Encoded> Column::Encode(bool big_endian, bool anew) const {
  if (encoded_ && encoded_->big_endian == big_endian && !anew) return encoded_;
  Decode();
  auto owner = std::make_shared<std::string>();
  auto enc = std::make_shared<Encoded>();
  enc->big_endian = big_endian;
  size_t data_size = 0, sizes_size = 0;
  std::vector<std::pair<int, size_t>> memo_offsets;
  if (type_ == 'I' || type_ == 'F') {
    std::vector<int32_t> values(rows_);
    for (int r = 0; r < rows_; ++r)
      values[r] = static_cast<int32_t>(static_cast<uint32_t>(fixed_[r]));
    *owner = EncodeVector(values, big_endian);
    data_size = owner->size();
  } else if (type_ == 'L' || type_ == 'D') {
    owner->reserve(8 * static_cast<size_t>(rows_));
    for (int r = 0; r < rows_; ++r) AppendU64(fixed_[r], big_endian, owner.get());
    data_size = owner->size();
  } else {
    // Inline items first, then the sizes, then the memo items.
    std::vector<int32_t> sizes(rows_, 0);
    std::vector<int> memo_rows;
    bool text = type_ == 'S';
    for (int r = 0; r < rows_; ++r) {
      const std::string& t = texts_[r];
      if (t.empty()) continue;
      size_t length = t.size() + (text ? 1 : 0);
      if (IsMemoItem(length, rows_)) {
        memo_rows.push_back(r);
        continue;
      }
      owner->append(t);
      if (text) owner->push_back('\0');
      sizes[r] = static_cast<int32_t>(length);
    }
    data_size = owner->size();
    if (data_size > 0) owner->append(EncodeVector(sizes, big_endian));
    sizes_size = owner->size() - data_size;
    for (int r : memo_rows) {
      memo_offsets.emplace_back(r, owner->size());
      owner->append(texts_[r]);
      if (text) owner->push_back('\0');
    }
  }
  const std::string& bytes = *owner;
  std::string_view all(bytes);
  enc->data = all.substr(0, data_size);
  enc->sizes = all.substr(data_size, sizes_size);
  for (size_t i = 0; i < memo_offsets.size(); ++i) {
    size_t start = memo_offsets[i].second;
    size_t end = i + 1 < memo_offsets.size() ? memo_offsets[i + 1].second : all.size();
    enc->memos.emplace_back(memo_offsets[i].first, all.substr(start, end - start));
  }
  enc->owner = std::move(owner);
  encoded_ = std::move(enc);
  return encoded_;
}

}  // namespace mk
