#include "mk/encoding.h"

namespace mk {
namespace {

// Widths of vectors of 1 to 7 rows held in 1 to 6 bytes; 0 marks a size
// that no writer produces.
constexpr int kSmallWidths[7][6] = {
    {8, 16, 1, 32, 2, 4},  // 1 row
    {4, 8, 1, 16, 2, 0},   // 2 rows
    {2, 4, 8, 1, 0, 16},   // 3 rows
    {2, 4, 0, 8, 1, 0},    // 4 rows
    {1, 2, 4, 0, 8, 0},    // 5 rows
    {1, 2, 4, 0, 0, 8},    // 6 rows
    {1, 2, 0, 4, 0, 0},    // 7 rows
};

// Sizes that mark sub-byte widths for 1 to 4 rows, by width 1, 2, 4.
constexpr int kSpecialSizes[3][4] = {
    {3, 3, 4, 5},
    {5, 5, 1, 1},
    {6, 1, 2, 2},
};

}  // namespace

int BitsNeeded(int32_t v) {
  if (v == 0) return 0;
  if (v == 1) return 1;
  if (v >= 0 && v <= 3) return 2;
  if (v >= 0 && v <= 15) return 4;
  if (v >= -128 && v <= 127) return 8;
  if (v >= -32768 && v <= 32767) return 16;
  return 32;
}

void AppendVarint(int64_t value, std::string* out) {
  uint64_t v;
  if (value < 0) {
    out->push_back('\0');
    v = static_cast<uint64_t>(~value);
  } else {
    v = static_cast<uint64_t>(value);
  }
  char buf[10];
  int n = 0;
  do {
    buf[n++] = static_cast<char>(v & 0x7F);
    v >>= 7;
  } while (v != 0);
  buf[0] = static_cast<char>(buf[0] | 0x80);
  while (n > 0) out->push_back(buf[--n]);
}

bool ReadVarint(const char* end, const char** pos, int64_t* value) {
  const char* p = *pos;
  if (p >= end) return false;
  bool negative = false;
  if (*p == 0) {
    negative = true;
    ++p;
  }
  int64_t acc = 0;
  for (int groups = 0;; ++groups) {
    if (p >= end || groups >= 5) return false;
    uint8_t b = static_cast<uint8_t>(*p++);
    acc = acc * 128 + (b & 0x7F);
    if (acc > 0x7FFFFFFF) return false;
    if (b & 0x80) break;
  }
  *value = negative ? ~acc : acc;
  *pos = p;
  return true;
}

int WidthOfVector(int64_t size, int64_t rows) {
  if (size == 0) return 0;
  if (rows <= 0 || size < 0) return -1;
  if (rows <= 7 && size <= 6) {
    int w = kSmallWidths[rows - 1][size - 1];
    return w == 0 ? -1 : w;
  }
  int64_t w = size * 8 / rows;
  switch (w) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 16:
    case 32:
    case 64:
      return static_cast<int>(w);
    default:
      return -1;
  }
}

int64_t VectorEntry(std::string_view data, int width, int64_t index, bool big_endian) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(data.data());
  switch (width) {
    case 0:
      return 0;
    case 1:
    case 2:
    case 4: {
      int per_byte = 8 / width;
      int shift = static_cast<int>(index % per_byte) * width;
      return (p[index / per_byte] >> shift) & ((1 << width) - 1);
    }
    case 8:
      return static_cast<int8_t>(p[index]);
    case 16: {
      const unsigned char* q = p + index * 2;
      uint16_t v = big_endian ? (q[0] << 8 | q[1]) : (q[1] << 8 | q[0]);
      return static_cast<int16_t>(v);
    }
    case 32: {
      const unsigned char* q = p + index * 4;
      uint32_t v = big_endian ? (uint32_t{q[0]} << 24 | q[1] << 16 | q[2] << 8 | q[3])
                              : (uint32_t{q[3]} << 24 | q[2] << 16 | q[1] << 8 | q[0]);
      return static_cast<int32_t>(v);
    }
    default:
      return static_cast<int64_t>(ReadU64(data.data() + index * 8, big_endian));
  }
}

std::string EncodeVector(const std::vector<int32_t>& values, bool big_endian) {
  int width = 0;
  for (int32_t v : values) {
    int bits = BitsNeeded(v);
    if (bits > width) width = bits;
  }
  std::string out;
  size_t n = values.size();
  if (width == 0 || n == 0) return out;
  if (width < 8) {
    int per_byte = 8 / width;
    out.assign((n + per_byte - 1) / per_byte, '\0');
    for (size_t i = 0; i < n; ++i) {
      int shift = static_cast<int>(i % per_byte) * width;
      out[i / per_byte] = static_cast<char>(out[i / per_byte] | (values[i] << shift));
    }
    if (n <= 4) {
      int index = width == 1 ? 0 : width == 2 ? 1 : 2;
      out.resize(kSpecialSizes[index][n - 1], '\0');
    }
    return out;
  }
  AppendVectorEntries(values, width, big_endian, &out);
  return out;
}

void AppendVectorEntries(const std::vector<int32_t>& values, int width, bool big_endian,
                         std::string* out) {
  int bytes = width / 8;
  size_t at = out->size();
  out->resize(at + values.size() * bytes);
  for (size_t i = 0; i < values.size(); ++i) {
    uint32_t v = static_cast<uint32_t>(values[i]);
    for (int b = 0; b < bytes; ++b) {
      int shift = big_endian ? (bytes - 1 - b) * 8 : b * 8;
      (*out)[at + i * bytes + b] = static_cast<char>((v >> shift) & 0xFF);
    }
  }
}

void AppendU64(uint64_t value, bool big_endian, std::string* out) {
  for (int b = 0; b < 8; ++b) {
    int shift = big_endian ? (7 - b) * 8 : b * 8;
    out->push_back(static_cast<char>((value >> shift) & 0xFF));
  }
}

uint64_t ReadU64(const char* p, bool big_endian) {
  uint64_t v = 0;
  for (int b = 0; b < 8; ++b) {
    uint64_t byte = static_cast<unsigned char>(p[b]);
    v |= byte << (big_endian ? (7 - b) * 8 : b * 8);
  }
  return v;
}

void AppendBigEndian32(uint32_t value, std::string* out) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<char>(value >> shift));
}

uint32_t ReadBigEndian32(const char* p) {
  const unsigned char* q = reinterpret_cast<const unsigned char*>(p);
  return uint32_t{q[0]} << 24 | uint32_t{q[1]} << 16 | uint32_t{q[2]} << 8 | q[3];
}

}  // namespace mk
