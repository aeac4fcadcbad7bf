// Small text helpers of the model: letter case in Windows-1252 and the
// number formats the tally file uses.
#pragma once

#include <string>
#include <string_view>

namespace woodtick {

// Upper or lower case of every letter, ASCII and the Windows-1252 letters
// (à and À, š and Š, ÿ and Ÿ ...); every other byte is kept.
std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);

// "%d" and "%03d".
std::string DecimalText(long long value);
std::string UnitText(int unit);

// The names of a unit's two Tally columns, "U%03dCount" and "U%03dHit".
std::string CountColumnName(int unit);
std::string HitColumnName(int unit);

// The text without leading and trailing blanks (spaces and tabs).
std::string TrimBlanks(std::string_view text);

}  // namespace woodtick
