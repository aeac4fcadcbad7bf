// The Utilities screen's operations: export, reset counters, clear the data
// tables, clear the message log.
#include <cstdio>
#include <filesystem>

#include "model/csv_export.h"
#include "model/file_in_use_warning.h"
#include "model/tally_file.h"
#include "model/tally_model.h"
#include "model/text.h"
#include "platform/file_lock.h"
#include "platform/file_name_text.h"

namespace woodtick {

std::string TallyModel::MessageLogLine() {
  char line[64];
  std::snprintf(line, sizeof line, "Message Log contains %d records",
                store_->View(message_log_slot_).GetSize());
  return line;
}

bool TallyModel::ExportCsv() {
  BusyCursor busy(ui_);
  std::string file_name = title_ + ".csv";
  if (FileOpenError(file_name) == kFileSharingViolation) {
    busy.Release();
    WarnFileInUse(ui_, file_name);
    return false;
  }
  Log("Data Exported", "A", path_);
  const bool written = WriteCsvExport(*store_, file_name);
  if (!written) {
    MarkLastExportNotDone(*store_, message_log_slot_);
    Commit();
  }
  busy.Release();
  // Named with its folder, so the user can find it.
  std::error_code ignored;
  std::string shown = FileNameText(std::filesystem::absolute(file_name, ignored).string());
  if (!written) {
    // Telling "exported" for a file that was not written would mislead.
    ui_.Warn("The data could not be written to this file:\n" + shown +
                 "\nCheck that the folder can be written and the disk has room.",
             "Data Not Exported");
    return false;
  }
  ui_.Inform("All of the data has been exported to this file:\n" + shown, "Data Exported");
  return true;
}

void TallyModel::ResetCounters(DataStore& store, int num_units) {
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

void TallyModel::ClearDataTables(DataStore& store, const std::string& tables_defined) {
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

bool TallyModel::ResetCountersCommand() {
  if (!ui_.Confirm("Are you sure you want to reset all the counters?", "CONFIRM RESET")) {
    return false;
  }
  {
    BusyCursor busy(ui_);
    ResetCounters(*store_, num_units_);
    store_->ClearBuffer();
    Log("Counters Reset", "A", "");
    Commit();
  }
  ui_.Inform("Counters Reset", kProgramTitle);
  return true;
}

bool TallyModel::ClearDataTablesCommand() {
  if (!ui_.Confirm("Are you sure you want to clear all the data tables?", "CONFIRM")) {
    return false;
  }
  {
    BusyCursor busy(ui_);
    ClearDataTables(*store_, tables_defined_);
    Log("Data Tables Cleared", "A", "");
    Commit();
  }
  ui_.Inform("Data Tables Cleared", "");
  return true;
}

bool TallyModel::ClearMessageLogCommand() {
  if (!ui_.Confirm("Are you sure you want to clear the message log?", "CONFIRM")) return false;
  {
    BusyCursor busy(ui_);
    store_->ClearMessageLog();
    Log("Message Log Cleared", "A", "");
    Commit();
  }
  ui_.Inform("Message Log Cleared", "");
  return true;
}

}  // namespace woodtick
