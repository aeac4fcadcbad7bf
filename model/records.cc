#include "model/records.h"

#include "mk/field.h"
#include "model/model_context.h"
#include "model/table_definitions.h"

namespace woodtick {

std::string Records::Name() const { return ctx_.store->SlotName(slot_); }

int Records::Count() const { return ctx_.store->View(slot_).GetSize(); }

std::vector<std::string> Records::ColumnNames() const {
  const mk::View view = ctx_.store->View(slot_);
  std::vector<std::string> names;
  for (int col = 0; col < view.NumProperties(); ++col) names.push_back(view.NthProperty(col).name);
  return names;
}

ColumnDefinition Records::Definition(const std::string& view_column) const {
  for (const ColumnDefinition& column :
       ReadColumnDefinitions(*ctx_.store, ctx_.view_slots.dictionary, ctx_.dict_cols, Name())) {
    if (mk::SameName(RemoveBlanks(column.name), view_column)) return column;
  }
  return {view_column};
}

std::string Records::FieldText(int row, int col) const {
  return ReadFieldText(*ctx_.store, slot_, row, col);
}

void Records::WriteField(int row, int col, const std::string& text) {
  WriteFieldText(*ctx_.store, slot_, row, col, text);
}

int Records::Append() {
  const int row = ctx_.store->AddRow(slot_, -1);
  MarkRowNotTaken(*ctx_.store, slot_, row);
  return row;
}

void Records::Delete(int row, const std::string& message, const std::string& note) {
  ctx_.store->View(slot_).RemoveAt(row, 1);
  ctx_.store->LogMessage(message, "A", note);
}

}  // namespace woodtick
