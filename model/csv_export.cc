#include "model/csv_export.h"

#include <memory>

#include "model/tally_file.h"
#include "store/data_store.h"

namespace woodtick {
namespace {

constexpr const char* kLineEnd = "\r\n";

// Replaces the file's contents with `text` and waits until it is on disk.
bool WriteWholeFile(mk::FileSystem* files, const std::string& file_name, const std::string& text) {
  std::unique_ptr<mk::RandomAccessFile> file;
  return files->OpenFile(file_name, true, &file).ok() && file->Truncate(0).ok() &&
         file->Write(0, text).ok() && file->Sync().ok();
}

std::string TablesDefined(DataStore& store) {
  std::string value;
  int slot = store.OpenSelection(kGlobalsView, "Value", "Block=Tally, Key=TablesDefined", "", "");
  if (slot < 0) return value;
  if (store.View(slot).GetSize() > 0) store.GetString(slot, 0, 0, &value);
  store.ReleaseView(slot);
  return value;
}

}  // namespace

std::string CsvBlock(DataStore& store, int slot, const std::string& name) {
  mk::View view = store.View(slot);
  int columns = view.NumProperties();
  std::string description = name + "[";
  std::string names;
  for (int col = 0; col < columns; ++col) {
    const mk::Field& field = view.NthProperty(col);
    if (col > 0) {
      description += ",";
      names += ",";
    }
    description += field.name + ":" + field.type;
    names += field.name;
  }
  std::string block = "[" + name + "]" + kLineEnd + description + "]" + kLineEnd + names + kLineEnd;
  for (int row = 0; row < view.GetSize(); ++row) {
    for (int col = 0; col < columns; ++col) {
      if (col > 0) block += ",";
      std::string value;  // stays empty for a column type the store cannot render
      store.GetString(slot, row, col, &value);
      for (char& c : value) {
        if (c == ',') c = '^';
      }
      block += value;
    }
    block += kLineEnd;
  }
  return block;
}

bool WriteCsvExport(DataStore& store, const std::string& file_name, mk::FileSystem* files) {
  std::string csv;
  auto append = [&](const std::string& name) {
    int slot = store.FindView(name);
    if (slot >= 0) csv += CsvBlock(store, slot, name);
  };
  append(kGlobalsView);
  append(kTallyView);
  std::string tables = TablesDefined(store);
  std::string table;
  while (!tables.empty()) {
    DataStore::NextToken(&tables, &table, ",");
    if (!table.empty()) append(table);
  }
  append(kMessageLogView);
  return WriteWholeFile(files, file_name, csv);
}

void MarkLastExportNotDone(DataStore& store, int message_log_slot) {
  mk::View log = store.View(message_log_slot);
  const int msg_col = log.FindPropIndexByName("Msg");
  if (log.GetSize() > 0 && msg_col >= 0) {
    store.SetString(message_log_slot, log.GetSize() - 1, msg_col, "Data Not Exported");
  }
}

}  // namespace woodtick
