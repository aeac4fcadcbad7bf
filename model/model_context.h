// What the parts of the tally model share: the screens' Ui, the open store
// with the slots of its standard views, the positions of the columns the
// model addresses, and the sampling strategies built from the populations.
// One TallyModel owns one context; each of its parts holds a reference.
//
// Every part reads all of it; who changes what is fixed here and checked by
// the compiler:
//   store            replaced only by HeldFile (opening, Setup, closing)
//   strategies       built and dropped only by Tallying
//   view_slots,      set only by the context's own OpenAllViews and
//   tally_cols,      LookUpColumns / LookUpUnitColumns, which whoever
//   dict_cols        reopens the store's views or changes the unit runs
// The store's contents are changed by every part, through its own calls.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>

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

class HeldFile;
class Tallying;

// An object every part uses through this pointer and only `Owner` replaces.
template <typename T, typename Owner>
class OwnedBy {
 public:
  T* operator->() const { return p_.get(); }
  T& operator*() const { return *p_; }
  T* get() const { return p_.get(); }
  bool operator==(std::nullptr_t) const { return p_ == nullptr; }

 private:
  friend Owner;
  OwnedBy& operator=(std::unique_ptr<T> p) {
    p_ = std::move(p);
    return *this;
  }
  void reset() { p_.reset(); }

  std::unique_ptr<T> p_;
};

class ModelContext {
 public:
  ModelContext(Ui& ui, TallyModelOptions options);
  ~ModelContext();
  ModelContext(const ModelContext&) = delete;
  ModelContext& operator=(const ModelContext&) = delete;

  // Opens the standard views and every other view of the store, taking the
  // standard views' slots.
  void OpenAllViews(bool buffered);
  // Looks up every column position; the unit columns are those of `unit`.
  void LookUpColumns(int unit);
  void LookUpUnitColumns(int unit);
  void LookUpKeyColumn();

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
  OwnedBy<DataStore, HeldFile> store;
  OwnedBy<SamplingStrategies, Tallying> strategies;

 private:
  StandardSlots view_slots_;
  TallyColumns tally_cols_;
  DictionaryColumns dict_cols_;

 public:
  // Read-only to the parts (see the top of this file).
  const StandardSlots& view_slots{view_slots_};
  const TallyColumns& tally_cols{tally_cols_};
  const DictionaryColumns& dict_cols{dict_cols_};
};

}  // namespace woodtick
