// Conversions between cell types, shared by restructuring (a column whose
// type letter changes keeps its values) and by the store's typed access.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mk {

// The leading decimal integer of a text: optional blanks, an optional sign,
// digits; 0 when there is none (" 42abc" gives 42). Clamped to the range.
int64_t TextToLong(std::string_view text);
int32_t TextToInt(std::string_view text);
// The leading floating-point number of a text (decimal notation, optional
// exponent); 0 when there is none. Independent of the locale.
double TextToReal(std::string_view text);
// A real as an integer: the value plus 0.5, truncated toward zero
// (2.5 gives 3, -2.7 gives -2, -0.4 gives 0). Clamped; NaN gives 0.
int32_t RealToInt(double value);
int64_t RealToLong(double value);
// Texts of numbers: "%.15g" for doubles, "%g" for floats, decimal integers.
std::string DoubleToText(double value);
std::string FloatToText(float value);
std::string LongToText(int64_t value);

}  // namespace mk
