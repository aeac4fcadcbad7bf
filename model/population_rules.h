// The rules a population of a tally file keeps, however it comes in: typed
// into the record editor on the Setup screen or imported from a species
// list. Each rule is written here once; the record editor and the import
// each phrase the refusal for where it is shown.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/ui.h"

namespace woodtick {

class DataStore;

// A tally file holds at most this many populations.
inline constexpr int kMaxPopulations = 20;
// True when a file with `count` populations may take `adding` more.
bool RoomForPopulations(int count, int adding);

// The Tally column holding the hot key: one character.
bool IsHotKeyColumn(const std::string& column);
// The Tally columns the sampling strategies are built from.
bool FeedsStrategies(const std::string& column);

// A hot key a key press can give: one letter or digit.
bool IsHotKeyCharacter(const std::string& key);
// The position in `keys` of one equal to `key` in any letter case, other
// than `except`; -1 when none is.
int FindSameKey(const std::vector<std::string>& keys, const std::string& key, int except = -1);
// A sampling method: blank or one of the letters C, S, R, B, P and A.
bool IsMethodLetter(const std::string& meth);
// The frequency a text gives when it is a positive number (a decimal comma
// read as a point); nothing otherwise.
std::optional<double> ReadFrequency(const std::string& text);

// What a population's data table name is to the file.
enum class DataTableName {
  kNone,      // empty: the population has no data table
  kListed,    // an entry of the tables-defined text, exactly
  kReserved,  // one of the program's own views
  kUnknown,   // no data table of the file
};
DataTableName ClassifyDataTable(const std::string& tables_defined, const std::string& name);

// The tables-defined text as the file holds it now.
std::string StoredTablesDefined(DataStore& store);
// The Key and Label of every population of the Tally view in `tally_slot`,
// in row order.
struct PopulationNames {
  std::vector<std::string> keys, labels;
};
PopulationNames ReadPopulationNames(DataStore& store, int tally_slot);

// The record editor's check of the field of `column` of population `row`
// as it is left, against the file's other populations and its data
// tables. It may rewrite *text (blanks trimmed from a data table name); a
// message refuses the value.
std::optional<Message> CheckPopulationField(DataStore& store, int tally_slot, int row,
                                            const std::string& column, std::string* text);
// The refusal of one more population in a file holding `count`.
std::optional<Message> RefuseNewPopulation(int count);

}  // namespace woodtick
