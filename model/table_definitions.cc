#include "model/table_definitions.h"

#include <algorithm>

#include "mk/field.h"

namespace woodtick {
namespace {

constexpr char kDetachedTable[] = "choose another table";
// Characters that would break a view description; a column list is already
// split at the comma, so columns are checked from the second on.
constexpr char kReservedCharacters[] = ",[]:";

}  // namespace

std::vector<std::string> SplitTableList(const std::string& list) {
  std::vector<std::string> entries;
  std::string rest = list;
  std::string token;
  while (!rest.empty()) {
    DataStore::NextToken(&rest, &token, ",");
    entries.push_back(token);
  }
  return entries;
}

bool TableListContains(const std::string& list, const std::string& name) {
  const std::vector<std::string> entries = SplitTableList(list);
  return std::find(entries.begin(), entries.end(), name) != entries.end();
}

std::string RemoveTableName(const std::string& list, const std::string& name) {
  std::string text = RemoveBlanks("," + list + ",");
  const std::string target = "," + name + ",";
  std::string result;
  size_t from = 0;
  for (size_t at = text.find(target); at != std::string::npos; at = text.find(target, from)) {
    result.append(text, from, at - from);
    result += ',';
    from = at + target.size();
  }
  result.append(text, from, std::string::npos);
  // Drop the commas added around the list.
  if (result.size() <= 2) return "";
  return result.substr(1, result.size() - 2);
}

std::string AppendTableName(const std::string& list, const std::string& name) {
  return list.empty() ? name : list + ", " + name;
}

int OpenRecordCount(DataStore& store, const std::string& table) {
  const int slot = store.FindView(table);
  return slot < 0 ? -1 : store.View(slot).GetSize();
}

std::string ReadColumnList(DataStore& store, const std::string& table) {
  std::string joined;
  const int sel = store.OpenSelection("DataDictionary", "ColumnName", "TableName=" + table, "", "");
  if (sel < 0) return joined;
  const int rows = store.View(sel).GetSize();
  for (int row = 0; row < rows; ++row) {
    std::string name;
    store.GetString(sel, row, 0, &name);
    if (row > 0) joined += ", ";
    joined += name;
  }
  store.ReleaseView(sel);
  return joined;
}

void RemoveDictionaryRows(DataStore& store, int dict_slot, const DictionaryColumns& dict,
                          const std::string& table) {
  mk::View view = store.View(dict_slot);
  for (int row = view.GetSize() - 1; row >= 0; --row) {
    std::string name;
    store.GetString(dict_slot, row, dict.table_name, &name);
    if (name == table) view.RemoveAt(row, 1);
  }
}

void AppendDictionaryRows(DataStore& store, int dict_slot, const DictionaryColumns& dict,
                          const std::string& table, const std::vector<ColumnDefinition>& columns) {
  const mk::View view = store.View(dict_slot);
  const int min_col = view.FindPropIndexByName("Min");
  const int max_col = view.FindPropIndexByName("Max");
  int order = 0;
  for (const ColumnDefinition& column : columns) {
    const int row = store.AddRow(dict_slot, -1);
    store.SetString(dict_slot, row, dict.table_name, table);
    store.SetString(dict_slot, row, dict.column_name, column.name);
    store.SetString(dict_slot, row, dict.field_type, TypeLetter(column.type));
    store.SetString(dict_slot, row, dict.description, column.name);
    store.SetString(dict_slot, row, dict.is_used, "Y");
    store.SetInt(dict_slot, row, dict.order1, ++order);
    store.SetString(dict_slot, row, dict.default_value, "C");
    store.SetString(dict_slot, row, min_col, column.min);
    store.SetString(dict_slot, row, max_col, column.max);
  }
}

std::vector<ColumnDefinition> ReadColumnDefinitions(DataStore& store, int dict_slot,
                                                    const DictionaryColumns& dict,
                                                    const std::string& table) {
  std::vector<ColumnDefinition> columns;
  const mk::View view = store.View(dict_slot);
  const int min_col = view.FindPropIndexByName("Min");
  const int max_col = view.FindPropIndexByName("Max");
  const mk::View data = store.View(store.FindView(table));
  for (int row = 0; row < view.GetSize(); ++row) {
    std::string name, type;
    store.GetString(dict_slot, row, dict.table_name, &name);
    if (name != table) continue;
    ColumnDefinition column;
    store.GetString(dict_slot, row, dict.column_name, &column.name);
    store.GetString(dict_slot, row, dict.field_type, &type);
    column.type = TypeFromLetter(type);
    const int col = data.FindPropIndexByName(RemoveBlanks(column.name));
    if (col >= 0) {
      const char letter = data.NthProperty(col).type;
      column.type = letter == 'I' || letter == 'L'   ? ColumnType::kWhole
                    : letter == 'D' || letter == 'F' ? ColumnType::kDecimal
                                                     : ColumnType::kText;
    }
    if (column.type != ColumnType::kText) {
      store.GetString(dict_slot, row, min_col, &column.min);
      store.GetString(dict_slot, row, max_col, &column.max);
    }
    columns.push_back(std::move(column));
  }
  return columns;
}

bool IsFilledFromHit(const std::string& column) {
  return column == "Unit" || column == "Num" || column == "Label";
}

std::vector<ColumnDefinition> DefinitionsForList(const std::string& column_list,
                                                 const std::vector<ColumnDefinition>& known) {
  std::vector<ColumnDefinition> columns;
  for (const std::string& name : SplitTableList(column_list)) {
    ColumnDefinition column{name};
    const auto found = std::find_if(known.begin(), known.end(),
                                    [&](const ColumnDefinition& k) { return k.name == name; });
    if (found != known.end() && !IsFilledFromHit(RemoveBlanks(name))) column = *found;
    columns.push_back(std::move(column));
  }
  return columns;
}

int DetachPopulations(DataStore& store, const std::string& table) {
  const int sel = store.OpenSelection("Tally", "DatTable", "DatTable=" + table, "", "");
  if (sel < 0) return 0;
  // Writing through the selection changes which rows it would select, so
  // take the count first; the rows it holds stay the ones found.
  const int count = store.View(sel).GetSize();
  for (int row = 0; row < count; ++row) store.SetString(sel, row, 0, kDetachedTable);
  store.ReleaseView(sel);
  return count;
}

std::string CheckNewTableName(DataStore& store, const std::string& tables_defined,
                              const std::string& name) {
  if (name.empty()) return "Please enter a name for the table.";
  if (name.find_first_of(kReservedCharacters) != std::string::npos) {
    return "A table name may not contain , [ ] or :";
  }
  if (TableListContains(tables_defined, name) || store.ViewExistsInFile(name) >= 0) {
    return "The table '" + name + "' already exists. Please choose another name.";
  }
  return "";
}

std::string CheckColumnList(const std::string& column_list) {
  std::vector<std::string> seen;
  for (const std::string& column : SplitTableList(column_list)) {
    const std::string key = RemoveBlanks(column);
    if (key.empty() || key.find_first_of(kReservedCharacters + 1) != std::string::npos) {
      return "Column names may not be empty or contain [ ] or :";
    }
    for (const std::string& other : seen) {
      if (mk::SameName(other, key)) return "The column name '" + column + "' is used twice.";
    }
    seen.push_back(key);
  }
  if (seen.empty()) return "Please enter at least one column name.";
  if (seen.size() > kMaxTableColumns) {
    return "A table can have at most " + std::to_string(kMaxTableColumns) +
           " columns, as many as the record editor shows.";
  }
  return "";
}

std::string TrimBlanks(const std::string& text) {
  constexpr char kBlanks[] = " \t\r\n";
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string::npos) return "";
  const size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

std::string RemoveBlanks(const std::string& text) {
  std::string result = text;
  result.erase(std::remove(result.begin(), result.end(), ' '), result.end());
  return result;
}

}  // namespace woodtick
