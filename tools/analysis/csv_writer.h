// The CSV form of the analysis export: one comma-separated file per table
// (RFC 4180: a header row of column names, CR LF line ends, fields quoted
// when they hold a comma, a quote or a line break), texts in UTF-8, numbers
// in full precision, bytes as hexadecimal digits.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "mk/storage.h"
#include "tools/analysis/tables.h"
#include "tools/progress.h"

namespace woodtick {

// One field, quoted when it must be.
std::string CsvField(std::string_view utf8);

// "<prefix>.<table>.csv": the file a table of a datafile is written to.
std::string CsvFileName(const std::string& prefix, const std::string& table);

// Writes every table of `storage` into `dir` under CsvFileName(prefix, ...),
// replacing files of those names. Each file is written beside its final name
// first, so a failure leaves earlier exports as they were. On failure
// returns false with a sentence in *message.
bool WriteCsvTables(const mk::Storage& storage, const std::vector<ExportTable>& tables,
                    const std::string& dir, const std::string& prefix, Progress& progress,
                    std::string* message);

}  // namespace woodtick
