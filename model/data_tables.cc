#include "model/data_tables.h"

#include <map>

#include "model/held_file.h"
#include "model/model_context.h"
#include "model/population_rules.h"
#include "model/table_definitions.h"
#include "model/tally_settings.h"
#include "model/tallying.h"

namespace woodtick {
namespace {

constexpr char kOrderColumn[] = "Order1";

// The view column a definition builds, or -1.
int ViewColumn(const mk::View& view, const std::string& name) {
  return view.FindPropIndexByName(RemoveBlanks(name));
}

}  // namespace

int DataTables::RecordCount(const std::string& table) {
  return OpenRecordCount(*ctx_.store, table);
}

std::vector<ColumnDefinition> DataTables::Columns(const std::string& table) {
  return ReadColumnDefinitions(*ctx_.store, ctx_.view_slots.dictionary, ctx_.dict_cols, table);
}

std::string DataTables::ColumnList(const std::string& table) {
  return ReadColumnList(*ctx_.store, table);
}

int DataTables::FindView(const std::string& table) { return ctx_.store->FindView(table); }

Records DataTables::RecordsIn(int slot) { return Records(ctx_, slot); }

std::string DataTables::CheckDefinition(bool creating, const std::string& name,
                                        const std::vector<ColumnDefinition>& columns) {
  std::string list;
  for (const ColumnDefinition& column : columns) list += (list.empty() ? "" : ", ") + column.name;
  std::string problem;
  if (creating) problem = CheckNewTableName(*ctx_.store, settings_.tables_defined(), name);
  if (problem.empty()) problem = CheckColumnList(list);
  for (const ColumnDefinition& column : columns) {
    if (problem.empty()) problem = woodtick::CheckDefinition(column);
  }
  return problem;
}

void DataTables::CreateTable(const std::string& name,
                             const std::vector<ColumnDefinition>& columns) {
  DataStore& store = *ctx_.store;
  AppendDictionaryRows(store, ctx_.view_slots.dictionary, ctx_.dict_cols, name, columns);
  store.DefineTable(name, kOrderColumn);
  store.OpenAView(name, store.buffered_mode());
  StoreTablesDefined(AppendTableName(settings_.tables_defined(), name));
  file_.Commit();
}

std::string DataTables::RedefineTable(const std::string& name,
                                      const std::vector<ColumnDefinition>& columns) {
  DataStore& store = *ctx_.store;
  const int slot = store.FindView(name);
  const mk::View old_view = store.View(slot);
  const int rows = slot < 0 ? 0 : old_view.GetSize();
  // Every kept column's values as they will be stored, by view column name.
  std::map<std::string, std::vector<std::string>> kept;
  std::string refusal;
  for (const ColumnDefinition& column : columns) {
    const int col = ViewColumn(old_view, column.name);
    if (col < 0) continue;
    std::vector<std::string>& values = kept[RemoveBlanks(column.name)];
    int bad = 0;
    for (int row = 0; row < rows; ++row) {
      const std::string text = ReadFieldText(store, slot, row, col);
      std::string stored;
      if (!CheckValue(column, text, &stored)) {
        values.push_back(stored);
      } else if (++bad <= 10) {
        if (bad == 1) {
          refusal += "The column " + column.name + " cannot become " + AllowedText(column) +
                     ": these records hold values that do not convert.\n";
        }
        refusal += "Record " + std::to_string(row + 1) + ": '" + text + "'\n";
      }
    }
    if (bad > 10) refusal += "... and " + std::to_string(bad - 10) + " more records.\n";
  }
  if (!refusal.empty()) return refusal + "Nothing was changed.";

  const int dict_slot = ctx_.view_slots.dictionary;
  RemoveDictionaryRows(store, dict_slot, ctx_.dict_cols, name);
  AppendDictionaryRows(store, dict_slot, ctx_.dict_cols, name, columns);
  if (slot >= 0) store.ReleaseView(slot);
  // Reopening closes the file without a commit of its own: keep the new
  // dictionary rows and everything else this Setup visit has written.
  file_.Commit();
  store.Open(store.Path(), true);
  store.DefineTable(name, kOrderColumn);
  file_.Commit();
  // The reopen released every slot; open the views again as the setup cycle
  // does, so the model's slots are valid for whatever comes next.
  ctx_.OpenAllViews(false);
  // The restructure leaves a column whose type changed with whatever the
  // engine made of it, and a new number column with 0: every cell is
  // written again from the checked values, "not taken" where empty.
  const int new_slot = store.FindView(name);
  const mk::View view = store.View(new_slot);
  for (const ColumnDefinition& column : columns) {
    const int col = ViewColumn(view, column.name);
    if (col < 0) continue;
    const auto values = kept.find(RemoveBlanks(column.name));
    for (int row = 0; row < view.GetSize(); ++row) {
      const bool known = values != kept.end() && row < static_cast<int>(values->second.size());
      WriteFieldText(store, new_slot, row, col, known ? values->second[row] : "");
    }
  }
  file_.Commit();
  return "";
}

int DataTables::DeleteTable(const std::string& name) {
  DataStore& store = *ctx_.store;
  RemoveDictionaryRows(store, ctx_.view_slots.dictionary, ctx_.dict_cols, name);
  // A slot left holding the dropped view would still be found by its name.
  if (const int slot = store.FindView(name); slot >= 0) store.ReleaseView(slot);
  store.DropView(name);
  StoreTablesDefined(RemoveTableName(settings_.tables_defined(), name));
  const int populations = DetachPopulations(store, name);
  file_.Commit();
  return populations;
}

std::optional<Message> DataTables::CheckPopulationField(int slot, int row,
                                                        const std::string& column,
                                                        std::string* text) {
  return woodtick::CheckPopulationField(*ctx_.store, slot, row, column, text);
}

PopulationImport DataTables::PlanImport(const std::string& csv) {
  return PlanPopulationImport(*ctx_.store, ctx_.view_slots.tally, csv);
}

bool DataTables::Import(const PopulationImport& import, const std::string& source) {
  if (!import.refusals.empty()) return false;
  const int result = ApplyPopulationImport(*ctx_.store, ctx_.view_slots.tally, import, source);
  settings_.Load();
  tallying_.BuildStrategies();
  return result == kStoreOk;
}

void DataTables::StoreTablesDefined(const std::string& list) {
  settings_.Write("Tally", "TablesDefined", list);
  // The in-memory copy follows the row just written.
  settings_.Load();
}

}  // namespace woodtick
