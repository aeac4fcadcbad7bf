// Untally: the list of recent tallies and taking one back.
#include <cstdlib>

#include "model/tally_file.h"
#include "model/tally_model.h"
#include "model/text.h"

namespace woodtick {
namespace {

// Whether a cell holds what a HIT wrote into it: the same text, or the same
// whole number (a unit "007" reads back as "7" from an integer column).
bool CellHolds(DataStore& store, int slot, int row, int col, const std::string& written) {
  std::string text;
  if (store.GetString(slot, row, col, &text) != 0) return false;
  if (text == written) return true;
  auto whole = [](const std::string& t, long long* value) {
    std::string trimmed = TrimBlanks(t);
    if (trimmed.empty()) return false;
    char* end = nullptr;
    *value = std::strtoll(trimmed.c_str(), &end, 10);
    return *end == '\0';
  };
  long long a = 0, b = 0;
  return whole(text, &a) && whole(written, &b) && a == b;
}

// The column named exactly `name`, -1 when the view has none.
int ColumnNamed(const mk::View& view, const std::string& name) {
  for (int col = 0; col < view.NumProperties(); ++col) {
    if (view.NthProperty(col).name == name) return col;
  }
  return -1;
}

}  // namespace

std::vector<std::string> TallyModel::UntallyListLines() {
  BusyCursor busy(ui_);
  Commit();
  std::vector<std::string> lines;
  int rows = store_->View(buffer_slot_).GetSize();
  for (int r = 0; r < rows; ++r) {
    int32_t unit = 0;
    store_->GetInt(buffer_slot_, r, 0, &unit);
    if (unit == 0) {
      lines.push_back(kUntalliedMarker);
      continue;
    }
    std::string line = UnitText(unit) + "  ";
    std::string key, mark;
    store_->GetString(buffer_slot_, r, 1, &key);
    store_->GetString(buffer_slot_, r, 2, &mark);
    // The row the tally was counted in, as ProcessKey found it.
    int found = FindPopulationByKey(UpperCase(key));
    if (found >= 0) line += ReadTallyText(found, tally_cols_.label) + "  " + mark;
    if (unit > num_units_) line = kUnitDeletedMarker;
    if (found < 0) line = kPopDeletedMarker;
    lines.push_back(line);
  }
  return lines;
}

bool TallyModel::IsUntallyMarker(const std::string& line) {
  return line == kUntalliedMarker || line == kPopDeletedMarker || line == kUnitDeletedMarker;
}

bool TallyModel::UntallyEntry(int selection, const std::string& line) {
  int buffer_rows = store_->View(buffer_slot_).GetSize();
  if (selection < 0 || selection >= buffer_rows) return false;
  if (line == kUntalliedMarker) {
    ui_.Inform("You already untallied this!", "Doh!");
    return false;
  }
  if (line == kPopDeletedMarker) {
    ui_.Inform("The population for that tally has been deleted", "Doh!");
    return false;
  }
  if (line == kUnitDeletedMarker) return false;

  std::string key, mark;
  int32_t unit = 0;
  store_->GetString(buffer_slot_, selection, 1, &key);
  store_->GetInt(buffer_slot_, selection, 0, &unit);
  store_->GetString(buffer_slot_, selection, 2, &mark);
  int row = FindPopulationByKey(key);
  mk::View tally = store_->View(tally_slot_);
  int count_col = tally.FindPropIndexByName(CountColumnName(unit));
  int hit_col = tally.FindPropIndexByName(HitColumnName(unit));
  if (row < 0 || count_col < 0 || hit_col < 0) return false;

  store_->SetInt(tally_slot_, row, count_col, ReadTallyInt(row, count_col) - 1);
  std::string deletion_note;
  if (mark == "M") {
    store_->SetInt(tally_slot_, row, hit_col, ReadTallyInt(row, hit_col) - 1);
    deletion_note = DeleteHitRecord(selection, row, unit);
  }
  store_->SetInt(buffer_slot_, selection, 0, 0);
  store_->SetString(buffer_slot_, selection, 1, kUntalliedMarker);
  store_->SetString(buffer_slot_, selection, 2, "");
  Log("Untally", "A", line + deletion_note);
  return true;
}

std::string TallyModel::DeleteHitRecord(int selection, int row, int unit) {
  std::string table = ReadTallyText(row, tally_cols_.dat_table);
  int slot = table.empty() || IsStandardView(table) ? -1 : store_->FindView(table);
  if (slot < 0) return "";
  int buffer_rows = store_->View(buffer_slot_).GetSize();
  // The records of the later HITs into the same table were appended after
  // this one, so it sat that many rows before the end.
  int skip = 0;
  for (int r = buffer_rows - 1; r >= selection; --r) {
    std::string r_key, r_mark;
    store_->GetString(buffer_slot_, r, 1, &r_key);
    store_->GetString(buffer_slot_, r, 2, &r_mark);
    if (r_mark != "M") continue;
    int pop = FindPopulationByKey(r_key);
    if (pop >= 0 && ReadTallyText(pop, tally_cols_.dat_table) == table) ++skip;
  }
  // Records may have been added or deleted since, so the row there counts
  // only when it still holds what the HIT wrote; else the one row that
  // does. Anything less certain deletes nothing.
  mk::View records = store_->View(slot);
  std::vector<std::pair<int, std::string>> identity;
  auto add = [&](const std::string& name, const std::string& value) {
    int col = ColumnNamed(records, name);
    if (col >= 0) identity.emplace_back(col, value);
  };
  add("Unit", UnitText(unit));
  add("Label", ReadTallyText(row, tally_cols_.label));
  std::string num = HitNumberWrittenBy(selection);
  if (!num.empty()) add("Num", num);
  auto holds = [&](int record) {
    for (const auto& [col, value] : identity) {
      if (!CellHolds(*store_, slot, record, col, value)) return false;
    }
    return true;
  };
  int record = records.GetSize() - skip;
  if (record < 0 || !holds(record)) {
    record = -1;
    int matches = 0;
    for (int r = 0; r < records.GetSize(); ++r) {
      if (holds(r) && ++matches == 1) record = r;
    }
    if (matches != 1) record = -1;
  }
  if (identity.empty() || record < 0) {
    ui_.Warn(
        "The counts have been decremented for that item but its record has already been "
        "deleted.",
        "Data Record Already Deleted");
    return "";
  }
  std::string note = " Data deleted from " + table + " table: ";
  for (int col = 0; col < records.NumProperties(); ++col) {
    std::string value;
    store_->GetString(slot, record, col, &value);
    note += value + " ";
  }
  records.RemoveAt(record);
  return note;
}

std::string TallyModel::HitNumberWrittenBy(int buffer_row) {
  int rows = store_->View(buffer_slot_).GetSize();
  int index = buffer_row - (rows - static_cast<int>(buffer_nums_.size()));
  return index >= 0 && index < static_cast<int>(buffer_nums_.size()) ? buffer_nums_[index] : "";
}

}  // namespace woodtick
