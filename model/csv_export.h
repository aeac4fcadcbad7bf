// The comma-separated export of a tally file: one block per view (its name,
// its description, its column names, its rows), CR LF line ends, commas
// inside values written as "^".
#pragma once

#include <string>

#include "mk/file_system.h"

namespace woodtick {

class DataStore;

// The block of the view in `slot`, named `name`.
std::string CsvBlock(DataStore& store, int slot, const std::string& name);

// Writes the blocks of Globals, Tally, every table named in TablesDefined
// (read afresh from Globals; names without a view are skipped) and
// MessageLog into `file_name`, creating or truncating it, and returns once
// the file is on disk. The views are found among the store's open slots.
// False when the file cannot be written whole.
bool WriteCsvExport(DataStore& store, const std::string& file_name,
                    mk::FileSystem* files = mk::DefaultFileSystem());

// An export logs "Data Exported" before it writes, so that it holds its own
// entry. When the file then cannot be written, this changes that last log
// entry (in `message_log_slot`) to "Data Not Exported", so the log never
// claims an export that wrote nothing; the caller commits.
void MarkLastExportNotDone(DataStore& store, int message_log_slot);

}  // namespace woodtick
