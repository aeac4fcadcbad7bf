// One column of a table: its values, kept either as the encoded bytes they
// were read from (decoded on first use) or decoded. Tables share columns
// copy-on-write, and the encoded form is cached so that writing an unchanged
// column costs nothing. Rows appended to a column leave the encoding of the
// rows before them standing: the next encoding extends it by the new rows,
// and a commit writes only what was added.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mk {

class ViewImpl;

// Bytes that later encodings of a growing column extend in place: views of
// the first `size` bytes stay valid while more are appended.
struct GrowBuffer {
  std::unique_ptr<char[]> bytes;
  size_t size = 0;
  size_t capacity = 0;
};

// A column's bytes as a datafile holds them. The views point into `owner`
// (a file image or the column's own encoding) and, for an encoding that
// extends an earlier one, into the buffers it grew.
struct Encoded {
  Encoded();

  std::shared_ptr<const void> owner;
  std::shared_ptr<GrowBuffer> grown_data, grown_sizes, grown_memos;
  std::vector<std::shared_ptr<const void>> older_memos;  // earlier memo buffers
  uint64_t id;                                           // unique to this encoding
  uint64_t grown_from = 0;  // the id of the encoding whose data, sizes and
                            // memos are prefixes of these; 0 for none
  bool big_endian = false;
  std::string_view data;                                // I/L/F/D values, or the inline S/B items
  std::string_view sizes;                               // S/B: sizes of the inline items
  std::vector<std::pair<int, std::string_view>> memos;  // S/B: (row, item), ascending rows

  bool SameBytes(const Encoded& other) const;
};

class Column {
 public:
  // `rows` default values: 0, empty, or empty subviews.
  Column(char type, int rows);
  // Values encoded in a datafile, already checked by the reader.
  Column(char type, int rows, std::shared_ptr<const Encoded> encoded);
  // Copies share the encoded bytes; subview columns are never copied this way.
  Column(const Column&) = default;

  char type() const { return type_; }
  int rows() const { return rows_; }

  // I: the int32 sign-extended; L: the value; F and D: the bit pattern.
  uint64_t Fixed(int row) const;
  // S: the text up to its first NUL; B: the bytes.
  std::string_view Text(int row) const;
  // V: the subview of a row; null stands for an empty one.
  std::shared_ptr<ViewImpl>& Sub(int row) { return subs_[row]; }
  const std::shared_ptr<ViewImpl>& Sub(int row) const { return subs_[row]; }

  void SetFixed(int row, uint64_t bits);
  void SetText(int row, std::string_view text);
  void Insert(int pos, int count);
  void Remove(int pos, int count);
  // Removes the rows flagged in `gone` (one flag per row) in one pass.
  void RemoveFlagged(const std::vector<bool>& gone);

  // Forgets the bytes the column was read from, so that the next commit
  // writes it anew.
  void Reencode();

  // The encoded form for a file of that byte order (not for V columns),
  // cached; `anew` ignores what the column was read from and encodes the
  // narrowest form. After rows were only appended, it extends the cached
  // encoding (see Encoded::grown_from).
  std::shared_ptr<const Encoded> Encode(bool big_endian, bool anew = false) const;

 private:
  // Makes the value vectors hold every row.
  void Decode() const;
  // A value before row enc_rows_ changes: the cached encoding no longer
  // holds the column.
  void DropEncoding();
  // The cached encoding followed by the rows appended since, or null when
  // they do not fit its form.
  std::shared_ptr<const Encoded> Extend() const;

  char type_;
  int rows_;
  // The value vectors hold rows [first_, rows_); rows before first_ are
  // only in enc_ (a column read from a file and not yet used, or one that
  // was only appended to since).
  mutable int first_ = 0;
  mutable std::vector<uint64_t> fixed_;
  mutable std::vector<std::string> texts_;
  std::vector<std::shared_ptr<ViewImpl>> subs_;
  // An encoding of rows [0, enc_rows_), whose values have not changed since.
  mutable std::shared_ptr<const Encoded> enc_;
  mutable int enc_rows_ = 0;
};

// Makes `e` hold a copy of its bytes instead of pointing into its owner.
void OwnBytes(Encoded* e);

// Whether a text item of `length` bytes (NUL included) goes into a block of
// its own in a column of `rows` rows.
bool IsMemoItem(size_t length, int rows);

}  // namespace mk
