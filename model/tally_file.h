// The schema of a tally file: its five standard views and their columns,
// the default settings, the dictionary rows of the unit columns, and the
// ways the model opens, checks and creates such a file.
#pragma once

#include <string>

#include "platform/env.h"

namespace woodtick {

class DataStore;

inline constexpr const char* kTallyView = "Tally";
inline constexpr const char* kGlobalsView = "Globals";
inline constexpr const char* kDictionaryView = "DataDictionary";
inline constexpr const char* kBufferView = "Buffer";
inline constexpr const char* kMessageLogView = "MessageLog";

// True for the names of the five standard views and the tally history
// (exact case).
bool IsStandardView(const std::string& name);
// True for a name a data table cannot have: a standard view's, in any case
// (the file does not tell view names apart by case).
bool IsReservedTableName(const std::string& name);

struct StandardSlots {
  int tally = -1;
  int globals = -1;
  int dictionary = -1;
  int buffer = -1;
  int message_log = -1;
  int history = -1;  // the tally history (model/tally_history.h)
};

// Opens the five standard views, in that order, then the tally history
// (made when the file lacks it, written with the next commit), then every
// other view of the store's view list, each in a slot of its own.
StandardSlots OpenAllViews(DataStore& store, bool buffered);

// What a store opened with OpenAllViews lacks of the standard views and
// columns (the unit columns of units 1 to NumUnits included), as a list of
// names separated by ", "; empty when nothing is missing.
std::string FindMissingStructure(DataStore& store, const StandardSlots& slots);

// The Globals Value of block/key read straight from the view in `slot`;
// "" when absent.
std::string ScanSetting(DataStore& store, int slot, const std::string& block,
                        const std::string& key);

// The value a missing Globals row gets ("" for a row without a default).
std::string DefaultSetting(const std::string& block, const std::string& key);

// Replaces the DataDictionary rows of the Tally unit columns with rows for
// units 1 to num_units (Order1 2u+5 and 2u+6). DefineTable("Tally", "Order1")
// then gives the Tally view those columns.
void WriteUnitDictionaryRows(DataStore& store, int dictionary_slot, int num_units);

// Writes a new tally file: the five standard views with their columns,
// default settings, one unit and no populations. 0 on success; EEXIST when
// the file exists (it is left alone); another errno-like code, with
// *message set, when it cannot be written.
int CreateTallyFile(const std::string& path, std::string* message, Env& env = *SystemEnv());

}  // namespace woodtick
