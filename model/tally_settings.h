// TallySettings: the Globals settings of the open file held as typed
// values (each number once; its text is made where it is shown), the
// populations' count and hot keys, and the unit count's restructuring.
#pragma once

#include <string>

#include "model/held_file.h"
#include "model/model_context.h"

namespace woodtick {

// The program version every opened file is brought to.
inline constexpr const char* kProgramVersion = "2005.05.03";

// Unit texts have three digits.
inline constexpr int kMaxUnits = 999;

class TallySettings {
 public:
  TallySettings(ModelContext& ctx, HeldFile& file) : ctx_(ctx), file_(file) {}

  // Reads every setting (a missing row gets its default, written into the
  // file) and the populations' keys.
  void Load();
  // Logs and writes a new program version; a file of version 1.0 or 1.1
  // gets "C" in its empty Meth cells.
  void CheckVersion();
  // A Globals setting through a selection of its row; false when the row
  // is missing.
  bool Read(const std::string& block, const std::string& key, std::string* value);
  // Writes the row's Value, appending the row when it is missing.
  void Write(const std::string& block, const std::string& key, const std::string& value);

  // The Specify Units screen's OK with the typed text. False, with a
  // message and nothing changed, for more than kMaxUnits units or when the
  // file could not be restructured.
  bool SetNumberOfUnits(const std::string& text);
  // Makes `unit` current (written at once) and looks up its columns; false,
  // with nothing changed, when it is current already or no unit.
  bool SelectUnit(int unit);
  // The Setup screen's controls: the save-interval list (item position from
  // 0 and its text) and the three check boxes ("Y"/"N" written at once).
  void SetSaveIntervalItem(int position, const std::string& text);
  void SetSound(bool on);
  void SetShowCountsOnButtons(bool on);
  void SetShowNumBox(bool on);
  // Why the tally screen cannot show the last hit number for the first
  // `num_populations` populations ("" when it can): all must share one data
  // table, and it must have a "Num" column. A table that is defined but not
  // yet built is built (and saved) first. For Setup, whose store holds the
  // file open.
  std::string NumBoxRefusal(int num_populations);
  // The record editor adds or deletes populations while Setup is open.
  void ChangeNumPopulations(int delta) { num_populations_ += delta; }

  int num_units() const { return num_units_; }
  int cur_unit() const { return cur_unit_; }
  const std::string& tables_defined() const { return tables_defined_; }
  int save_interval() const { return save_interval_; }
  bool sound() const { return sound_; }
  bool show_counts_on_buttons() const { return show_counts_on_buttons_; }
  bool show_num_box() const { return show_num_box_; }
  int num_populations() const { return num_populations_; }
  // One upper-cased character per Tally row ('\0' for an empty Key).
  const std::string& keys() const { return keys_; }

 private:
  // SetNumberOfUnits with n differing from NumUnits: "" when done, else why
  // not (the file, settings and columns then as they were).
  std::string RestructureUnits(int n);

  ModelContext& ctx_;
  HeldFile& file_;
  int num_units_ = 1;
  int cur_unit_ = 1;
  std::string tables_defined_;
  int save_interval_ = 1;
  bool sound_ = false;
  bool show_counts_on_buttons_ = false;
  bool show_num_box_ = false;
  int num_populations_ = 0;
  std::string keys_;
};

}  // namespace woodtick
