#include "model/tally_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "mk/convert.h"
#include "mk/field.h"
#include "mk/storage.h"
#include "model/tally_history.h"
#include "model/tally_model.h"
#include "model/text.h"
#include "platform/env.h"
#include "store/data_store.h"

namespace woodtick {
namespace {

constexpr const char* kTallyDescription =
    "Tally[Key:S,Label:S,Desc:S,Meth:S,Freq:D,DatTable:S,U001Count:L,U001Hit:L]";
constexpr const char* kGlobalsDescription = "Globals[Block:S,Key:S,Value:S]";
constexpr const char* kBufferDescription = "Buffer[Unit:I,Key:S,Mark:S]";

struct Setting {
  const char* block;
  const char* key;
  const char* value;
};
constexpr Setting kDefaultSettings[] = {
    {"System", "Version", kProgramVersion},
    {"System", "SaveInterval", "1"},
    {"System", "Sound", "N"},
    {"System", "ShowCountsOnButtons", "N"},
    {"System", "ShowNumBox", "N"},
    {"Tally", "NumUnits", "1"},
    {"Tally", "CurUnit", "1"},
    {"Tally", "TablesDefined", ""},
};

// The six fixed Tally columns: name, type letter, description.
struct FixedColumn {
  const char* name;
  const char* type;
  const char* description;
};
constexpr FixedColumn kFixedTallyColumns[] = {
    {"Key", "S", "Hot Key"},
    {"Label", "S", "Label"},
    {"Desc", "S", "Description"},
    {"Meth", "S", "Sampling Method"},
    {"Freq", "D", "Sampling Frequency"},
    {"DatTable", "S", "Data Table"},
};

const char* const kDictionaryColumns[] = {"TableName", "ColumnName", "FieldType",   "Description",
                                          "IsUsed",    "Order1",     "DefaultValue"};

void AddMissing(std::string* missing, const std::string& name) {
  if (!missing->empty()) *missing += ", ";
  *missing += name;
}

// Adds "View.Column" for every listed column the slot's view lacks.
void CheckColumns(DataStore& store, int slot, const char* view,
                  const std::vector<std::string>& columns, std::string* missing) {
  mk::View v = store.View(slot);
  for (const std::string& column : columns) {
    if (v.FindPropIndexByName(column) < 0) AddMissing(missing, std::string(view) + "." + column);
  }
}

void AddDictionaryRow(mk::View& dict, const std::string& table, const std::string& column,
                      const std::string& type, const std::string& description, int order) {
  int row = dict.GetSize();
  dict.InsertEmptyRowsAt(row);
  dict.SetString(row, dict.FindPropIndexByName("TableName"), table);
  dict.SetString(row, dict.FindPropIndexByName("FieldType"), type);
  dict.SetString(row, dict.FindPropIndexByName("Description"), description);
  dict.SetString(row, dict.FindPropIndexByName("ColumnName"), column);
  dict.SetString(row, dict.FindPropIndexByName("IsUsed"), "Y");
  dict.SetInt(row, dict.FindPropIndexByName("Order1"), order);
}

}  // namespace

std::string ScanSetting(DataStore& store, int slot, const std::string& block,
                        const std::string& key) {
  mk::View v = store.View(slot);
  int b = v.FindPropIndexByName("Block"), k = v.FindPropIndexByName("Key"),
      val = v.FindPropIndexByName("Value");
  for (int row = 0; row < v.GetSize(); ++row) {
    std::string rb, rk, value;
    store.GetString(slot, row, b, &rb);
    store.GetString(slot, row, k, &rk);
    if (rb == block && rk == key) {
      store.GetString(slot, row, val, &value);
      return value;
    }
  }
  return "";
}

bool IsStandardView(const std::string& name) {
  return name == kTallyView || name == kGlobalsView || name == kDictionaryView ||
         name == kBufferView || name == kMessageLogView || name == kHistoryView;
}

bool IsReservedTableName(const std::string& name) {
  for (const char* view :
       {kTallyView, kGlobalsView, kDictionaryView, kBufferView, kMessageLogView, kHistoryView}) {
    if (mk::SameName(name, view)) return true;
  }
  return false;
}

StandardSlots OpenAllViews(DataStore& store, bool buffered) {
  StandardSlots slots;
  slots.tally = store.OpenAView(kTallyView, buffered);
  slots.globals = store.OpenAView(kGlobalsView, buffered);
  slots.dictionary = store.OpenAView(kDictionaryView, buffered);
  slots.buffer = store.OpenAView(kBufferView, buffered);
  slots.message_log = store.OpenAView(kMessageLogView, buffered);
  slots.history = store.OpenOrAddView(kHistoryDescription, buffered);
  std::string list = store.ViewList();
  std::string name;
  while (!list.empty()) {
    DataStore::NextToken(&list, &name, ",");
    if (!name.empty() && !IsStandardView(name)) store.OpenAView(name, buffered);
  }
  return slots;
}

std::string FindMissingStructure(DataStore& store, const StandardSlots& slots) {
  std::string missing;
  const std::pair<int, const char*> views[] = {{slots.tally, kTallyView},
                                               {slots.globals, kGlobalsView},
                                               {slots.dictionary, kDictionaryView},
                                               {slots.buffer, kBufferView},
                                               {slots.message_log, kMessageLogView}};
  for (const auto& [slot, name] : views) {
    if (slot < 0) AddMissing(&missing, std::string("the view ") + name);
  }
  if (slots.globals >= 0) {
    CheckColumns(store, slots.globals, kGlobalsView, {"Block", "Key", "Value"}, &missing);
  }
  if (slots.dictionary >= 0) {
    CheckColumns(
        store, slots.dictionary, kDictionaryView,
        std::vector<std::string>(std::begin(kDictionaryColumns), std::end(kDictionaryColumns)),
        &missing);
  }
  if (slots.buffer >= 0 && store.View(slots.buffer).NumProperties() < 3) {
    AddMissing(&missing, "the three columns of Buffer");
  }
  if (slots.message_log >= 0 && store.View(slots.message_log).NumProperties() < 6) {
    AddMissing(&missing, "the six columns of MessageLog");
  }
  if (slots.tally < 0) return missing;
  std::vector<std::string> columns;
  for (const FixedColumn& c : kFixedTallyColumns) columns.push_back(c.name);
  if (slots.globals >= 0 && missing.empty()) {
    int units = mk::TextToInt(ScanSetting(store, slots.globals, "Tally", "NumUnits"));
    for (int u = 1; u <= units; ++u) {
      columns.push_back(CountColumnName(u));
      columns.push_back(HitColumnName(u));
    }
    if (units < 1) columns.push_back(CountColumnName(1)), columns.push_back(HitColumnName(1));
  }
  CheckColumns(store, slots.tally, kTallyView, columns, &missing);
  return missing;
}

std::string DefaultSetting(const std::string& block, const std::string& key) {
  for (const Setting& s : kDefaultSettings) {
    if (block == s.block && key == s.key) return s.value;
  }
  return "";
}

void WriteUnitDictionaryRows(DataStore& store, int slot, int num_units) {
  mk::View dict = store.View(slot);
  int table_col = dict.FindPropIndexByName("TableName");
  int column_col = dict.FindPropIndexByName("ColumnName");
  for (int row = dict.GetSize() - 1; row >= 0; --row) {
    std::string table, column;
    store.GetString(slot, row, table_col, &table);
    store.GetString(slot, row, column_col, &column);
    if (table != kTallyView || column.size() < 4) continue;
    std::string_view rest = std::string_view(column).substr(4);
    if (rest.starts_with("Count") || rest.starts_with("Hit")) dict.RemoveAt(row);
  }
  for (int u = 1; u <= num_units; ++u) {
    AddDictionaryRow(dict, kTallyView, CountColumnName(u), "L", "Count for Unit " + UnitText(u),
                     2 * u + 5);
    AddDictionaryRow(dict, kTallyView, HitColumnName(u), "L", "Hits for Unit " + UnitText(u),
                     2 * u + 6);
  }
}

int CreateTallyFile(const std::string& path, std::string* message, Env& env) {
  // Claim the name first, so an existing file is never touched, and hold
  // the new file's lock so no program opens it half made.
  std::unique_ptr<FileLock> lock = env.NewLock();
  int error = lock->CreateAndAcquire(path);
  if (error != 0) {
    *message = path + ": " + std::strerror(error);
    return error;
  }
  std::unique_ptr<mk::Storage> storage;
  mk::Status status = mk::Storage::Open(path, &storage, env.files());
  if (status.ok()) {
    storage->GetAs(kTallyDescription);
    mk::View globals = storage->GetAs(kGlobalsDescription);
    for (const Setting& s : kDefaultSettings) {
      int row = globals.GetSize();
      globals.InsertEmptyRowsAt(row);
      globals.SetString(row, 0, s.block);
      globals.SetString(row, 1, s.key);
      globals.SetString(row, 2, s.value);
    }
    mk::View dict = storage->GetAs(DataStore::kDictionaryDescription);
    int order = 1;
    for (const FixedColumn& c : kFixedTallyColumns) {
      AddDictionaryRow(dict, kTallyView, c.name, c.type, c.description, order++);
    }
    AddDictionaryRow(dict, kTallyView, CountColumnName(1), "L", "Count for Unit 001", 7);
    AddDictionaryRow(dict, kTallyView, HitColumnName(1), "L", "Hits for Unit 001", 8);
    storage->GetAs(kBufferDescription);
    storage->GetAs(DataStore::kMessageLogDescription);
    storage->GetAs(kHistoryDescription);
    status = storage->Commit();
  }
  if (!status.ok()) {
    storage.reset();
    env.RemoveFile(path);
    *message = status.message();
    return EIO;
  }
  return 0;
}

}  // namespace woodtick
