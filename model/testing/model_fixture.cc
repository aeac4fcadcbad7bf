#include "model/testing/model_fixture.h"

#include "mk/convert.h"
#include "model/tally_file.h"
#include "model/text.h"
#include "store/data_store.h"

namespace woodtick {
namespace {

void AddDictionaryRow(DataStore& store, int slot, const std::string& table,
                      const std::string& column, int order) {
  mk::View dict = store.View(slot);
  int row = store.AddRow(slot, -1);
  store.SetString(slot, row, dict.FindPropIndexByName("TableName"), table);
  store.SetString(slot, row, dict.FindPropIndexByName("FieldType"), "S");
  store.SetString(slot, row, dict.FindPropIndexByName("Description"), column);
  store.SetString(slot, row, dict.FindPropIndexByName("ColumnName"), column);
  store.SetString(slot, row, dict.FindPropIndexByName("IsUsed"), "Y");
  store.SetString(slot, row, dict.FindPropIndexByName("DefaultValue"), "C");
  store.SetInt(slot, row, dict.FindPropIndexByName("Order1"), order);
}

}  // namespace

void PutSetting(DataStore& store, int slot, const std::string& block, const std::string& key,
                const std::string& value) {
  mk::View globals = store.View(slot);
  for (int row = 0; row < globals.GetSize(); ++row) {
    std::string b, k;
    store.GetString(slot, row, 0, &b);
    store.GetString(slot, row, 1, &k);
    if (b == block && k == key) {
      store.SetString(slot, row, 2, value);
      return;
    }
  }
  int row = store.AddRow(slot, -1);
  store.SetString(slot, row, 0, block);
  store.SetString(slot, row, 1, key);
  store.SetString(slot, row, 2, value);
}

bool BuildTallyFile(const std::string& path, const TallyFileSpec& spec, std::string* error,
                    Env& env) {
  if (CreateTallyFile(path, error, env) != 0) return false;
  DataStore store(nullptr, &env);
  if (store.Open(path, false) != kStoreOk) {
    *error = "cannot open " + path;
    return false;
  }
  StandardSlots slots = OpenAllViews(store, false);
  if (spec.num_units != 1) {
    WriteUnitDictionaryRows(store, slots.dictionary, spec.num_units);
    PutSetting(store, slots.globals, "Tally", "NumUnits", DecimalText(spec.num_units));
    store.DefineTable(kTallyView, "Order1");
  }
  std::string tables_defined;
  for (const TableSpec& table : spec.tables) {
    for (size_t i = 0; i < table.columns.size(); ++i) {
      AddDictionaryRow(store, slots.dictionary, table.name, table.columns[i],
                       static_cast<int>(i) + 1);
    }
    store.DefineTable(table.name, "Order1");
    tables_defined += (tables_defined.empty() ? "" : ",") + table.name;
  }
  PutSetting(store, slots.globals, "Tally", "TablesDefined", tables_defined);
  // DefineTable let go of the slots it restructured; take them afresh.
  slots = OpenAllViews(store, false);
  for (const PopulationSpec& pop : spec.populations) {
    int row = store.AddRow(slots.tally, -1);
    store.SetString(slots.tally, row, 0, pop.key);
    store.SetString(slots.tally, row, 1, pop.label);
    store.SetString(slots.tally, row, 2, pop.desc);
    store.SetString(slots.tally, row, 3, pop.meth);
    store.SetString(slots.tally, row, 4, mk::DoubleToText(pop.freq));
    store.SetString(slots.tally, row, 5, pop.dat_table);
  }
  for (const TableSpec& table : spec.tables) {
    int slot = store.FindView(table.name);
    for (const std::vector<std::string>& record : table.rows) {
      int row = store.AddRow(slot, -1);
      for (size_t col = 0; col < record.size(); ++col) {
        store.SetString(slot, row, static_cast<int>(col), record[col]);
      }
    }
  }
  for (const std::vector<std::string>& s : spec.settings) {
    PutSetting(store, slots.globals, s.at(0), s.at(1), s.at(2));
  }
  if (store.Commit() != kStoreOk) {
    *error = "cannot write " + path;
    return false;
  }
  store.Close(false);
  return true;
}

}  // namespace woodtick
