// woodtick-cli export: without options the Utilities screen's export of one
// file; with --format, the tables of any number of files for analysis tools.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/commands.h"

namespace woodtick {

// woodtick-cli export --format csv --output DIR FILE...
// woodtick-cli export --format sqlite --output DB FILE...
// Reads each FILE without writing it. Files that fail are reported and
// skipped; the others are exported. Returns 0 when every file was exported,
// 1 when one failed, 2 for a usage error (the caller adds the usage).
int RunAnalysisExport(const CliInput& input, std::ostream& out, std::ostream& err);

// The export command: RunAnalysisExport when an option is given, else the
// Utilities export of exactly one FILE.
int RunExportCommand(const CliInput& input, std::ostream& out, std::ostream& err);

}  // namespace woodtick
