#include "model/tallying.h"

#include <utility>

#include "model/column_types.h"
#include "model/sampling/population_rows.h"
#include "model/sampling/sampling_strategies.h"
#include "model/tally_file.h"
#include "model/tally_history.h"
#include "model/text.h"
#include "platform/env.h"

namespace woodtick {
namespace {

constexpr int kBufferRows = 10;

}  // namespace

TallyResult Tallying::SetKeyBoxText(const std::string& text) {
  key_box_text_ = text;
  return ProcessKey(text);
}

TallyResult Tallying::ProcessKey(const std::string& text) {
  ctx_.ui.EnableUntally();
  measured_ = false;
  last_tally_ = {};
  std::string key = UpperCase(text);
  if (key.size() != 1) {
    if (key.empty()) return last_tally_;
    // Several characters reached the box at once: drop the one already
    // tallied and let the rest arrive as a change of its own.
    size_t pos = last_key_.empty() ? std::string::npos : key.find(last_key_);
    if (pos == std::string::npos) {
      key.erase(0, 1);
    } else {
      key.erase(pos, last_key_.size());
    }
    return SetKeyBoxText(key);
  }
  last_key_ = key;
  if (!file_.is_open() || ctx_.store == nullptr) return last_tally_;
  last_tally_.key = key;
  size_t found = key[0] == '\0' ? std::string::npos : settings_.keys().find(key[0]);
  int row = static_cast<int>(found);
  if (found == std::string::npos || row >= ctx_.NumTallyRows()) {
    // The one key text no hot key can have names no character.
    status_text_ = kInvalidKeyStatus + (key[0] == '\0' ? std::string() : key);
    last_tally_.outcome = TallyOutcome::kInvalid;
    return last_tally_;
  }

  last_row_ = row;
  int count = ctx_.ReadTallyInt(row, ctx_.tally_cols.count) + 1;
  ctx_.store->SetInt(ctx_.view_slots.tally, row, ctx_.tally_cols.count, count);
  count_text_ = DecimalText(count);
  std::string label = ctx_.ReadTallyText(row, ctx_.tally_cols.label);
  last_tally_ = {
      TallyOutcome::kCounted, key, row, label, count, ctx_.ReadTallyInt(row, ctx_.tally_cols.hit)};
  if (settings_.show_counts_on_buttons()) {
    status_text_ = label;
    hit_text_ = ctx_.ReadTallyText(row, ctx_.tally_cols.hit);
  } else {
    status_text_ = label + ": " + count_text_;
  }
  if (settings_.sound()) ctx_.ui.Beep(1000, 250);

  HitRecord record;
  std::string method = ctx_.ReadTallyText(row, ctx_.tally_cols.meth);
  if (method.empty() || method[0] != ' ') {
    int hits = ctx_.ReadTallyInt(row, ctx_.tally_cols.hit);
    if (ctx_.strategies != nullptr && ctx_.strategies->Decide(row, count, hits)) {
      measured_ = true;
      status_text_ += " HIT!";
      if (settings_.sound()) {
        ctx_.ui.Beep(800, 200);
        ctx_.ui.Beep(1000, 300);
      }
      SetHitNumber(hit_number_ + 1);
      ctx_.ui.ShowHitNumber(DecimalText(hit_number_));
      ctx_.store->SetInt(ctx_.view_slots.tally, row, ctx_.tally_cols.hit, hits + 1);
      std::string hit_text = ctx_.ReadTallyText(row, ctx_.tally_cols.hit);
      if (!settings_.show_counts_on_buttons()) status_text_ += hit_text;
      hit_text_ = hit_text;
      last_tally_.outcome = TallyOutcome::kHit;
      last_tally_.hits = hits + 1;
      record = AddDataRecord(row);
    }
  }
  AppendHistory(*ctx_.store, ctx_.view_slots.history, ctx_.env.clock().Now(),
                {kTallyEvent, settings_.cur_unit(), last_key_, measured_, RowOf(record)});
  AddBufferEntry(measured_, record);

  file_.CountTally();
  int64_t counter = save_counter_++;
  // What was typed into a record cannot be tallied again: it is saved as
  // its editor closes, whatever the save interval says about counts.
  if (counter % settings_.save_interval() == 0 || record.mark != nullptr) {
    BusyCursor busy(ctx_.ui);
    file_.Commit();
  }
  return last_tally_;
}

HitRecord Tallying::AddDataRecord(int row) {
  std::string table = ctx_.ReadTallyText(row, ctx_.tally_cols.dat_table);
  if (table.empty()) return {};
  if (IsReservedTableName(table)) {
    if (missing_tables_told_.insert(table).second) {
      ctx_.ui.Warn("The population " + ctx_.ReadTallyText(row, ctx_.tally_cols.label) + " names '" +
                       table +
                       "' as its data table, but that name is reserved for one of Woodtick's own "
                       "tables.\nThe tally and the HIT have been counted, but no data record can "
                       "be added for it.\nChoose one of your data tables for the population in "
                       "Setup.",
                   "Reserved Table Name");
    }
    return {};
  }
  int slot = ctx_.store->FindView(table);
  if (slot < 0) {
    // The table was deleted while a population still names it: the tally
    // and HIT stay counted, and the user learns once why no record opens.
    if (missing_tables_told_.insert(table).second) {
      ctx_.ui.Warn("The data table '" + table + "' named by the population " +
                       ctx_.ReadTallyText(row, ctx_.tally_cols.label) +
                       " does not exist.\nThe tally and the HIT have been counted, but no data "
                       "record can be added for it.\nCheck the population's data table in Setup.",
                   "Missing Data Table");
    }
    return {};
  }
  int new_row = ctx_.store->AddRow(slot, -1);
  // Number columns start "not taken", never 0.
  MarkRowNotTaken(*ctx_.store, slot, new_row);
  HitRecord record{table, ctx_.store->View(slot).MarkRow(new_row),
                   settings_.show_num_box() ? DecimalText(hit_number_) : ""};
  ctx_.ui.RunRecordEditor({ctx_.store.get(), slot, new_row, UnitText(settings_.cur_unit()),
                           ctx_.ReadTallyText(row, ctx_.tally_cols.label), settings_.show_num_box(),
                           DecimalText(hit_number_)});
  return record;
}

int Tallying::RowOf(const HitRecord& record) {
  if (record.mark == nullptr) return -1;
  int slot = ctx_.store->FindView(record.table);
  int row = slot < 0 ? -1 : ctx_.store->View(slot).MarkedRow(*record.mark);
  return row < 0 ? -1 : row;
}

void Tallying::AddBufferEntry(bool measured, HitRecord record) {
  const int slot = ctx_.view_slots.buffer;
  mk::View buffer = ctx_.store->View(slot);
  if (buffer.GetSize() > kBufferRows - 1) buffer.RemoveAt(0);
  int row = ctx_.store->AddRow(slot, -1);
  WriteBufferEntry(*ctx_.store, slot, row, {settings_.cur_unit(), last_key_, measured});
  buffer_records_.push_back(std::move(record));
  while (static_cast<int>(buffer_records_.size()) > ctx_.store->View(slot).GetSize()) {
    buffer_records_.pop_front();
  }
}

void Tallying::BuildStrategies() {
  ctx_.strategies.reset();
  const Clock& clock = ctx_.env.clock();
  ctx_.strategies = MakeStrategies(
      ReadPopulationRows(*ctx_.store, ctx_.view_slots.tally, settings_.num_populations(),
                         ctx_.tally_cols.meth, ctx_.tally_cols.freq),
      clock);
}

void Tallying::DropStrategies() { ctx_.strategies.reset(); }

const HitRecord* Tallying::RecordAddedBy(int buffer_row) const {
  const int known = static_cast<int>(buffer_records_.size());
  int index = buffer_row - (ctx_.store->View(ctx_.view_slots.buffer).GetSize() - known);
  return index >= 0 && index < known ? &buffer_records_[index] : nullptr;
}

}  // namespace woodtick
