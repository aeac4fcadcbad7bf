#include "model/utilities.h"

#include <cstdio>
#include <filesystem>

#include "model/csv_export.h"
#include "model/file_in_use_warning.h"
#include "model/tally_file.h"
#include "model/tally_history.h"
#include "model/text.h"
#include "platform/env.h"
#include "platform/file_name_text.h"

namespace woodtick {

std::string Utilities::MessageLogLine() {
  char line[64];
  std::snprintf(line, sizeof line, "Message Log contains %d records",
                ctx_.store->View(ctx_.view_slots.message_log).GetSize());
  return line;
}

bool Utilities::ExportCsv() {
  BusyCursor busy(ctx_.ui);
  // Beside the program's working folder, named with its folder so the
  // user can find it.
  std::error_code ignored;
  const std::string file_name = std::filesystem::absolute(file_.title() + ".csv", ignored).string();
  if (ctx_.env.FileOpenError(file_name) == kFileSharingViolation) {
    busy.Release();
    WarnFileInUse(ctx_.ui, file_.title() + ".csv");
    return false;
  }
  file_.Log("Data Exported", "A", FileNameText(file_.path()));
  const bool written = WriteCsvExport(*ctx_.store, file_name, ctx_.env.files());
  if (!written) {
    MarkLastExportNotDone(*ctx_.store, ctx_.view_slots.message_log);
    file_.Commit();
  }
  busy.Release();
  const std::string shown = FileNameText(file_name);
  if (!written) {
    // Telling "exported" for a file that was not written would mislead.
    ctx_.ui.Warn("The data could not be written to this file:\n" + shown +
                     "\nCheck that the folder can be written and the disk has room.",
                 "Data Not Exported");
    return false;
  }
  ctx_.ui.Inform("All of the data has been exported to this file:\n" + shown, "Data Exported");
  return true;
}

void ResetCounters(DataStore& store, int num_units) {
  int slot = store.OpenAView(kTallyView, store.buffered_mode());
  if (slot < 0) return;
  mk::View tally = store.View(slot);
  for (int u = 1; u <= num_units; ++u) {
    for (int col : {tally.FindPropIndexByName(CountColumnName(u)),
                    tally.FindPropIndexByName(HitColumnName(u))}) {
      if (col < 0) continue;
      for (int row = 0; row < tally.GetSize(); ++row) store.SetInt(slot, row, col, 0);
    }
  }
}

void ClearDataTables(DataStore& store, const std::string& tables_defined) {
  std::string tables = tables_defined;
  std::string table;
  while (!tables.empty()) {
    DataStore::NextToken(&tables, &table, ",");
    // A standard view named here by mistake must not lose its rows.
    if (table.empty() || IsStandardView(table)) continue;
    int slot = store.FindView(table);
    if (slot < 0) slot = store.OpenAView(table, store.buffered_mode());
    if (slot >= 0) store.View(slot).SetSize(0);
  }
}

bool Utilities::ResetCountersCommand() {
  if (!ctx_.ui.Confirm("Are you sure you want to reset all the counters?", "CONFIRM RESET")) {
    return false;
  }
  {
    BusyCursor busy(ctx_.ui);
    ResetCounters(*ctx_.store, settings_.num_units());
    ctx_.store->ClearBuffer();
    HistoryRow reset;
    reset.event = kResetEvent;
    AppendHistory(*ctx_.store, ctx_.view_slots.history, ctx_.env.clock().Now(), reset);
    file_.Log("Counters Reset", "A", "");
    file_.Commit();
  }
  ctx_.ui.Inform("Counters Reset", kProgramTitle);
  return true;
}

bool Utilities::ClearDataTablesCommand() {
  if (!ctx_.ui.Confirm("Are you sure you want to clear all the data tables?", "CONFIRM")) {
    return false;
  }
  {
    BusyCursor busy(ctx_.ui);
    ClearDataTables(*ctx_.store, settings_.tables_defined());
    file_.Log("Data Tables Cleared", "A", "");
    file_.Commit();
  }
  ctx_.ui.Inform("Data Tables Cleared", "");
  return true;
}

bool Utilities::ClearMessageLogCommand() {
  if (!ctx_.ui.Confirm("Are you sure you want to clear the message log?", "CONFIRM")) return false;
  {
    BusyCursor busy(ctx_.ui);
    ctx_.store->ClearMessageLog();
    file_.Log("Message Log Cleared", "A", "");
    file_.Commit();
  }
  ctx_.ui.Inform("Message Log Cleared", "");
  return true;
}

TallySummary Utilities::Summary() {
  if (ctx_.store == nullptr) return {};
  return SummarizeTally(*ctx_.store, ctx_.view_slots.tally, ctx_.view_slots.globals);
}

}  // namespace woodtick
