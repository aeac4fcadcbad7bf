#include "mk/column.h"

#include <algorithm>
#include <atomic>
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
    : type_(type), rows_(rows), first_(rows), enc_(std::move(encoded)), enc_rows_(rows) {}

void Column::Decode() const {
  if (first_ == 0) return;
  const Encoded& e = *enc_;
  const int n = first_;
  if (IsFixed(type_)) {
    std::vector<uint64_t> head(n, 0);
    if (type_ == 'I' || type_ == 'F') {
      int width = WidthOfVector(static_cast<int64_t>(e.data.size()), n);
      bool is_int = type_ == 'I';
      ForEachEntry(e.data, width, n, e.big_endian, [&](int64_t r, int64_t v) {
        int32_t low = static_cast<int32_t>(static_cast<uint32_t>(v));
        head[r] =
            is_int ? static_cast<uint64_t>(static_cast<int64_t>(low)) : static_cast<uint32_t>(low);
        return true;
      });
    } else if (!e.data.empty()) {
      for (int r = 0; r < n; ++r) head[r] = ReadU64(e.data.data() + 8 * r, e.big_endian);
    }
    head.insert(head.end(), fixed_.begin(), fixed_.end());
    fixed_ = std::move(head);
  } else {
    std::vector<std::string> head(n);
    int width = WidthOfVector(static_cast<int64_t>(e.sizes.size()), n);
    size_t offset = 0;
    auto store = [&](int row, std::string_view item) {
      if (type_ == 'S')
        item = item.substr(0, std::min(item.size(), strnlen(item.data(), item.size())));
      head[row].assign(item);
    };
    if (!e.data.empty()) {
      ForEachEntry(e.sizes, width, n, e.big_endian, [&](int64_t r, int64_t v) {
        size_t size = static_cast<size_t>(v);
        if (size > 0) store(static_cast<int>(r), e.data.substr(offset, size));
        offset += size;
        return true;
      });
    }
    for (const auto& [row, item] : e.memos) store(row, item);
    for (std::string& t : texts_) head.push_back(std::move(t));
    texts_ = std::move(head);
  }
  first_ = 0;
}

void Column::DropEncoding() {
  Decode();
  enc_.reset();
  enc_rows_ = 0;
}

void Column::Reencode() { DropEncoding(); }

uint64_t Column::Fixed(int row) const {
  if (row < first_) Decode();
  return fixed_[row - first_];
}

std::string_view Column::Text(int row) const {
  if (row < first_) Decode();
  return texts_[row - first_];
}

void Column::SetFixed(int row, uint64_t bits) {
  if (row < first_) Decode();
  if (fixed_[row - first_] == bits) return;
  if (row < enc_rows_) DropEncoding();
  fixed_[row - first_] = bits;
}

void Column::SetText(int row, std::string_view text) {
  // A text ends at its NUL, as everywhere it is read.
  if (type_ == 'S') text = text.substr(0, text.find('\0'));
  if (row < first_) Decode();
  if (texts_[row - first_] == text) return;
  if (row < enc_rows_) DropEncoding();
  texts_[row - first_].assign(text);
}

void Column::Insert(int pos, int count) {
  if (count <= 0) return;
  // Rows inserted after the encoded ones keep that encoding standing.
  if (pos < enc_rows_ || pos < first_) DropEncoding();
  int at = pos - first_;
  if (IsFixed(type_)) {
    fixed_.insert(fixed_.begin() + at, count, 0);
  } else if (type_ == 'V') {
    subs_.insert(subs_.begin() + pos, count, nullptr);
  } else {
    texts_.insert(texts_.begin() + at, count, std::string());
  }
  rows_ += count;
}

