#include "model/tally_settings.h"

#include <algorithm>

#include "mk/convert.h"
#include "model/tally_file.h"
#include "model/text.h"

namespace woodtick {
namespace {

std::string SettingClause(const std::string& block, const std::string& key) {
  return "Block=" + block + ", Key=" + key;
}

bool IsOn(const std::string& value) { return !value.empty() && value[0] == 'Y'; }

constexpr const char* kUpgradeNote =
    "Data Updated for new SamplingStrategies class: Blanks changed to 'C's in Meth col of "
    "Tally Table.";

}  // namespace

bool TallySettings::Read(const std::string& block, const std::string& key, std::string* value) {
  value->clear();
  int slot = ctx_.store->OpenSelection("Globals", "Value", SettingClause(block, key), "", "");
  if (slot < 0) return false;
  bool found = ctx_.store->View(slot).GetSize() > 0;
  if (found) ctx_.store->GetString(slot, 0, 0, value);
  ctx_.store->ReleaseView(slot);
  return found;
}

void TallySettings::Write(const std::string& block, const std::string& key,
                          const std::string& value) {
  int slot = ctx_.store->OpenSelection("Globals", "Value", SettingClause(block, key), "", "");
  if (slot < 0) return;
  bool found = ctx_.store->View(slot).GetSize() > 0;
  if (found) ctx_.store->SetString(slot, 0, 0, value);
  ctx_.store->ReleaseView(slot);
  if (found) return;
  // A missing row is appended, as the program does for SaveInterval.
  int globals = ctx_.store->FindView("Globals");
  if (globals < 0) return;
  mk::View view = ctx_.store->View(globals);
  int row = ctx_.store->AddRow(globals, -1);
  ctx_.store->SetString(globals, row, view.FindPropIndexByName("Block"), block);
  ctx_.store->SetString(globals, row, view.FindPropIndexByName("Key"), key);
  ctx_.store->SetString(globals, row, view.FindPropIndexByName("Value"), value);
}

void TallySettings::Load() {
  // A row the file lacks gets its default, written into the file.
  auto read = [this](const std::string& block, const std::string& key) {
    std::string value;
    if (!Read(block, key, &value)) {
      value = DefaultSetting(block, key);
      Write(block, key, value);
    }
    return value;
  };
  // A unit count below 1 would leave no columns to tally into.
  num_units_ = std::max(mk::TextToInt(read("Tally", "NumUnits")), 1);
  cur_unit_ = mk::TextToInt(read("Tally", "CurUnit"));
  if (cur_unit_ > num_units_ || cur_unit_ < 1) {
    cur_unit_ = std::clamp(cur_unit_, 1, num_units_);
    Write("Tally", "CurUnit", DecimalText(cur_unit_));
  }
  tables_defined_ = read("Tally", "TablesDefined");
  save_interval_ = mk::TextToInt(read("System", "SaveInterval"));
  if (save_interval_ < 1 || save_interval_ > 100) save_interval_ = 1;
  sound_ = IsOn(read("System", "Sound"));
  show_counts_on_buttons_ = IsOn(read("System", "ShowCountsOnButtons"));
  show_num_box_ = IsOn(read("System", "ShowNumBox"));

  mk::View tally = ctx_.store->View(ctx_.view_slots.tally);
  num_populations_ = tally.GetSize();
  ctx_.LookUpKeyColumn();
  keys_.clear();
  for (int row = 0; row < num_populations_; ++row) {
    std::string key = ctx_.ReadTallyText(row, ctx_.tally_cols.key);
    // One character per row, so that a key's position is its row even when
    // a Key cell is empty or longer (an empty one can never be typed).
    keys_ += key.empty() ? '\0' : key[0];
  }
  keys_ = UpperCase(keys_);
}

bool TallySettings::SetNumberOfUnits(const std::string& text) {
  int n = mk::TextToInt(text);
  if (n > kMaxUnits) {
    ctx_.ui.Warn("A tally can have at most " + DecimalText(kMaxUnits) +
                     " units (a unit is numbered with three digits).\nThe number of units stays " +
                     DecimalText(num_units_) + ".",
                 "Too Many Units");
    return false;
  }
  std::string failure;
  {
    BusyCursor busy(ctx_.ui);
    if (n != num_units_) failure = RestructureUnits(n);
    file_.Commit();
  }
  if (failure.empty()) return true;
  ctx_.ui.Warn("The number of units could not be changed to " + DecimalText(std::max(n, 1)) +
                   ".\n" + failure + "\nThe tally file is unchanged: it still has " +
                   DecimalText(num_units_) + " units.",
               "Units Not Changed");
  return false;
}

std::string TallySettings::RestructureUnits(int n) {
  // The unit columns are rebuilt by restructuring the file's own Tally view,
  // which needs the file held open with its views attached. Everything done
  // so far is saved first, so that a failure can go back to the file as it
  // is now without losing anything else.
  const bool attached = ctx_.store->state() == 1;
  {
    // This failure is told by the caller, with what it means here.
    SaveFailures::Quiet quiet(file_.saves());
    if (file_.Commit() != kStoreOk) return "The tally file could not be saved.";
  }
  // Every reopen keeps the lock held. One that fails leaves the store
  // closed; what was done before was saved just above.
  auto reopen = [this](bool buffered) {
    return ctx_.store->Open(file_.path(), buffered, file_.lock()) == kStoreOk;
  };
  const std::string unopened = "The tally file could not be opened again.";
  if (!attached) {
    ctx_.store->Close(false);
    if (!reopen(false)) return unopened + "\n" + ctx_.store->LastError();
    ctx_.OpenAllViews(false);
  }
  const int old_units = num_units_;
  const int old_cur = cur_unit_;
  n = std::max(n, 1);
  num_units_ = n;
  Write("Tally", "NumUnits", DecimalText(n));
  std::string cur;
  Read("Tally", "CurUnit", &cur);
  if (n < mk::TextToInt(cur)) Write("Tally", "CurUnit", DecimalText(n));
  Read("Tally", "CurUnit", &cur);
  cur_unit_ = mk::TextToInt(cur);
  WriteUnitDictionaryRows(*ctx_.store, ctx_.view_slots.dictionary, n);
  int result;
  {
    SaveFailures::Quiet quiet(file_.saves());
    result = ctx_.store->DefineTable("Tally", "Order1");
  }
  std::string failure;
  if (result != kStoreOk) {
    failure = result == kStoreCommitFailed
                  ? "The tally file could not be saved."
                  : "The populations' table could not be rebuilt from its column list.";
    // Drop the unsaved changes: reopening reads the file as saved above.
    ctx_.store->Close(false);
    num_units_ = old_units;
    cur_unit_ = old_cur;
    if (!reopen(false)) return failure + "\n" + unopened + "\n" + ctx_.store->LastError();
  }
  if (attached) {
    // Inside Setup the file stays held with its views attached, so what the
    // other Setup screens change next still reaches it.
    ctx_.OpenAllViews(false);
  } else {
    if (!reopen(true)) return unopened + "\n" + ctx_.store->LastError();
    ctx_.OpenAllViews(true);
    ctx_.store->Close(true);
  }
  ctx_.LookUpUnitColumns(cur_unit_);
  return failure;
}

bool TallySettings::SelectUnit(int unit) {
  if (unit == cur_unit_ || unit < 1 || unit > num_units_) return false;
  Write("Tally", "CurUnit", DecimalText(unit));
  cur_unit_ = unit;
  ctx_.LookUpUnitColumns(unit);
  return true;
}

void TallySettings::CheckVersion() {
  std::string old_version;
  bool has_row = Read("System", "Version", &old_version);
  if (!has_row || old_version != kProgramVersion) {
    file_.Log("New Woodtick Version", "I", kProgramVersion);
    Write("System", "Version", kProgramVersion);
  }
  if (old_version == "1.0" || old_version == "1.1") {
    for (int row = 0; row < ctx_.NumTallyRows(); ++row) {
      if (ctx_.ReadTallyText(row, ctx_.tally_cols.meth).empty()) {
        ctx_.store->SetString(ctx_.view_slots.tally, row, ctx_.tally_cols.meth, "C");
      }
    }
    file_.Log("Tally Table updated", "I", kUpgradeNote);
  }
}

std::string TallySettings::NumBoxRefusal(int num_populations) {
  constexpr int kDatTableColumn = 5;
  DataStore& store = *ctx_.store;
  const int tally_slot = store.FindView("Tally");
  // The hit number comes from one data table, so all must share it.
  std::string table;
  std::string joined;
  for (int i = 0; i < num_populations; ++i) {
    std::string name;
    store.GetString(tally_slot, i, kDatTableColumn, &name);
    if (!name.empty()) table = name;
    joined += "," + name;
  }
  std::string expected;
  for (int i = 0; i < num_populations; ++i) expected += "," + table;
  if (joined != expected) {
    return "In order to select the 'Show Last Hit Number' option, all populations must use the "
           "same data table.";
  }
  int slot = -1;
  if (!table.empty() && !store.CheckForView(table, &slot)) {
    store.DefineTable(table, "Order1");
    store.CheckForView(table, &slot);
    static_cast<void>(store.Commit());  // a failure has been told by the store's reporter
  }
  if (table.empty() || slot < 0 || store.View(slot).FindPropIndexByName("Num") < 0) {
    return "In order to select the 'Show Last Hit Number' option, the data table must have a "
           "field called 'Num'.";
  }
  return "";
}

void TallySettings::SetSaveIntervalItem(int position, const std::string& text) {
  save_interval_ = position + 1;
  Write("System", "SaveInterval", text);
}

void TallySettings::SetSound(bool on) {
  sound_ = on;
  Write("System", "Sound", on ? "Y" : "N");
}

void TallySettings::SetShowCountsOnButtons(bool on) {
  show_counts_on_buttons_ = on;
  Write("System", "ShowCountsOnButtons", on ? "Y" : "N");
}

void TallySettings::SetShowNumBox(bool on) {
  show_num_box_ = on;
  Write("System", "ShowNumBox", on ? "Y" : "N");
}

}  // namespace woodtick
