// The tables of a tally file in long form, one row per observation, so that
// the files of any number of crews, whatever their number of units, go into
// the same tables: the populations, the counts per population and unit, and
// the tally history. Every row starts with the file it came from.
#pragma once

#include <string>
#include <vector>

#include "mk/storage.h"

namespace woodtick {

struct LongColumn {
  const char* name;
  char type;  // 'S' text, 'I' integer, 'D' real
};

struct LongTable {
  std::string name;
  std::vector<LongColumn> columns;  // "source_file" first
  // Cells as text in UTF-8: numbers in decimal or shortest exact form.
  std::vector<std::vector<std::string>> rows;
};

// populations, tally_counts and tallies of a tally file; none for a datafile
// without a Tally view holding populations' keys. `source` fills source_file.
std::vector<LongTable> LongTables(const mk::Storage& storage, const std::string& source);

// Whether the long tables carry everything of the file's view `name`, so an
// export that writes them leaves that view out (with `merging`, the wide
// per-unit Tally view too, whose columns differ from crew to crew).
bool ReplacedByLongTables(const std::string& name, bool merging);

}  // namespace woodtick
