// The comma-separated export of a tally file: one block per view (its name,
// its description, its column names, its rows), CR LF line ends, commas
// inside values written as "^".
#pragma once

#include <string>

namespace woodtick {

class DataStore;

// The block of the view in `slot`, named `name`.
std::string CsvBlock(DataStore& store, int slot, const std::string& name);

// Writes the blocks of Globals, Tally, every table named in TablesDefined
// (read afresh from Globals; names without a view are skipped) and
// MessageLog into `file_name`, creating or truncating it. The views are
// found among the store's open slots. False when the file cannot be written.
bool WriteCsvExport(DataStore& store, const std::string& file_name);

}  // namespace woodtick
