#include "model/population_import.h"

#include <algorithm>
#include <array>
#include <map>

#include "mk/convert.h"
#include "model/population_rules.h"
#include "model/table_definitions.h"
#include "platform/windows_1252.h"
#include "store/data_store.h"

namespace woodtick {
namespace {

constexpr std::array<const char*, 6> kColumns = {"Key",  "Label", "Desc",
                                                 "Meth", "Freq",  "DatTable"};

// UTF-8 to the file's character set; false for a byte sequence that is not
// UTF-8 or a character the set cannot hold.
bool ToWindows1252(const std::string& utf8, std::string* out) {
  out->clear();
  for (size_t at = 0; at < utf8.size();) {
    const unsigned char lead = static_cast<unsigned char>(utf8[at]);
    int extra = lead < 0x80         ? 0
                : (lead >> 5) == 6  ? 1
                : (lead >> 4) == 14 ? 2
                : (lead >> 3) == 30 ? 3
                                    : -1;
    if (extra < 0 || at + extra >= utf8.size() + (extra == 0 ? 1 : 0)) return false;
    char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      const unsigned char next = static_cast<unsigned char>(utf8[at + k]);
      if ((next >> 6) != 2) return false;
      c = (c << 6) | (next & 0x3F);
    }
    at += extra + 1;
    const int byte = Windows1252ByteOf(c);
    if (byte < 0) return false;
    out->push_back(static_cast<char>(byte));
  }
  return true;
}

// The row's problems, "" when it may be imported; `keys` holds the keys
// taken so far.
std::string RowProblems(const ImportedPopulation& p, const std::string& freq_text,
                        const std::string& tables, const std::vector<std::string>& keys) {
  std::vector<std::string> problems;
  if (!IsHotKeyCharacter(p.key)) {
    problems.push_back("the key '" + p.key + "' is not one letter or digit");
  } else if (FindSameKey(keys, p.key) >= 0) {
    problems.push_back("the key " + p.key +
                       " is already used (upper and lower case count as the same key)");
  }
  if (p.label.empty()) problems.push_back("the label is empty");
  if (!IsMethodLetter(p.meth)) {
    problems.push_back("the method '" + p.meth + "' is not blank, C, S, R, B, P or A");
  }
  if (!freq_text.empty() && !ReadFrequency(freq_text)) {
    problems.push_back("the frequency '" + freq_text + "' is not a positive number");
  }
  switch (ClassifyDataTable(tables, p.dat_table)) {
    case DataTableName::kNone:
    case DataTableName::kListed:
      break;
    case DataTableName::kReserved:
      problems.push_back("the data table '" + p.dat_table +
                         "' is reserved for one of Woodtick's own tables");
      break;
    case DataTableName::kUnknown:
      problems.push_back("the data table '" + p.dat_table + "' does not exist");
      break;
  }
  std::string joined;
  for (const std::string& problem : problems) joined += (joined.empty() ? "" : "; ") + problem;
  return joined;
}

}  // namespace

bool ParseCsv(const std::string& text, std::vector<std::vector<std::string>>* rows,
              std::string* error) {
  rows->clear();
  std::vector<std::string> row;
  std::string field;
  bool quoted = false, after_quote = false, row_started = false;
  size_t line = 1;
  auto end_row = [&] {
    row.push_back(std::move(field));
    rows->push_back(std::move(row));
    row.clear();
    field.clear();
    row_started = after_quote = false;
  };
  for (size_t at = 0; at < text.size(); ++at) {
    const char c = text[at];
    if (quoted) {
      if (c == '"' && at + 1 < text.size() && text[at + 1] == '"') {
        field.push_back('"');
        ++at;
      } else if (c == '"') {
        quoted = false;
        after_quote = true;
      } else {
        if (c == '\n') ++line;
        field.push_back(c);
      }
      continue;
    }
    if (c == ',') {
      row.push_back(std::move(field));
      field.clear();
      after_quote = false;
      row_started = true;
    } else if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n') {
      continue;
    } else if (c == '\n' || c == '\r') {
      end_row();
      ++line;
    } else if (after_quote) {
      *error = "line " + std::to_string(line) + ": text after a closing quote";
      return false;
    } else if (c == '"' && field.empty()) {
      quoted = true;
      row_started = true;
    } else {
      field.push_back(c);
      row_started = true;
    }
  }
  if (quoted) {
    *error = "line " + std::to_string(line) + ": a quote is never closed";
    return false;
  }
  if (row_started || !field.empty()) end_row();
  return true;
}

