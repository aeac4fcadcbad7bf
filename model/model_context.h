// What the parts of the tally model share: the screens' Ui, the open store
// with the slots of its standard views, the positions of the columns the
// model addresses, and the sampling strategies built from the populations.
// One TallyModel owns one context; each of its parts holds a reference.
#pragma once

#include <memory>
#include <string>

#include "model/tally_file.h"
#include "model/tally_model_options.h"
#include "model/ui.h"
#include "store/data_store.h"

namespace woodtick {

class Env;
class SamplingStrategies;

// Positions of the columns the model addresses, looked up by name when a
// file opens (-1 when absent; an opened file has all of them).
struct TallyColumns {
  int key = -1, label = -1, desc = -1, meth = -1, freq = -1, dat_table = -1;
  int count = -1, hit = -1;  // of the current unit
};
struct DictionaryColumns {
  int table_name = -1, column_name = -1, field_type = -1, description = -1;
  int is_used = -1, order1 = -1, default_value = -1;
};

struct ModelContext {
  ModelContext(Ui& ui, TallyModelOptions options);
  ~ModelContext();

  // Opens the standard views and every other view of the store, taking the
  // standard views' slots.
  void OpenAllViews(bool buffered);
  // Looks up every column position; the unit columns are those of `unit`.
  void LookUpColumns(int unit);
  void LookUpUnitColumns(int unit);

  // Cell helpers on the Tally view: 0 or "" for a cell that cannot be read.
  int ReadTallyInt(int row, int col);
  std::string ReadTallyText(int row, int col);
  int NumTallyRows();
  // The Tally row whose upper-cased Key is `key`, the first such (the one
  // a tally of that key counts); -1.
  int FindPopulationByKey(const std::string& key);

  Ui& ui;
  // The machine: files, locks, copies and the clock.
  Env& env;
  std::unique_ptr<DataStore> store;
  std::unique_ptr<SamplingStrategies> strategies;
  StandardSlots view_slots;
  TallyColumns tally_cols;
  DictionaryColumns dict_cols;
};

}  // namespace woodtick
