// DataStore: selections by key clause, the shared tokenizer, and emptying
// the Buffer view.
#include <vector>

#include "mk/field.h"
#include "store/cell_value.h"
#include "store/data_store.h"

namespace woodtick {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";

bool IsBlank(const std::string& text) {
  return text.find_first_not_of(kBlanks) == std::string::npos;
}

// Positions in `view` of the names listed in `list` (split at ","); false
// when a name is missing.
bool ColumnsByName(const mk::View& view, std::string list, std::vector<int>* cols) {
  std::string name;
  while (!list.empty()) {
    DataStore::NextToken(&list, &name, ",");
    int col = view.FindPropIndexByName(name);
    if (col < 0) return false;
    cols->push_back(col);
  }
  return true;
}

// One column and value per condition of a key clause.
struct Criteria {
  std::vector<mk::Field> fields;
  std::vector<std::string> values;
};

bool ParseKeyClause(const mk::View& view, std::string clause, Criteria* criteria) {
  std::string name, value;
  while (!IsBlank(clause)) {
    DataStore::NextToken(&clause, &name, "=");
    int col = view.FindPropIndexByName(name);
    if (col < 0) return false;
    DataStore::NextToken(&clause, &value, ",");
    const mk::Field& field = view.NthProperty(col);
    // A column named twice keeps the later value: a view holds each column once.
    size_t i = 0;
    while (i < criteria->fields.size() && !mk::SameName(criteria->fields[i].name, field.name)) ++i;
    if (i == criteria->fields.size()) {
      criteria->fields.push_back(field);
      criteria->values.push_back(value);
    } else {
      criteria->values[i] = value;
    }
  }
  return true;
}

}  // namespace

void DataStore::NextToken(std::string* source, std::string* token, std::string_view delimiters) {
  size_t pos = source->find_first_of(delimiters);
  if (pos == std::string::npos) {
    *token = std::move(*source);
    source->clear();
  } else {
    *token = source->substr(0, pos);
    source->erase(0, pos + 1);
  }
  size_t first = token->find_first_not_of(kBlanks);
  if (first == std::string::npos) {
    token->clear();
    return;
  }
  size_t last = token->find_last_not_of(kBlanks);
  *token = token->substr(first, last - first + 1);
}

int DataStore::OpenSelection(const std::string& view_name, const std::string& column_list,
                             const std::string& key_clause, const std::string& sort_list,
                             const std::string& result_name) {
  int base = FindView(view_name);
  if (base < 0) {
    base = OpenAView(view_name, buffered_mode());
    if (base < 0) return base;
  }
  const mk::View base_view = slots_[base].view;

  // Every name is checked before any slot is taken, so a bad name touches nothing.
  std::vector<int> keep, sort;
  Criteria criteria;
  if (!ColumnsByName(base_view, column_list, &keep) ||
      !ColumnsByName(base_view, sort_list, &sort) ||
      !ParseKeyClause(base_view, key_clause, &criteria)) {
    return kStoreNotFound;
  }

  int sel_crit = -1;
  mk::View criteria_row;
  if (!criteria.fields.empty()) {
    sel_crit = GetViewIndex("SelCrit");
    if (sel_crit < 0) return kStoreNoFreeSlot;
    criteria_row = mk::View(criteria.fields);
    criteria_row.InsertEmptyRowsAt(0);
    // Values take the column's type: the text 007 selects 7 in an I column.
    for (size_t i = 0; i < criteria.values.size(); ++i) {
      WriteCellText(criteria_row, 0, static_cast<int>(i), criteria.values[i]);
    }
    slots_[sel_crit].view = criteria_row;
  }

  int result = GetViewIndex(result_name.empty() ? "D" + view_name : result_name);
  if (result < 0) {
    if (sel_crit >= 0) FreeSlot(sel_crit);
    return kStoreNoFreeSlot;
  }
  if (!base_view.IsIntact()) {
    // The base is itself a selection whose rows have gone since.
    FreeSlot(result);
    if (sel_crit >= 0) FreeSlot(sel_crit);
    return kStoreBadAddress;
  }
  mk::View selection = base_view;
  if (sel_crit >= 0) selection = selection.Select(criteria_row);
  if (!sort.empty()) selection = selection.SortOn(sort);
  if (!keep.empty()) selection = selection.Project(keep);
  slots_[result].view = selection;
  // The base is the slot the rows came from, even when the result's name
  // repeats the view's name.
  slots_[result].base_slot = base;
  slots_[result].base_occupant = slots_[base].occupant;
  if (sel_crit >= 0) FreeSlot(sel_crit);
  return result;
}

}  // namespace woodtick