PopulationImport PlanPopulationImport(DataStore& store, int tally_slot, const std::string& csv) {
  PopulationImport plan;
  std::vector<std::vector<std::string>> rows;
  std::string error;
  std::string text = csv;
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);  // a spreadsheet's byte order mark
  if (!ParseCsv(text, &rows, &error)) {
    plan.refusals.push_back("The list is not a CSV file: " + error + ".");
    return plan;
  }
  if (rows.empty()) {
    plan.refusals.push_back("The list is empty: its first line must name the columns.");
    return plan;
  }
  std::map<std::string, size_t> position;  // column name -> field
  for (size_t k = 0; k < rows[0].size(); ++k) {
    const std::string name = TrimBlanks(rows[0][k]);
    if (std::find(kColumns.begin(), kColumns.end(), name) == kColumns.end()) {
      plan.refusals.push_back("The header names a column '" + name +
                              "'; the columns are Key, Label, Desc, Meth, Freq and DatTable.");
    } else if (!position.emplace(name, k).second) {
      plan.refusals.push_back("The header names the column " + name + " twice.");
    }
  }
  for (const char* required : {"Key", "Label"}) {
    if (!position.count(required)) {
      plan.refusals.push_back(std::string("The header must name the column ") + required + ".");
    }
  }
  if (!plan.refusals.empty()) return plan;

  std::vector<std::string> keys = ReadPopulationNames(store, tally_slot).keys;
  const int existing = static_cast<int>(keys.size());
  const std::string tables = StoredTablesDefined(store);
  int bad_rows = 0;
  for (size_t r = 1; r < rows.size(); ++r) {
    const std::vector<std::string>& fields = rows[r];
    if (fields.size() == 1 && TrimBlanks(fields[0]).empty()) continue;  // a blank line
    std::string problem;
    std::map<std::string, std::string> value;
    if (fields.size() != rows[0].size()) {
      problem = "it has " + std::to_string(fields.size()) + " fields, the header " +
                std::to_string(rows[0].size());
    }
    for (const auto& [name, k] : position) {
      if (!problem.empty()) break;
      if (!ToWindows1252(TrimBlanks(fields[k]), &value[name])) {
        problem = "the " + name + " holds a character a tally file cannot hold";
      }
    }
    ImportedPopulation p{value["Key"], value["Label"], value["Desc"], value["Meth"],
                         value["DatTable"]};
    if (problem.empty() && !value["Freq"].empty()) {
      p.freq = ReadFrequency(value["Freq"]).value_or(0);
    }
    if (problem.empty()) problem = RowProblems(p, value["Freq"], tables, keys);
    if (problem.empty()) {
      keys.push_back(p.key);
      plan.populations.push_back(std::move(p));
      continue;
    }
    if (++bad_rows <= kNamedBadRows) {
      plan.refusals.push_back("Row " + std::to_string(r + 1) + ": " + problem + ".");
    }
  }
  if (bad_rows > kNamedBadRows) {
    plan.refusals.push_back("... and " + std::to_string(bad_rows - kNamedBadRows) +
                            " more bad rows.");
  }
  const int adding = static_cast<int>(plan.populations.size());
  if (bad_rows == 0 && !RoomForPopulations(existing, adding)) {
    plan.refusals.push_back("The file has " + std::to_string(existing) +
                            " populations and the list " + std::to_string(plan.populations.size()) +
                            ": a tally file holds at most 20.");
  }
  if (!plan.refusals.empty()) plan.populations.clear();
  return plan;
}

int ApplyPopulationImport(DataStore& store, int tally_slot, const PopulationImport& import,
                          const std::string& source) {
  const mk::View tally = store.View(tally_slot);
  auto col = [&](const char* name) { return tally.FindPropIndexByName(name); };
  std::string keys;
  for (const ImportedPopulation& p : import.populations) {
    // A new row's counters are 0 in every unit.
    const int row = store.AddRow(tally_slot, -1);
    store.SetString(tally_slot, row, col("Key"), p.key);
    store.SetString(tally_slot, row, col("Label"), p.label);
    store.SetString(tally_slot, row, col("Desc"), p.desc);
    store.SetString(tally_slot, row, col("Meth"), p.meth);
    store.SetString(tally_slot, row, col("Freq"), mk::DoubleToText(p.freq));
    store.SetString(tally_slot, row, col("DatTable"), p.dat_table);
    keys += p.key;
  }
  return store.LogMessage(
      "Populations imported", "A",
      std::to_string(import.populations.size()) + " populations (" + keys + ") from " + source);
}

}  // namespace woodtick
