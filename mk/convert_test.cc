// Cell conversions shared by restructuring and the store.
#include "mk/convert.h"

#include <clocale>
#include <cmath>
#include <limits>

#include "gtest/gtest.h"

namespace mk {
namespace {

TEST(ConvertTest, TextToNumbersTakesTheLeadingNumber) {
  EXPECT_EQ(TextToLong(" 42abc"), 42);
  EXPECT_EQ(TextToLong("-17"), -17);
  EXPECT_EQ(TextToLong("+5"), 5);
  EXPECT_EQ(TextToLong("abc"), 0);
  EXPECT_EQ(TextToLong(""), 0);
  EXPECT_EQ(TextToLong("007"), 7);
  EXPECT_EQ(TextToLong("99999999999999999999"), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(TextToLong("-9223372036854775808"), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(TextToInt("4294967296"), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(TextToInt("-3000000000"), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(TextToReal(" 2.5e3x"), 2500.0);
  EXPECT_EQ(TextToReal("-.5"), -0.5);
  EXPECT_EQ(TextToReal("1e400"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(TextToReal("1e-400"), 0.0);
  EXPECT_EQ(TextToReal("inf"), 0.0);
  EXPECT_EQ(TextToReal("x1"), 0.0);
}

TEST(ConvertTest, RealsRoundHalfUpTowardZero) {
  EXPECT_EQ(RealToInt(2.5), 3);
  EXPECT_EQ(RealToInt(-2.7), -2);
  EXPECT_EQ(RealToInt(-0.4), 0);
  EXPECT_EQ(RealToInt(std::nan("")), 0);
  EXPECT_EQ(RealToInt(1e20), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(RealToInt(-1e20), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(RealToLong(1e12 + 0.5), 1000000000001);
  EXPECT_EQ(RealToLong(-1e30), std::numeric_limits<int64_t>::min());
}

TEST(ConvertTest, NumbersToTextIgnoreTheLocale) {
  EXPECT_EQ(DoubleToText(0.1), "0.1");
  EXPECT_EQ(DoubleToText(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(DoubleToText(1e20), "1e+20");
  EXPECT_EQ(FloatToText(2.7f), "2.7");
  EXPECT_EQ(FloatToText(1234567.891f), "1.23457e+06");
  EXPECT_EQ(LongToText(-9223372036854775807LL - 1), "-9223372036854775808");
  // A locale with a decimal comma must not leak into the texts.
  if (std::setlocale(LC_ALL, "de_DE.UTF-8")) {
    EXPECT_EQ(DoubleToText(2.5), "2.5");
    EXPECT_EQ(TextToReal("2.5"), 2.5);
    std::setlocale(LC_ALL, "C");
  }
}

}  // namespace
}  // namespace mk
