// One column of a table: its values, kept either as the encoded bytes they
// were read from (decoded on first use) or decoded. Tables share columns
// copy-on-write, and the encoded form is cached so that writing an unchanged
// column costs a comparison rather than an encoding.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mk {

class ViewImpl;

// A column's bytes as a datafile holds them. The views point into `owner`
// (a file image or the column's own encoding).
struct Encoded {
  std::shared_ptr<const std::string> owner;
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
  // narrowest form.
  std::shared_ptr<const Encoded> Encode(bool big_endian, bool anew = false) const;

 private:
  void Decode() const;
  void Change();

  char type_;
  int rows_;
  mutable bool decoded_ = true;
  mutable std::vector<uint64_t> fixed_;
  mutable std::vector<std::string> texts_;
  std::vector<std::shared_ptr<ViewImpl>> subs_;
  mutable std::shared_ptr<const Encoded> encoded_;
};

// Whether a text item of `length` bytes (NUL included) goes into a block of
// its own in a column of `rows` rows.
bool IsMemoItem(size_t length, int rows);

}  // namespace mk
