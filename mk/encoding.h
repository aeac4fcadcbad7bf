// Low-level pieces of the datafile format: variable-length numbers and the
// adaptive-width integer vectors that hold I and F columns and text sizes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mk {

// Appends the varint form of `value` (negative values get a 00 prefix).
void AppendVarint(int64_t value, std::string* out);

// Reads one varint from [*pos, end). Returns false on an overrun, a number
// longer than five groups or one beyond 31 bits. Advances *pos on success.
bool ReadVarint(const char* end, const char** pos, int64_t* value);

// The bit width of an integer vector of `rows` entries stored in `size`
// bytes, or -1 when no width fits (a damaged column).
int WidthOfVector(int64_t size, int64_t rows);

// Entry `index` of a vector of the given width, sign-extended for widths of
// 8 bits and more, unsigned below.
int64_t VectorEntry(std::string_view data, int width, int64_t index, bool big_endian);

// Calls visit(index, value) for entries 0..rows-1 of a vector, in order,
// until it returns false. Returns whether every entry was visited. The width
// is resolved once, not per entry, for the long columns read at open.
template <typename Visit>
bool ForEachEntry(std::string_view data, int width, int64_t rows, bool big_endian, Visit visit) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(data.data());
  switch (width) {
    case 0:
      for (int64_t i = 0; i < rows; ++i) {
        if (!visit(i, int64_t{0})) return false;
      }
      return true;
    case 1:
    case 2:
    case 4: {
      const int per_byte = 8 / width, mask = (1 << width) - 1;
      for (int64_t i = 0; i < rows; ++i) {
        int shift = static_cast<int>(i % per_byte) * width;
        if (!visit(i, int64_t{(p[i / per_byte] >> shift) & mask})) return false;
      }
      return true;
    }
    case 8:
      for (int64_t i = 0; i < rows; ++i) {
        if (!visit(i, int64_t{static_cast<int8_t>(p[i])})) return false;
      }
      return true;
    case 16:
      for (int64_t i = 0; i < rows; ++i) {
        const unsigned char* q = p + 2 * i;
        uint16_t v = big_endian ? (q[0] << 8 | q[1]) : (q[1] << 8 | q[0]);
        if (!visit(i, int64_t{static_cast<int16_t>(v)})) return false;
      }
      return true;
    default:
      for (int64_t i = 0; i < rows; ++i) {
        if (!visit(i, VectorEntry(data, width, i, big_endian))) return false;
      }
      return true;
  }
}

// The narrowest vector for these values, with the padded sizes that mark
// sub-byte widths in views of one to four rows.
std::string EncodeVector(const std::vector<int32_t>& values, bool big_endian);
// The bits an entry needs: 0, 1, 2, 4, 8, 16 or 32.
int BitsNeeded(int32_t v);
// Appends the entries of a vector of `width` bits (8, 16 or 32).
void AppendVectorEntries(const std::vector<int32_t>& values, int width, bool big_endian,
                         std::string* out);

// Fixed 8-byte values (L and D columns) in the given byte order.
void AppendU64(uint64_t value, bool big_endian, std::string* out);
uint64_t ReadU64(const char* p, bool big_endian);

void AppendBigEndian32(uint32_t value, std::string* out);
uint32_t ReadBigEndian32(const char* p);

}  // namespace mk
