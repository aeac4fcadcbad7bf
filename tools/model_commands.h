// The woodtick-cli commands built on the tally model: "new" makes an empty
// tally file to start from, "export" writes the comma-separated export the
// Utilities screen writes, "summary" prints the Summary screen's table.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/commands.h"

namespace woodtick {

// woodtick-cli new FILE: a tally file with the five standard views, default
// settings, one unit and no populations. Refuses to overwrite.
int RunNew(const CliInput& input, std::ostream& out, std::ostream& err);

// woodtick-cli export FILE: writes <title>.csv into the current directory
// and logs "Data Exported" in the tally file.
// Returns kCliOk or kCliFailed.
int RunExport(const std::string& tally_file, std::ostream& out, std::ostream& err);

// woodtick-cli summary FILE: prints the Summary screen's table (counts and
// HITs per population and unit, totals, measured and aimed shares); reads
// only.
int RunSummary(const CliInput& input, std::ostream& out, std::ostream& err);

// woodtick-cli import-populations FILE LIST: appends the populations of the
// species list LIST (CSV) to FILE, all or none; a refused list is told row
// by row and leaves FILE as it was.
int RunImportPopulations(const CliInput& input, std::ostream& out, std::ostream& err);

}  // namespace woodtick
