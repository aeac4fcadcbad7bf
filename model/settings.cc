// Settings and units: LoadSettings, SetNumberOfUnits, SetCurrentUnit, the
// last hit number of a unit and the Setup screen's setting rows.
#include <algorithm>

#include "mk/convert.h"
#include "model/tally_file.h"
#include "model/tally_model.h"
#include "model/text.h"

namespace woodtick {
namespace {

std::string SettingClause(const std::string& block, const std::string& key) {
  return "Block=" + block + ", Key=" + key;
}

bool IsOn(const std::string& value) { return !value.empty() && value[0] == 'Y'; }

}  // namespace

bool TallyModel::ReadSetting(const std::string& block, const std::string& key, std::string* value) {
  value->clear();
  int slot = store_->OpenSelection("Globals", "Value", SettingClause(block, key), "", "");
  if (slot < 0) return false;
  bool found = store_->View(slot).GetSize() > 0;
  if (found) store_->GetString(slot, 0, 0, value);
  store_->ReleaseView(slot);
  return found;
}

void TallyModel::WriteSetting(const std::string& block, const std::string& key,
                              const std::string& value) {
  int slot = store_->OpenSelection("Globals", "Value", SettingClause(block, key), "", "");
  if (slot < 0) return;
  bool found = store_->View(slot).GetSize() > 0;
  if (found) store_->SetString(slot, 0, 0, value);
  store_->ReleaseView(slot);
  if (found) return;
  // A missing row is appended, as the program does for SaveInterval.
  int globals = store_->FindView("Globals");
  if (globals < 0) return;
  mk::View view = store_->View(globals);
  int row = store_->AddRow(globals, -1);
  store_->SetString(globals, row, view.FindPropIndexByName("Block"), block);
  store_->SetString(globals, row, view.FindPropIndexByName("Key"), key);
  store_->SetString(globals, row, view.FindPropIndexByName("Value"), value);
}

void TallyModel::LoadSettings() {
  // A row the file lacks gets its default, written into the file.
  auto read = [this](const std::string& block, const std::string& key) {
    std::string value;
    if (!ReadSetting(block, key, &value)) {
      value = DefaultSetting(block, key);
      WriteSetting(block, key, value);
    }
    return value;
  };
  num_units_text_ = read("Tally", "NumUnits");
  num_units_ = mk::TextToInt(num_units_text_);
  if (num_units_ < 1) {  // a unit count below 1 would leave no columns to tally into
    num_units_ = 1;
    num_units_text_ = "1";
  }
  cur_unit_ = mk::TextToInt(read("Tally", "CurUnit"));
  if (cur_unit_ > num_units_ || cur_unit_ < 1) {
    cur_unit_ = std::clamp(cur_unit_, 1, num_units_);
    WriteSetting("Tally", "CurUnit", DecimalText(cur_unit_));
  }
  tables_defined_ = read("Tally", "TablesDefined");
  save_interval_ = mk::TextToInt(read("System", "SaveInterval"));
  if (save_interval_ < 1 || save_interval_ > 100) save_interval_ = 1;
  sound_ = IsOn(read("System", "Sound"));
  show_counts_on_buttons_ = IsOn(read("System", "ShowCountsOnButtons"));
  show_num_box_ = IsOn(read("System", "ShowNumBox"));

  mk::View tally = store_->View(tally_slot_);
  num_populations_ = tally.GetSize();
  num_populations_text_ = DecimalText(num_populations_);
  tally_cols_.key = tally.FindPropIndexByName("Key");
  keys_.clear();
  for (int row = 0; row < num_populations_; ++row) {
    std::string key = ReadTallyText(row, tally_cols_.key);
    // One character per row, so that a key's position is its row even when
    // a Key cell is empty or longer (an empty one can never be typed).
    keys_ += key.empty() ? '\0' : key[0];
  }
  keys_ = UpperCase(keys_);
}

bool TallyModel::SetNumberOfUnits(const std::string& text) {
  int n = mk::TextToInt(text);
  if (n > kMaxUnits) {
    ui_.Warn("A tally can have at most " + DecimalText(kMaxUnits) +
                 " units (a unit is numbered with three digits).\nThe number of units stays " +
                 num_units_text_ + ".",
             "Too Many Units");
    return false;
  }
  std::string failure;
  {
    BusyCursor busy(ui_);
    if (n != num_units_) failure = RestructureUnits(n, text);
    Commit();
  }
  if (failure.empty()) return true;
  ui_.Warn("The number of units could not be changed to " + DecimalText(std::max(n, 1)) + ".\n" +
               failure + "\nThe tally file is unchanged: it still has " + num_units_text_ +
               " units.",
           "Units Not Changed");
  return false;
}

std::string TallyModel::RestructureUnits(int n, const std::string& text) {
  // The unit columns are rebuilt by restructuring the file's own Tally view,
  // which needs the file held open with its views attached. Everything done
  // so far is saved first, so that a failure can go back to the file as it
  // is now without losing anything else.
  const bool attached = store_->state() == 1;
  {
    // This failure is told by the caller, with what it means here.
    QuietCommitFailures quiet(this);
    if (Commit() != kStoreOk) return "The tally file could not be saved.";
  }
  if (!attached) {
    store_->Close(false);
    store_->Open(path_, false, held_lock_);
    OpenAllViews(false);
  }
  const int old_units = num_units_;
  const std::string old_text = num_units_text_;
  const int old_cur = cur_unit_;
  num_units_text_ = n < 1 ? "1" : text;
  n = std::max(n, 1);
  num_units_ = n;
  WriteSetting("Tally", "NumUnits", DecimalText(n));
  std::string cur;
  ReadSetting("Tally", "CurUnit", &cur);
  if (n < mk::TextToInt(cur)) WriteSetting("Tally", "CurUnit", DecimalText(n));
  ReadSetting("Tally", "CurUnit", &cur);
  cur_unit_ = mk::TextToInt(cur);
  WriteUnitDictionaryRows(*store_, dictionary_slot_, n);
  int result;
  {
    QuietCommitFailures quiet(this);
    result = store_->DefineTable("Tally", "Order1");
  }
  std::string failure;
  if (result != kStoreOk) {
    failure = result == kStoreCommitFailed
                  ? "The tally file could not be saved."
                  : "The populations' table could not be rebuilt from its column list.";
    // Drop the unsaved changes: reopening reads the file as saved above.
    store_->Close(false);
    store_->Open(path_, false, held_lock_);
    num_units_ = old_units;
    num_units_text_ = old_text;
    cur_unit_ = old_cur;
  }
  if (attached) {
    // Inside Setup the file stays held with its views attached, so what the
    // other Setup screens change next still reaches it.
    OpenAllViews(false);
  } else {
    store_->Open(path_, true, held_lock_);
    OpenAllViews(true);
    store_->Close(true);
  }
  LookUpUnitColumns();
  return failure;
}

void TallyModel::SetCurrentUnit(const std::string& text) {
  BusyCursor busy(ui_);
  int unit = mk::TextToInt(text);
  if (unit == cur_unit_ || unit < 1 || unit > num_units_) return;
  WriteSetting("Tally", "CurUnit", DecimalText(unit));
  cur_unit_ = unit;
  LookUpUnitColumns();
  // The last tallied population's texts must describe the unit now shown:
  // the tally screen redraws that button from them after any key, even an
  // invalid one.
  if (last_row_ >= 0 && last_row_ < store_->View(tally_slot_).GetSize()) {
    count_text_ = ReadTallyText(last_row_, tally_cols_.count);
    hit_text_ = ReadTallyText(last_row_, tally_cols_.hit);
  }
  if (show_counts_on_buttons_) ui_.RedrawPopulationButtons();
  if (show_num_box_ && RefreshHitNumber(unit)) ui_.ShowHitNumber(hit_number_text_);
  Commit();
}

std::optional<int> TallyModel::LastHitNumberOfUnit(int unit) {
  if (store_->View(tally_slot_).GetSize() < 1) return std::nullopt;
  std::string table = ReadTallyText(0, tally_cols_.dat_table);
  int table_slot = table.empty() || IsStandardView(table) ? -1 : store_->FindView(table);
  if (table_slot < 0) return std::nullopt;
  mk::View view = store_->View(table_slot);
  if (view.FindPropIndexByName("Num") < 0 || view.FindPropIndexByName("Unit") < 0) {
    return std::nullopt;
  }
  int slot = store_->OpenSelection(table, "Num", "Unit=" + UnitText(unit), "", "");
  if (slot < 0) return std::nullopt;
  int last = 0;
  for (int row = 0; row < store_->View(slot).GetSize(); ++row) {
    int32_t num = 0;
    store_->GetInt(slot, row, 0, &num);
    last = std::max(last, static_cast<int>(num));
  }
  store_->ReleaseView(slot);
  return last;
}

bool TallyModel::RefreshHitNumber(int unit) {
  std::optional<int> last = LastHitNumberOfUnit(unit);
  if (!last) return false;
  SetHitNumber(*last);
  return true;
}

void TallyModel::SetSaveIntervalItem(int position, const std::string& text) {
  save_interval_ = position + 1;
  WriteSetting("System", "SaveInterval", text);
}

void TallyModel::SetSound(bool on) {
  sound_ = on;
  WriteSetting("System", "Sound", on ? "Y" : "N");
}

void TallyModel::SetShowCountsOnButtons(bool on) {
  show_counts_on_buttons_ = on;
  WriteSetting("System", "ShowCountsOnButtons", on ? "Y" : "N");
}

void TallyModel::SetShowNumBox(bool on) {
  show_num_box_ = on;
  WriteSetting("System", "ShowNumBox", on ? "Y" : "N");
}

}  // namespace woodtick
