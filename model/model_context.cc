#include "model/model_context.h"

#include "model/sampling/sampling_strategies.h"
#include "model/text.h"

namespace woodtick {

ModelContext::ModelContext(Ui& ui, TallyModelOptions options) : ui(ui), options(options) {}

ModelContext::~ModelContext() = default;

void ModelContext::OpenAllViews(bool buffered) {
  view_slots = woodtick::OpenAllViews(*store, buffered);
}

void ModelContext::LookUpColumns(int unit) {
  LookUpUnitColumns(unit);
  mk::View tally = store->View(view_slots.tally);
  tally_cols.key = tally.FindPropIndexByName("Key");
  tally_cols.desc = tally.FindPropIndexByName("Desc");
  tally_cols.meth = tally.FindPropIndexByName("Meth");
  tally_cols.freq = tally.FindPropIndexByName("Freq");
  tally_cols.dat_table = tally.FindPropIndexByName("DatTable");
  tally_cols.label = tally.FindPropIndexByName("Label");
  mk::View dict = store->View(view_slots.dictionary);
  dict_cols.table_name = dict.FindPropIndexByName("TableName");
  dict_cols.column_name = dict.FindPropIndexByName("ColumnName");
  dict_cols.field_type = dict.FindPropIndexByName("FieldType");
  dict_cols.description = dict.FindPropIndexByName("Description");
  dict_cols.is_used = dict.FindPropIndexByName("IsUsed");
  dict_cols.order1 = dict.FindPropIndexByName("Order1");
  dict_cols.default_value = dict.FindPropIndexByName("DefaultValue");
}

void ModelContext::LookUpUnitColumns(int unit) {
  mk::View tally = store->View(view_slots.tally);
  tally_cols.count = tally.FindPropIndexByName(CountColumnName(unit));
  tally_cols.hit = tally.FindPropIndexByName(HitColumnName(unit));
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
