// Tallying: the key box, ProcessKey and the Buffer of recent tallies.
#include "model/sampling/sampling_strategies.h"
#include "model/tally_file.h"
#include "model/tally_model.h"
#include "model/text.h"

namespace woodtick {
namespace {

constexpr int kBufferRows = 10;

}  // namespace

void TallyModel::SetKeyBoxText(const std::string& text) {
  key_box_text_ = text;
  ProcessKey(text);
}

void TallyModel::ProcessKey(const std::string& text) {
  ui_.EnableUntally();
  measured_ = false;
  std::string key = UpperCase(text);
  if (key.size() != 1) {
    if (key.empty()) return;
    // Several characters reached the box at once: drop the one already
    // tallied and let the rest arrive as a change of its own.
    size_t pos = last_key_.empty() ? std::string::npos : key.find(last_key_);
    if (pos == std::string::npos) {
      key.erase(0, 1);
    } else {
      key.erase(pos, last_key_.size());
    }
    SetKeyBoxText(key);
    return;
  }
  last_key_ = key;
  if (!open_ || store_ == nullptr) return;
  size_t found = key[0] == '\0' ? std::string::npos : keys_.find(key[0]);
  int row = static_cast<int>(found);
  if (found == std::string::npos || row >= store_->View(tally_slot_).GetSize()) {
    // The one key text no hot key can have names no character.
    status_text_ = "Invalid Key: " + (key[0] == '\0' ? std::string() : key);
    return;
  }

  last_row_ = row;
  int count = ReadTallyInt(row, tally_cols_.count) + 1;
  store_->SetInt(tally_slot_, row, tally_cols_.count, count);
  count_text_ = DecimalText(count);
  std::string label = ReadTallyText(row, tally_cols_.label);
  if (show_counts_on_buttons_) {
    status_text_ = label;
    hit_text_ = ReadTallyText(row, tally_cols_.hit);
  } else {
    status_text_ = label + ": " + count_text_;
  }
  if (sound_) ui_.Beep(1000, 250);

  std::string method = ReadTallyText(row, tally_cols_.meth);
  if (method.empty() || method[0] != ' ') {
    int hits = ReadTallyInt(row, tally_cols_.hit);
    if (strategies_ != nullptr && strategies_->Decide(row, count, hits)) {
      measured_ = true;
      status_text_ += " HIT!";
      if (sound_) {
        ui_.Beep(800, 200);
        ui_.Beep(1000, 300);
      }
      SetHitNumber(hit_number_ + 1);
      ui_.ShowHitNumber(hit_number_text_);
      store_->SetInt(tally_slot_, row, tally_cols_.hit, hits + 1);
      std::string hit_text = ReadTallyText(row, tally_cols_.hit);
      if (!show_counts_on_buttons_) status_text_ += hit_text;
      hit_text_ = hit_text;
      AddDataRecord(row);
    }
  }
  AddBufferEntry(measured_);

  ++unsaved_tallies_;
  int64_t counter = save_counter_++;
  if (counter % save_interval_ == 0) {
    BusyCursor busy(ui_);
    Commit();
  }
}

void TallyModel::AddDataRecord(int row) {
  std::string table = ReadTallyText(row, tally_cols_.dat_table);
  if (table.empty()) return;
  if (IsReservedTableName(table)) {
    if (missing_tables_told_.insert(table).second) {
      ui_.Warn("The population " + ReadTallyText(row, tally_cols_.label) + " names '" + table +
                   "' as its data table, but that name is reserved for one of Woodtick's own "
                   "tables.\nThe tally and the HIT have been counted, but no data record can "
                   "be added for it.\nChoose one of your data tables for the population in "
                   "Setup.",
               "Reserved Table Name");
    }
    return;
  }
  int slot = store_->FindView(table);
  if (slot < 0) {
    // The table was deleted while a population still names it: the tally
    // and HIT stay counted, and the user learns once why no record opens.
    if (missing_tables_told_.insert(table).second) {
      ui_.Warn("The data table '" + table + "' named by the population " +
                   ReadTallyText(row, tally_cols_.label) +
                   " does not exist.\nThe tally and the HIT have been counted, but no data "
                   "record can be added for it.\nCheck the population's data table in Setup.",
               "Missing Data Table");
    }
    return;
  }
  int new_row = store_->AddRow(slot, -1);
  ui_.RunRecordEditor({store_.get(), slot, new_row, UnitText(cur_unit_),
                       ReadTallyText(row, tally_cols_.label), show_num_box_, hit_number_text_});
}

void TallyModel::AddBufferEntry(bool measured) {
  mk::View buffer = store_->View(buffer_slot_);
  if (buffer.GetSize() > kBufferRows - 1) buffer.RemoveAt(0);
  int row = store_->AddRow(buffer_slot_, -1);
  store_->SetInt(buffer_slot_, row, 0, cur_unit_);
  store_->SetString(buffer_slot_, row, 1, last_key_);
  store_->SetString(buffer_slot_, row, 2, measured ? "M" : "C");
  buffer_nums_.push_back(measured && show_num_box_ ? hit_number_text_ : "");
  while (static_cast<int>(buffer_nums_.size()) > store_->View(buffer_slot_).GetSize()) {
    buffer_nums_.pop_front();
  }
}

}  // namespace woodtick
