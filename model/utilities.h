// Utilities: the Utilities screen's operations (export, reset the counters,
// clear the data tables, clear the message log) and the resets a template
// shares with them.
#pragma once

#include <string>

#include "model/held_file.h"
#include "model/model_context.h"
#include "model/tally_settings.h"
#include "model/tally_summary.h"

namespace woodtick {

// Zero every unit count and hit cell of units 1 to num_units in the
// store's Tally view.
void ResetCounters(DataStore& store, int num_units);
// Removes every row of every table named in `tables_defined`.
void ClearDataTables(DataStore& store, const std::string& tables_defined);

class Utilities {
 public:
  Utilities(ModelContext& ctx, HeldFile& file, TallySettings& settings)
      : ctx_(ctx), file_(file), settings_(settings) {}

  // "Message Log contains %d records" with the log's row count.
  std::string MessageLogLine();
  // Writes title + ".csv" into the current directory; false when held.
  bool ExportCsv();
  // The three buttons: confirm, act, log, commit, tell. True when done.
  bool ResetCountersCommand();
  bool ClearDataTablesCommand();
  bool ClearMessageLogCommand();  // the screen then shows kMessageLogClearedLine
  static constexpr const char* kMessageLogClearedLine = "Message Log contains 1 record";
  // The counts and HITs of the open file, for the Summary screen (empty
  // when no file is open).
  TallySummary Summary();

 private:
  ModelContext& ctx_;
  HeldFile& file_;
  TallySettings& settings_;
};

}  // namespace woodtick
