#include "model/population_rules.h"

#include <cctype>
#include <cstring>
#include <utility>

#include "model/column_types.h"
#include "model/table_definitions.h"
#include "model/tally_file.h"
#include "model/text.h"
#include "store/data_store.h"

namespace woodtick {
namespace {

constexpr char kMethods[] = "CSRBPA";

Message Exclamation(std::string text, std::string title) {
  return {std::move(text), std::move(title), MessageIcon::kExclamation, MessageButtons::kOk};
}

std::optional<Message> CheckKey(DataStore& store, int tally_slot, int row, const std::string& key) {
  if (key.empty()) {
    return Exclamation("You must enter a hotkey for this population!", "Missing Key");
  }
  const PopulationNames names = ReadPopulationNames(store, tally_slot);
  const int other = FindSameKey(names.keys, key, row);
  if (other < 0) return std::nullopt;
  const std::string& label = names.labels[other];
  const std::string owner = label.empty() ? "in record " + std::to_string(other + 1) : label;
  return Exclamation("The hotkey " + key + " is already used by the population " + owner +
                         ".\nEach population needs a hotkey of its own (upper and lower case "
                         "count as the same key).",
                     "Duplicate Key");
}

std::optional<Message> CheckDataTable(DataStore& store, std::string* table) {
  *table = TrimBlanks(*table);
  switch (ClassifyDataTable(StoredTablesDefined(store), *table)) {
    case DataTableName::kNone:
    case DataTableName::kListed:
      return std::nullopt;
    case DataTableName::kReserved:
      return Exclamation("The name '" + *table +
                             "' is reserved for one of Woodtick's own tables; "
                             "choose one of your data tables.",
                         "Table Name Error");
    case DataTableName::kUnknown:
      break;
  }
  return Exclamation("The table '" + *table + "' does not exist! Check your spelling and case.",
                     "Table Name Error");
}

}  // namespace

bool RoomForPopulations(int count, int adding) { return count + adding <= kMaxPopulations; }

bool IsHotKeyColumn(const std::string& column) { return column == "Key"; }

bool FeedsStrategies(const std::string& column) { return column == "Meth" || column == "Freq"; }

bool IsHotKeyCharacter(const std::string& key) {
  return key.size() == 1 && std::isalnum(static_cast<unsigned char>(key[0]));
}

int FindSameKey(const std::vector<std::string>& keys, const std::string& key, int except) {
  const std::string wanted = UpperCase(key);
  for (int k = 0; k < static_cast<int>(keys.size()); ++k) {
    if (k != except && UpperCase(keys[k]) == wanted) return k;
  }
  return -1;
}

bool IsMethodLetter(const std::string& meth) {
  return meth.empty() || (meth.size() == 1 && std::strchr(kMethods, meth[0]) != nullptr);
}

std::optional<double> ReadFrequency(const std::string& text) {
  const std::optional<double> freq = ParseNumber(ColumnType::kDecimal, text);
  if (freq && *freq > 0) return freq;
  return std::nullopt;
}

DataTableName ClassifyDataTable(const std::string& tables_defined, const std::string& name) {
  if (name.empty()) return DataTableName::kNone;
  if (IsReservedTableName(name)) return DataTableName::kReserved;
  return TableListContains(tables_defined, name) ? DataTableName::kListed : DataTableName::kUnknown;
}

std::string StoredTablesDefined(DataStore& store) {
  std::string list;
  const int sel = store.OpenSelection("Globals", "Value", "Block=Tally, Key=TablesDefined", "", "");
  if (sel < 0) return list;
  if (store.View(sel).GetSize() > 0) store.GetString(sel, 0, 0, &list);
  store.ReleaseView(sel);
  return list;
}

PopulationNames ReadPopulationNames(DataStore& store, int tally_slot) {
  PopulationNames names;
  const mk::View view = store.View(tally_slot);
  const int key_col = view.FindPropIndexByName("Key");
  const int label_col = view.FindPropIndexByName("Label");
  for (int row = 0; row < view.GetSize(); ++row) {
    std::string key, label;
    store.GetString(tally_slot, row, key_col, &key);
    if (label_col >= 0) store.GetString(tally_slot, row, label_col, &label);
    names.keys.push_back(std::move(key));
    names.labels.push_back(std::move(label));
  }
  return names;
}

std::optional<Message> CheckPopulationField(DataStore& store, int tally_slot, int row,
                                            const std::string& column, std::string* text) {
  if (IsHotKeyColumn(column)) return CheckKey(store, tally_slot, row, *text);
  if (column == "DatTable") return CheckDataTable(store, text);
  return std::nullopt;
}

std::optional<Message> RefuseNewPopulation(int count) {
  if (RoomForPopulations(count, 1)) return std::nullopt;
  return Exclamation("Maximum populations is 20", kProgramTitle);
}

}  // namespace woodtick
