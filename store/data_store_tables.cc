// DataStore: building a view from its DataDictionary rows, and dropping a
// view from the file.
#include <algorithm>
#include <string_view>
#include <vector>

#include "mk/field.h"
#include "store/cell_value.h"
#include "store/data_store.h"

namespace woodtick {
namespace {

constexpr std::string_view kDictionaryName = "DataDictionary";

std::string WithoutSpaces(std::string text) {
  std::erase(text, ' ');
  return text;
}

// A name that cannot break a view description.
bool UsableViewName(std::string_view name) {
  return !name.empty() && name.find_first_of(",[]:^") == std::string_view::npos;
}

// The top-level entries of a structure description, "A[x:S],B[y:I]" giving
// "A[x:S]" and "B[y:I]"; commas inside brackets belong to their entry.
std::vector<std::string> SplitStructure(const std::string& structure) {
  std::vector<std::string> entries;
  int depth = 0;
  size_t start = 0;
  for (size_t i = 0; i < structure.size(); ++i) {
    char c = structure[i];
    if (c == '[') ++depth;
    if (c == ']') --depth;
    if (c == ',' && depth == 0) {
      entries.push_back(structure.substr(start, i - start));
      start = i + 1;
    }
  }
  if (!structure.empty()) entries.push_back(structure.substr(start));
  return entries;
}

}  // namespace

int DataStore::DefineTable(const std::string& table, const std::string& order_column) {
  if (state_ != StoreState::kFileOpen) return kStoreClosed;  // needs the file held open
  int open_slot = -1;
  if (CheckForView(table, &open_slot)) {
    int released = ReleaseView(open_slot);
    if (released < 0) return released;
  }
  if (!storage_->HasView(kDictionaryName)) return kStoreNotFound;
  const mk::View dictionary = storage_->GetView(kDictionaryName);
  int name_col = dictionary.FindPropIndexByName("TableName");
  int used_col = dictionary.FindPropIndexByName("IsUsed");
  int type_col = dictionary.FindPropIndexByName("FieldType");
  int column_col = dictionary.FindPropIndexByName("ColumnName");
  int order_col = dictionary.FindPropIndexByName(order_column);
  if (name_col < 0 || used_col < 0 || type_col < 0 || column_col < 0 || order_col < 0) {
    return kStoreNotFound;
  }

  mk::View criteria({dictionary.NthProperty(name_col)});
  criteria.InsertEmptyRowsAt(0);
  WriteCellText(criteria, 0, 0, table);
  const mk::View rows = dictionary.Select(criteria).SortOn({order_col});
  if (rows.GetSize() == 0) return kStoreNotFound;

  // Numbered columns first, in order; then those numbered 0; negative ones never.
  std::string fields;
  for (bool numbered : {true, false}) {
    for (int row = 0; row < rows.GetSize(); ++row) {
      int32_t order = 0;
      ReadCellInt(rows, row, order_col, &order);
      if (numbered ? order < 1 : order != 0) continue;
      std::string used, column, type;
      ReadCellText(rows, row, used_col, &used);
      if (used != "Y" && used != "M") continue;
      ReadCellText(rows, row, column_col, &column);
      // A comma would cut one name into two columns.
      if (column.find(',') != std::string::npos) return kStoreBadDefinition;
      ReadCellText(rows, row, type_col, &type);
      bool known =
          type.size() == 1 && std::string_view("SILFD").find(type[0]) != std::string_view::npos;
      if (!fields.empty()) fields += ',';
      fields.append(WithoutSpaces(column)).append(1, ':').append(1, known ? type[0] : 'S');
    }
  }
  // A name the description cannot carry (empty, twice, with brackets) would
  // give the file a broken structure: refuse and change nothing.
  std::vector<mk::Field> parsed;
  if (!UsableViewName(table) || (!fields.empty() && !mk::ParseFields(fields, &parsed).ok())) {
    return kStoreBadDefinition;
  }
  storage_->GetAs(table + "[" + fields + "]");
  int committed = CommitStorage(storage_.get());
  BuildViewList();
  return committed;
}

int DataStore::DropView(const std::string& name) {
  if (state_ != StoreState::kFileOpen) return kStoreClosed;  // needs the file held open
  std::vector<std::string> entries = SplitStructure(storage_->Description());
  // Only a whole entry counts: Plots must not match the tail of OldPlots.
  std::string head = name + "[";
  auto found = std::find_if(entries.begin(), entries.end(),
                            [&](const std::string& entry) { return entry.starts_with(head); });
  if (found == entries.end()) return kStoreNotFound;
  entries.erase(found);
  std::string rest;
  for (const std::string& entry : entries) {
    if (!rest.empty()) rest += ",";
    rest += entry;
  }
  storage_->SetStructure(rest);
  int committed = CommitStorage(storage_.get());
  BuildViewList();
  return committed;
}

}  // namespace woodtick
