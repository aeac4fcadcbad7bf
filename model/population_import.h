// Populations from a species list: a CSV file (RFC 4180, UTF-8) whose header
// names the columns Key, Label, Desc, Meth, Freq and DatTable in any order,
// of which only Key and Label must be there. The import is all or nothing:
// every row is checked before anything is written, and a list with any
// refusal leaves the file exactly as it was.
#pragma once

#include <string>
#include <vector>

namespace woodtick {

class DataStore;

// The fields of a CSV text, row by row; false with *error for a quote left
// open or text after a closing quote.
bool ParseCsv(const std::string& text, std::vector<std::vector<std::string>>* rows,
              std::string* error);

struct ImportedPopulation {
  std::string key, label, desc, meth, dat_table;  // Windows-1252, as the file holds them
  double freq = 1;
};

struct PopulationImport {
  std::vector<ImportedPopulation> populations;
  // Why the list is refused, one line each, the first ten bad rows (and a
  // last line counting the others); empty when it may be imported.
  std::vector<std::string> refusals;
};

// The most bad rows a refusal names.
inline constexpr int kNamedBadRows = 10;

// Reads and checks the list against the populations of the Tally view in
// `tally_slot` and the file's data tables; changes nothing.
PopulationImport PlanPopulationImport(DataStore& store, int tally_slot, const std::string& csv);

// Appends the checked populations after the file's own, with zero counts in
// every unit, and logs the import (level "A", naming `source`), which
// commits. The store's answer.
int ApplyPopulationImport(DataStore& store, int tally_slot, const PopulationImport& import,
                          const std::string& source);

}  // namespace woodtick
