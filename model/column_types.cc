#include "model/column_types.h"

#include <cmath>
#include <cstdlib>

#include "mk/convert.h"
#include "model/table_definitions.h"
#include "store/data_store.h"

namespace woodtick {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits with at most one decimal mark among them (none for whole numbers),
// after an optional sign; at least one digit.
bool WellFormed(const std::string& text, bool decimal) {
  size_t at = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
  int digits = 0, marks = 0;
  for (; at < text.size(); ++at) {
    if (IsDigit(text[at])) {
      ++digits;
    } else if (decimal && text[at] == '.' && marks == 0) {
      ++marks;
    } else {
      return false;
    }
  }
  return digits > 0;
}

std::string ColumnTypeWords(ColumnType type) {
  return type == ColumnType::kWhole ? "a whole number" : "a decimal number";
}

}  // namespace

const char* TypeLetter(ColumnType type) {
  switch (type) {
    case ColumnType::kWhole:
      return "I";
    case ColumnType::kDecimal:
      return "D";
    default:
      return "S";
  }
}

ColumnType TypeFromLetter(const std::string& letter) {
  if (letter == "I") return ColumnType::kWhole;
  if (letter == "D") return ColumnType::kDecimal;
  return ColumnType::kText;
}

const char* TypeName(ColumnType type) {
  switch (type) {
    case ColumnType::kWhole:
      return "Whole number";
    case ColumnType::kDecimal:
      return "Decimal number";
    default:
      return "Text";
  }
}

std::optional<double> ParseNumber(ColumnType type, const std::string& text) {
  if (type == ColumnType::kText) return std::nullopt;
  std::string number = TrimBlanks(text);
  for (char& c : number) {
    if (c == ',') c = '.';
  }
  if (!WellFormed(number, type == ColumnType::kDecimal)) return std::nullopt;
  const double value = std::strtod(number.c_str(), nullptr);
  if (!std::isfinite(value)) return std::nullopt;
  if (type == ColumnType::kWhole &&
      (value <= kNotTakenWhole || value > std::numeric_limits<int32_t>::max())) {
    return std::nullopt;
  }
  return value;
}

std::string AllowedText(const ColumnDefinition& column) {
  if (column.type == ColumnType::kText) return "any text";
  std::string words = ColumnTypeWords(column.type);
  if (!column.min.empty() && !column.max.empty()) {
    return words + " from " + column.min + " to " + column.max;
  }
  if (!column.min.empty()) return words + " of at least " + column.min;
  if (!column.max.empty()) return words + " of at most " + column.max;
  return words;
}

std::optional<std::string> CheckValue(const ColumnDefinition& column, const std::string& typed,
                                      std::string* stored) {
  const std::string trimmed = TrimBlanks(typed);
  if (column.type == ColumnType::kText || trimmed.empty()) {
    // Text is kept as typed; an empty number is a measurement not taken.
    *stored = column.type == ColumnType::kText ? typed : std::string();
    return std::nullopt;
  }
  const std::optional<double> value = ParseNumber(column.type, trimmed);
  const std::optional<double> min = ParseNumber(column.type, column.min);
  const std::optional<double> max = ParseNumber(column.type, column.max);
  if (value && (!min || *value >= *min) && (!max || *value <= *max)) {
    *stored = column.type == ColumnType::kWhole ? mk::LongToText(static_cast<int64_t>(*value))
                                                : mk::DoubleToText(*value);
    return std::nullopt;
  }
  return "The value '" + typed + "' does not fit the column " + column.name + ", which takes " +
         AllowedText(column) + ".";
}

std::string CheckDefinition(const ColumnDefinition& column) {
  if (column.type == ColumnType::kText) {
    if (column.min.empty() && column.max.empty()) return "";
    return "The column " + column.name + " is Text and cannot have a minimum or maximum.";
  }
  for (const std::string* bound : {&column.min, &column.max}) {
    if (!bound->empty() && !ParseNumber(column.type, *bound)) {
      return "The column " + column.name + " takes " + ColumnTypeWords(column.type) + ": '" +
             *bound + "' cannot be its minimum or maximum.";
    }
  }
  if (!column.min.empty() && !column.max.empty() &&
      *ParseNumber(column.type, column.min) > *ParseNumber(column.type, column.max)) {
    return "The minimum of the column " + column.name + " is above its maximum.";
  }
  return "";
}

bool IsNotTaken(const mk::View& view, int row, int col) {
  if (!view.HasCell(row, col)) return false;
  switch (view.NthProperty(col).type) {
    case 'I':
      return view.GetInt(row, col) == kNotTakenWhole;
    case 'D':
      return std::isnan(view.GetDouble(row, col));
    default:
      return false;
  }
}

std::string ReadFieldText(DataStore& store, int slot, int row, int col) {
  std::string text;
  if (!IsNotTaken(store.View(slot), row, col)) store.GetString(slot, row, col, &text);
  return text;
}

int WriteFieldText(DataStore& store, int slot, int row, int col, const std::string& text) {
  mk::View view = store.View(slot);
  if (text.empty() && view.HasCell(row, col)) {
    switch (view.NthProperty(col).type) {
      case 'I':
        view.SetInt(row, col, kNotTakenWhole);
        return kStoreOk;
      case 'D':
        view.SetDouble(row, col, std::nan(""));
        return kStoreOk;
      default:
        break;
    }
  }
  return store.SetString(slot, row, col, text);
}

void MarkRowNotTaken(DataStore& store, int slot, int row) {
  const mk::View view = store.View(slot);
  for (int col = 0; col < view.NumProperties(); ++col) {
    const char type = view.NthProperty(col).type;
    if (type == 'I' || type == 'D') WriteFieldText(store, slot, row, col, "");
  }
}

}  // namespace woodtick
