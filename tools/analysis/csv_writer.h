// The CSV form of the analysis export: one comma-separated file per table
// (RFC 4180: a header row of column names, CR LF line ends, fields quoted
// when they hold a comma, a quote or a line break), texts in UTF-8, numbers
// in full precision, bytes as hexadecimal digits.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "mk/storage.h"
#include "tools/analysis/long_tables.h"
#include "tools/analysis/tables.h"
#include "tools/progress.h"

namespace woodtick {

// One field, quoted when it must be.
std::string CsvField(std::string_view utf8);

// "<table>.csv": the file a table of a datafile is written to.
std::string CsvFileName(const std::string& table);

// Writes every table of `storage`, and its long tables, into the folder
// dir/name, which then holds this file's tables and nothing else. The set
// is written beside it, each file flushed to the disk, and takes the
// folder's place in one step: a reader, or a run killed at any point, sees
// the earlier set or the new one whole, never a mix. A folder there that
// holds anything but CSV files is no earlier set and is refused. On
// failure returns false with a sentence in *message.
bool WriteCsvSet(const mk::Storage& storage, const std::vector<ExportTable>& tables,
                 const std::vector<LongTable>& long_tables, const std::string& dir,
                 const std::string& name, Progress& progress, std::string* message);

}  // namespace woodtick