void Column::Remove(int pos, int count) {
  if (count <= 0) return;
  if (pos < enc_rows_ || pos < first_) DropEncoding();
  int at = pos - first_;
  if (IsFixed(type_)) {
    fixed_.erase(fixed_.begin() + at, fixed_.begin() + at + count);
  } else if (type_ == 'V') {
    subs_.erase(subs_.begin() + pos, subs_.begin() + pos + count);
  } else {
    texts_.erase(texts_.begin() + at, texts_.begin() + at + count);
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
  DropEncoding();
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

namespace {

// Encodings are told apart by number, not address: an extension must only
// ever be taken for growth of the very encoding it extends.
std::atomic<uint64_t> next_encoding_id{1};

// Columns of fewer rows re-encode whole, which is cheap. (An extension keeps
// old items inline or memo as they were; the memo threshold only decides
// for new items.)
constexpr int kExtendFrom = 256;

// The first `keep` bytes of `base` followed by `more`, contiguous: written
// in place when `base` ends where the buffer's bytes end and there is
// room, else copied into a new buffer with room to grow. Bytes of `base`
// past `keep` are rewritten only where `more` repeats what earlier rows
// read from them (the last byte of a vector of sub-byte entries).
std::string_view Grow(std::shared_ptr<GrowBuffer>* buf, std::string_view base, size_t keep,
                      std::string_view more) {
  GrowBuffer* b = buf->get();
  size_t size = keep + more.size();
  if (b && !base.empty() && base.data() + base.size() == b->bytes.get() + b->size &&
      static_cast<size_t>(base.data() - b->bytes.get()) + size <= b->capacity) {
    char* at = const_cast<char*>(base.data()) + keep;
    std::memcpy(at, more.data(), more.size());
    b->size = static_cast<size_t>(at - b->bytes.get()) + more.size();
    return std::string_view(base.data(), size);
  }
  auto fresh = std::make_shared<GrowBuffer>();
  fresh->capacity = size + size / 8 + 4096;
  fresh->bytes.reset(new char[fresh->capacity]);
  if (keep > 0) std::memcpy(fresh->bytes.get(), base.data(), keep);
  if (!more.empty()) std::memcpy(fresh->bytes.get() + keep, more.data(), more.size());
  fresh->size = size;
  *buf = std::move(fresh);
  return std::string_view((*buf)->bytes.get(), size);
}

// A vector of `n0` entries of `width` bits (1 to 32) followed by `values`.
std::string_view GrowVector(std::shared_ptr<GrowBuffer>* buf, std::string_view base, int64_t n0,
                            int width, const std::vector<int32_t>& values, bool big_endian) {
  std::string more;
  if (width >= 8) {
    AppendVectorEntries(values, width, big_endian, &more);
    return Grow(buf, base, base.size(), more);
  }
  // Sub-byte entries: the last byte may hold the first new entries too.
  const int per_byte = 8 / width;
  const size_t keep = static_cast<size_t>(n0 / per_byte);
  const int64_t n1 = n0 + static_cast<int64_t>(values.size());
  more.assign(static_cast<size_t>((n1 + per_byte - 1) / per_byte) - keep, '\0');
  if (n0 % per_byte != 0) {
    // Only the bits of the old entries are kept: the bits past them are
    // read by no row, and a save that was interrupted or failed may have
    // left its own entries there.
    const unsigned used = static_cast<unsigned>(n0 % per_byte) * static_cast<unsigned>(width);
    more[0] = static_cast<char>(static_cast<unsigned char>(base[keep]) & ((1u << used) - 1));
  }
  for (size_t i = 0; i < values.size(); ++i) {
    int64_t j = n0 + static_cast<int64_t>(i);
    int shift = static_cast<int>(j % per_byte) * width;
    char& byte = more[static_cast<size_t>(j / per_byte) - keep];
    byte = static_cast<char>(byte | (values[i] << shift));
  }
  return Grow(buf, base, keep, more);
}

// A memo item of an extension, kept in the encoding's memo buffer; a full
// buffer is kept alive for the items in it and a larger one started.
std::string_view AddMemo(Encoded* e, std::string_view item, bool nul) {
  size_t n = item.size() + (nul ? 1 : 0);
  GrowBuffer* b = e->grown_memos.get();
  if (!b || b->capacity - b->size < n) {
    if (b) e->older_memos.push_back(e->grown_memos);
    auto fresh = std::make_shared<GrowBuffer>();
    fresh->capacity = std::max<size_t>(n, b ? 2 * b->capacity : 4096);
    fresh->bytes.reset(new char[fresh->capacity]);
    e->grown_memos = std::move(fresh);
    b = e->grown_memos.get();
  }
  char* at = b->bytes.get() + b->size;
  std::memcpy(at, item.data(), item.size());
  if (nul) at[item.size()] = '\0';
  b->size += n;
  return std::string_view(at, n);
}

}  // namespace

Encoded::Encoded() : id(next_encoding_id.fetch_add(1)) {}

void OwnBytes(Encoded* e) {
  auto copy = std::make_shared<std::string>();
  size_t total = e->data.size() + e->sizes.size();
  for (const auto& m : e->memos) total += m.second.size();
  copy->reserve(total);
  copy->append(e->data).append(e->sizes);
  for (const auto& m : e->memos) copy->append(m.second);
  std::string_view all(*copy);
  e->data = all.substr(0, e->data.size());
  e->sizes = all.substr(e->data.size(), e->sizes.size());
  size_t at = e->data.size() + e->sizes.size();
  for (auto& m : e->memos) {
    m.second = all.substr(at, m.second.size());
    at += m.second.size();
  }
  e->owner = std::move(copy);
}

std::shared_ptr<const Encoded> Column::Extend() const {
  const int n0 = enc_rows_, n1 = rows_;
  if (!enc_ || n0 < kExtendFrom || n1 <= n0 || type_ == 'V') return nullptr;
  const Encoded& b = *enc_;
  const bool be = b.big_endian;
  auto e = std::make_shared<Encoded>();
  e->grown_data = b.grown_data;
  e->grown_sizes = b.grown_sizes;
  e->grown_memos = b.grown_memos;
  e->older_memos = b.older_memos;
  e->grown_from = b.id;
  e->big_endian = be;
  e->memos = b.memos;
  if (!b.grown_memos) {
    // The first extension takes every byte into buffers of its own, so that
    // the file image it was read from can go once nothing else needs it.
    for (auto& [row, item] : e->memos) item = AddMemo(e.get(), item, false);
  }
  std::string more;
  if (type_ == 'L' || type_ == 'D') {
    if (b.data.size() != 8 * static_cast<size_t>(n0)) return nullptr;
    for (int r = n0; r < n1; ++r) AppendU64(fixed_[r - first_], be, &more);
    e->data = Grow(&e->grown_data, b.data, b.data.size(), more);
    return e;
  }
  if (type_ == 'I' || type_ == 'F') {
    int width = WidthOfVector(static_cast<int64_t>(b.data.size()), n0);
    if (width <= 0) return nullptr;
    std::vector<int32_t> values;
    for (int r = n0; r < n1; ++r) {
      values.push_back(static_cast<int32_t>(static_cast<uint32_t>(fixed_[r - first_])));
      if (BitsNeeded(values.back()) > width) return nullptr;
    }
    e->data = GrowVector(&e->grown_data, b.data, n0, width, values, be);
    return e;
  }
  int width = WidthOfVector(static_cast<int64_t>(b.sizes.size()), n0);
  if (b.data.empty() || width <= 0) return nullptr;
  const bool text = type_ == 'S';
  std::vector<int32_t> sizes;
  std::vector<std::pair<int, std::string_view>> memos;
  for (int r = n0; r < n1; ++r) {
    const std::string& t = texts_[r - first_];
    size_t length = t.empty() ? 0 : t.size() + (text ? 1 : 0);
    if (length > 0 && IsMemoItem(length, n1)) {
      memos.emplace_back(r, t);
      length = 0;
    } else if (length > 0) {
      more += t;
      if (text) more.push_back('\0');
    }
    sizes.push_back(static_cast<int32_t>(length));
    if (BitsNeeded(sizes.back()) > width) return nullptr;
  }
  for (const auto& [row, item] : memos) e->memos.emplace_back(row, AddMemo(e.get(), item, text));
  e->data = Grow(&e->grown_data, b.data, b.data.size(), more);
  e->sizes = GrowVector(&e->grown_sizes, b.sizes, n0, width, sizes, be);
  return e;
}

std::shared_ptr<const Encoded> Column::Encode(bool big_endian, bool anew) const {
  if (enc_ && enc_->big_endian == big_endian && !anew) {
    if (enc_rows_ == rows_) return enc_;
    if (std::shared_ptr<const Encoded> e = Extend()) {
      enc_ = std::move(e);
      enc_rows_ = rows_;
      if (first_ > 0) {
        // Only appended to since read: the encoding holds every row again.
        first_ = rows_;
        fixed_.clear();
        texts_.clear();
      }
      return enc_;
    }
  }
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
  enc_ = std::move(enc);
  enc_rows_ = rows_;
  return enc_;
}

}  // namespace mk
