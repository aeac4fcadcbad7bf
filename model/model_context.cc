#include "model/model_context.h"

#include <utility>

#include "model/sampling/sampling_strategies.h"
#include "model/text.h"
#include "platform/env.h"

namespace woodtick {

ModelContext::ModelContext(Ui& ui, TallyModelOptions options)
    : ui(ui), env(options.env != nullptr ? *options.env : *SystemEnv()) {}

ModelContext::~ModelContext() = default;

void ModelContext::OpenAllViews(bool buffered) {
  view_slots_ = woodtick::OpenAllViews(*store, buffered);
}

void ModelContext::LookUpColumns(int unit) {
  LookUpUnitColumns(unit);
  const std::pair<int TallyColumns::*, const char*> tally_names[] = {
      {&TallyColumns::key, "Key"},
      {&TallyColumns::desc, "Desc"},
      {&TallyColumns::meth, "Meth"},
      {&TallyColumns::freq, "Freq"},
      {&TallyColumns::dat_table, "DatTable"},
      {&TallyColumns::label, "Label"}};
  mk::View tally = store->View(view_slots.tally);
  for (const auto& [col, name] : tally_names) tally_cols_.*col = tally.FindPropIndexByName(name);
  const std::pair<int DictionaryColumns::*, const char*> dictionary_names[] = {
      {&DictionaryColumns::table_name, "TableName"},
      {&DictionaryColumns::column_name, "ColumnName"},
      {&DictionaryColumns::field_type, "FieldType"},
      {&DictionaryColumns::description, "Description"},
      {&DictionaryColumns::is_used, "IsUsed"},
      {&DictionaryColumns::order1, "Order1"},
      {&DictionaryColumns::default_value, "DefaultValue"}};
  mk::View dict = store->View(view_slots.dictionary);
  for (const auto& [col, name] : dictionary_names) dict_cols_.*col = dict.FindPropIndexByName(name);
}

void ModelContext::LookUpUnitColumns(int unit) {
  mk::View tally = store->View(view_slots.tally);
  tally_cols_.count = tally.FindPropIndexByName(CountColumnName(unit));
  tally_cols_.hit = tally.FindPropIndexByName(HitColumnName(unit));
}

void ModelContext::LookUpKeyColumn() {
  tally_cols_.key = store->View(view_slots_.tally).FindPropIndexByName("Key");
}

int ModelContext::ReadTallyInt(int row, int col) {
  int32_t value = 0;
  if (store->GetInt(view_slots.tally, row, col, &value) != kStoreOk) return 0;
  return value;
}

std::string ModelContext::ReadTallyText(int row, int col) {
  std::string text;
  store->GetString(view_slots.tally, row, col, &text);
  return text;
}

int ModelContext::NumTallyRows() { return store->View(view_slots.tally).GetSize(); }

int ModelContext::FindPopulationByKey(const std::string& key) {
  for (int row = 0; row < NumTallyRows(); ++row) {
    if (UpperCase(ReadTallyText(row, tally_cols.key)) == key) return row;
  }
  return -1;
}

}  // namespace woodtick
