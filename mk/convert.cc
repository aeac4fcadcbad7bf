#include "mk/convert.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace mk {
namespace {

size_t SkipBlanks(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                             text[i] == '\r' || text[i] == '\f' || text[i] == '\v')) {
    ++i;
  }
  return i;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Format(double value, int precision) {
  char buf[64];
  auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, precision);
  return std::string(buf, result.ptr);
}

}  // namespace

int64_t TextToLong(std::string_view text) {
  size_t i = SkipBlanks(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Accumulate as a negative number so INT64_MIN is reachable.
  int64_t value = 0;
  bool clamped = false;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    int digit = text[i] - '0';
    if (value < (std::numeric_limits<int64_t>::min() + digit) / 10) {
      clamped = true;
      break;
    }
    value = value * 10 - digit;
  }
  if (clamped) {
    return negative ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
  }
  if (negative) return value;
  return value == std::numeric_limits<int64_t>::min() ? std::numeric_limits<int64_t>::max()
                                                      : -value;
}

int32_t TextToInt(std::string_view text) {
  int64_t v = TextToLong(text);
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

double TextToReal(std::string_view text) {
  size_t i = SkipBlanks(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Only decimal notation: no "inf", "nan" or hexadecimal.
  if (i >= text.size() || !(IsDigit(text[i]) || text[i] == '.')) return 0;
  double value = 0;
  const char* first = text.data() + i;
  const char* last = text.data() + text.size();
  auto result = std::from_chars(first, last, value, std::chars_format::general);
  if (result.ec == std::errc::invalid_argument) return 0;
  if (result.ec == std::errc::result_out_of_range) {
    // Tell overflow from underflow by the sign of the exponent.
    std::string_view number(first, static_cast<size_t>(result.ptr - first));
    size_t e = number.find_first_of("eE");
    bool tiny = e != std::string_view::npos && e + 1 < number.size() && number[e + 1] == '-';
    value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
  }
  return negative ? -value : value;
}

int32_t RealToInt(double value) {
  if (std::isnan(value)) return 0;
  double v = std::trunc(value + 0.5);
  if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

int64_t RealToLong(double value) {
  if (std::isnan(value)) return 0;
  double v = std::trunc(value + 0.5);
  if (v >= 9223372036854775807.0) return std::numeric_limits<int64_t>::max();
  if (v <= -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(v);
}

std::string DoubleToText(double value) { return Format(value, 15); }

std::string FloatToText(float value) { return Format(static_cast<double>(value), 6); }

std::string LongToText(int64_t value) { return std::to_string(value); }

}  // namespace mk
