// Varints and adaptive-width integer vectors: the byte forms the format
// defines, and the edge cases a reader must refuse.
#include "mk/encoding.h"

#include <string>
#include <vector>

#include "gtest/gtest.h"

namespace mk {
namespace {

std::string Varint(int64_t v) {
  std::string out;
  AppendVarint(v, &out);
  return out;
}

bool Decode(const std::string& bytes, int64_t* v, size_t* used) {
  const char* p = bytes.data();
  bool ok = ReadVarint(bytes.data() + bytes.size(), &p, v);
  *used = static_cast<size_t>(p - bytes.data());
  return ok;
}

TEST(VarintTest, EncodesTheDocumentedForms) {
  EXPECT_EQ(Varint(0), "\x80");
  EXPECT_EQ(Varint(1), "\x81");
  EXPECT_EQ(Varint(127), "\xff");
  EXPECT_EQ(Varint(128), std::string("\x01\x80"));
  EXPECT_EQ(Varint(145), std::string("\x01\x91"));
  EXPECT_EQ(Varint(12001), std::string("\x5d\xe1"));
  EXPECT_EQ(Varint(16384), std::string("\x01\x00\x80", 3));
  EXPECT_EQ(Varint(2147483647), std::string("\x07\x7f\x7f\x7f\xff"));
  EXPECT_EQ(Varint(-1), std::string("\x00\x80", 2));
  EXPECT_EQ(Varint(-129), std::string("\x00\x01\x80", 3));
}

TEST(VarintTest, RoundTripsAndRejectsMalformedInput) {
  for (int64_t v :
       {0LL, 1LL, 127LL, 128LL, 16383LL, 16384LL, 2097151LL, 2147483647LL, -1LL, -2147483648LL}) {
    std::string bytes = Varint(v) + "tail";
    int64_t got = 0;
    size_t used = 0;
    ASSERT_TRUE(Decode(bytes, &got, &used)) << v;
    EXPECT_EQ(got, v);
    EXPECT_EQ(used, bytes.size() - 4);
  }
  int64_t v;
  size_t used;
  EXPECT_FALSE(Decode("", &v, &used));
  EXPECT_FALSE(Decode(std::string("\x01\x02", 2), &v, &used)) << "runs past the end";
  EXPECT_FALSE(Decode(std::string("\x00", 1), &v, &used)) << "sign without a number";
  EXPECT_FALSE(Decode(std::string("\x01\x01\x01\x01\x01\x80", 6), &v, &used)) << "six groups";
  EXPECT_FALSE(Decode(std::string("\x08\x00\x00\x00\x80", 5), &v, &used)) << "beyond 31 bits";
}

TEST(VectorWidthTest, SmallRowCountsUseTheSizeTable) {
  // Sizes that mark sub-byte widths for one to four rows.
  EXPECT_EQ(WidthOfVector(3, 1), 1);
  EXPECT_EQ(WidthOfVector(5, 1), 2);
  EXPECT_EQ(WidthOfVector(6, 1), 4);
  EXPECT_EQ(WidthOfVector(1, 1), 8);
  EXPECT_EQ(WidthOfVector(2, 1), 16);
  EXPECT_EQ(WidthOfVector(4, 1), 32);
  EXPECT_EQ(WidthOfVector(1, 2), 4);
  EXPECT_EQ(WidthOfVector(5, 4), 1);
  EXPECT_EQ(WidthOfVector(1, 4), 2);
  EXPECT_EQ(WidthOfVector(6, 3), 16);
  // Impossible combinations are damage, not a width.
  EXPECT_EQ(WidthOfVector(6, 2), -1);
  EXPECT_EQ(WidthOfVector(3, 4), -1);
  EXPECT_EQ(WidthOfVector(4, 5), -1);
  EXPECT_EQ(WidthOfVector(3, 7), -1);
  // Otherwise the width follows from size and rows.
  EXPECT_EQ(WidthOfVector(0, 1000), 0);
  EXPECT_EQ(WidthOfVector(1000, 1000), 8);
  EXPECT_EQ(WidthOfVector(125, 1000), 1);
  EXPECT_EQ(WidthOfVector(7, 7), 8);
  EXPECT_EQ(WidthOfVector(64, 8), 64);
  EXPECT_EQ(WidthOfVector(375, 1000), -1);
  EXPECT_EQ(WidthOfVector(1, 1000), -1) << "more rows than the bytes hold";
}

TEST(VectorTest, EncodesDocumentedSmallWidths) {
  EXPECT_EQ(EncodeVector({1}, false), std::string("\x01\x00\x00", 3));
  EXPECT_EQ(EncodeVector({15}, false), std::string("\x0f\x00\x00\x00\x00\x00", 6));
  EXPECT_EQ(EncodeVector({0, 3}, false), std::string("\x0c\x00\x00\x00\x00", 5));
  EXPECT_EQ(EncodeVector({0, 15}, false), "\xf0");
  EXPECT_EQ(EncodeVector({0, 3, 3}, false), "\x3c");
  EXPECT_EQ(EncodeVector({0, 1, 0, 1}, false), std::string("\x0a\x00\x00\x00\x00", 5));
  EXPECT_EQ(EncodeVector({0, -1}, false), std::string("\x00\xff", 2));
  EXPECT_EQ(EncodeVector({0, 0, 0}, false), "");
  EXPECT_EQ(EncodeVector({1, 2, 3}, false), std::string("\x39"));
  EXPECT_EQ(EncodeVector({300, -2}, true), std::string("\x01\x2c\xff\xfe", 4));
}

TEST(VectorTest, EveryWidthAndRowCountRoundTrips) {
  const std::vector<int32_t> samples = {0, 1, 3, 15, 127, -128, 32767, -32768, 70000, -70000};
  for (int32_t top : samples) {
    for (int rows = 1; rows <= 20; ++rows) {
      for (bool big_endian : {false, true}) {
        std::vector<int32_t> values(rows);
        for (int r = 0; r < rows; ++r) values[r] = r % 2 ? top : (top > 0 ? top / 2 : 0);
        std::string bytes = EncodeVector(values, big_endian);
        int width = WidthOfVector(static_cast<int64_t>(bytes.size()), rows);
        ASSERT_GE(width, 0) << top << " x " << rows;
        std::vector<int64_t> seen;
        ForEachEntry(bytes, width, rows, big_endian, [&](int64_t i, int64_t v) {
          EXPECT_EQ(v, VectorEntry(bytes, width, i, big_endian));
          seen.push_back(v);
          return true;
        });
        ASSERT_EQ(seen.size(), values.size());
        for (int r = 0; r < rows; ++r) EXPECT_EQ(seen[r], values[r]) << top << " x " << rows;
      }
    }
  }
}

TEST(VectorTest, PaddingBitsAreIgnored) {
  // Metakit wrote CC 1F for the 2-bit values 0,3,0,3,3.
  std::string bytes("\xcc\x1f", 2);
  int width = WidthOfVector(2, 5);
  ASSERT_EQ(width, 2);
  std::vector<int64_t> seen;
  ForEachEntry(bytes, width, 5, false, [&](int64_t, int64_t v) {
    seen.push_back(v);
    return true;
  });
  EXPECT_EQ(seen, (std::vector<int64_t>{0, 3, 0, 3, 3}));
}

}  // namespace
}  // namespace mk
