// The type and range of a data-table column, and the rules a value typed
// into it must follow. A column is Text, Whole number or Decimal number; the
// DataDictionary row keeps the type in FieldType ("S", "I", "D") and an
// optional range in Min and Max, and the table's view column gets that type.
//
// A number column keeps a measurement that was not taken apart from 0: an
// empty Whole number cell holds kNotTakenWhole, an empty Decimal number cell
// NaN. Values of data tables therefore cross through ReadFieldText and
// WriteFieldText, never through the store's plain text access.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "mk/view.h"

namespace woodtick {

class DataStore;

enum class ColumnType { kText, kWhole, kDecimal };

struct ColumnDefinition {
  std::string name;
  ColumnType type = ColumnType::kText;
  std::string min;  // "" for no lower bound; always "" for Text
  std::string max;
  bool operator==(const ColumnDefinition&) const = default;
};

// "S", "I" or "D"; and back, where any other letter is Text.
const char* TypeLetter(ColumnType type);
ColumnType TypeFromLetter(const std::string& letter);
// "Text", "Whole number", "Decimal number", as the screens offer them.
const char* TypeName(ColumnType type);

// The cell value standing for "not taken" in a Whole number column: the one
// 32-bit value no typed number can be.
inline constexpr int32_t kNotTakenWhole = std::numeric_limits<int32_t>::min();

// The number a text gives for the type: blanks around it ignored, a decimal
// comma read as a point, no exponent and no thousands separators. Nothing
// for an empty text, a text that is not such a number, or a whole number
// outside the 32-bit range (its lowest value stands for "not taken").
std::optional<double> ParseNumber(ColumnType type, const std::string& text);

// What the column allows, as the refusal names it: "a whole number",
// "a decimal number from 0 to 60", "a whole number of at least 1".
std::string AllowedText(const ColumnDefinition& column);

// Checks a typed value: nothing when it may be stored, with *stored the text
// to store ("30,1" gives "30.1"; empty stays empty); else the refusal's
// text, naming the column, the value and what is allowed.
std::optional<std::string> CheckValue(const ColumnDefinition& column, const std::string& typed,
                                      std::string* stored);

// A definition's own fault (a bound that is no number of its type, a
// minimum above the maximum, a range on a Text column): the warning, or "".
std::string CheckDefinition(const ColumnDefinition& column);

// True when the cell of a number column holds "not taken".
bool IsNotTaken(const mk::View& view, int row, int col);

// The cell as the record editor shows it: "" for "not taken".
std::string ReadFieldText(DataStore& store, int slot, int row, int col);
// Stores a checked text (CheckValue's *stored): "" as "not taken" in a
// number column. The store's answer.
int WriteFieldText(DataStore& store, int slot, int row, int col, const std::string& text);
// Sets every number cell of a new row to "not taken".
void MarkRowNotTaken(DataStore& store, int slot, int row);

}  // namespace woodtick
