// Builds tally files for tests, benchmarks and the bundled example through
// the program's own code: CreateTallyFile for the standard views, then the
// DataStore (views attached) for populations, units, data tables, records
// and settings.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/env.h"

namespace woodtick {

class DataStore;

struct PopulationSpec {
  std::string key;
  std::string label;
  std::string desc;
  std::string meth = "C";
  double freq = 1;
  std::string dat_table;
};

struct TableSpec {
  std::string name;
  std::vector<std::string> columns;            // all "S"
  std::vector<std::vector<std::string>> rows;  // records, column by column
};

struct TallyFileSpec {
  int num_units = 1;
  std::vector<PopulationSpec> populations;
  std::vector<TableSpec> tables;
  // Globals rows written after the defaults: block, key, value.
  std::vector<std::vector<std::string>> settings;
};

// Writes a new tally file at `path` on `env`'s files; false (with *error)
// when that fails.
bool BuildTallyFile(const std::string& path, const TallyFileSpec& spec, std::string* error,
                    Env& env = *SystemEnv());

// Writes (or appends) a Globals row of a store whose Globals view is in `slot`.
void PutSetting(DataStore& store, int slot, const std::string& block, const std::string& key,
                const std::string& value);

}  // namespace woodtick
