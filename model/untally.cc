// Untally: the list of recent tallies and taking one back.
#include "model/tally_file.h"
#include "model/tally_model.h"
#include "model/text.h"

namespace woodtick {

std::vector<std::string> TallyModel::UntallyListLines() {
  BusyCursor busy(ui_);
  Commit();
  std::vector<std::string> lines;
  int rows = store_->View(buffer_slot_).GetSize();
  int populations = store_->View(tally_slot_).GetSize();
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
    // The population whose Key is the entry's key as stored (upper case),
    // else in lower case, as a selection on "Key=" would find it.
    int found = -1;
    for (const std::string& wanted : {UpperCase(key), LowerCase(key)}) {
      for (int row = 0; row < populations && found < 0; ++row) {
        if (ReadTallyText(row, tally_cols_.key) == wanted) found = row;
      }
      if (found >= 0) break;
    }
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
    std::string table = ReadTallyText(row, tally_cols_.dat_table);
    int table_slot = table.empty() || IsStandardView(table) ? -1 : store_->FindView(table);
    if (table_slot >= 0) {
      // The records of the later HITs into the same table were appended
      // after this one, so it sits that many rows before the end.
      int skip = 0;
      for (int r = buffer_rows - 1; r >= selection; --r) {
        std::string r_key, r_mark;
        store_->GetString(buffer_slot_, r, 1, &r_key);
        store_->GetString(buffer_slot_, r, 2, &r_mark);
        if (r_mark != "M") continue;
        int pop = FindPopulationByKey(r_key);
        if (pop >= 0 && ReadTallyText(pop, tally_cols_.dat_table) == table) ++skip;
      }
      mk::View records = store_->View(table_slot);
      int record = records.GetSize() - skip;
      if (record < 0) {
        ui_.Warn(
            "The counts have been decremented for that item but its record has already been "
            "deleted.",
            "Data Record Already Deleted");
      } else {
        deletion_note = " Data deleted from " + table + " table: ";
        for (int col = 0; col < records.NumProperties(); ++col) {
          std::string value;
          store_->GetString(table_slot, record, col, &value);
          deletion_note += value + " ";
        }
        records.RemoveAt(record);
      }
    }
  }
  store_->SetInt(buffer_slot_, selection, 0, 0);
  store_->SetString(buffer_slot_, selection, 1, kUntalliedMarker);
  store_->SetString(buffer_slot_, selection, 2, "");
  Log("Untally", "A", line + deletion_note);
  return true;
}

}  // namespace woodtick
