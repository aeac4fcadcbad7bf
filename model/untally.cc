#include "model/untally.h"

#include <cstdlib>

#include "model/tally_file.h"
#include "model/tally_history.h"
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

std::vector<BufferEntry> Untally::Entries() {
  BusyCursor busy(ctx_.ui);
  file_.Commit();
  std::vector<BufferEntry> entries;
  int rows = ctx_.store->View(ctx_.view_slots.buffer).GetSize();
  for (int r = 0; r < rows; ++r)
    entries.push_back(ReadBufferEntry(*ctx_.store, ctx_.view_slots.buffer, r));
  return entries;
}

std::string Untally::Line(const BufferEntry& entry) {
  if (entry.untallied()) return kUntalliedMarker;
  // The row the tally was counted in, as ProcessKey found it.
  int found = ctx_.FindPopulationByKey(UpperCase(entry.key));
  if (found < 0) return kPopDeletedMarker;
  if (entry.unit > settings_.num_units()) return kUnitDeletedMarker;
  return UnitText(entry.unit) + "  " + ctx_.ReadTallyText(found, ctx_.tally_cols.label) + "  " +
         (entry.measured ? "M" : "C");
}

bool Untally::CanTakeBack(const BufferEntry& entry) {
  const std::string line = Line(entry);
  return line != kUntalliedMarker && line != kPopDeletedMarker && line != kUnitDeletedMarker;
}

bool Untally::TakeBack(int index, const BufferEntry& entry) {
  DataStore& store = *ctx_.store;
  const int buffer = ctx_.view_slots.buffer;
  if (index < 0 || index >= store.View(buffer).GetSize()) return false;
  const BufferEntry held = ReadBufferEntry(store, buffer, index);
  if (entry.untallied() || held.untallied()) {
    ctx_.ui.Inform("You already untallied this!", "Doh!");
    return false;
  }
  // The Buffer moved on since the entry was read: it names another tally.
  if (held != entry) return false;
  const std::string line = Line(entry);
  if (line == kPopDeletedMarker) {
    ctx_.ui.Inform("The population for that tally has been deleted", "Doh!");
    return false;
  }
  if (line == kUnitDeletedMarker) return false;

  int row = ctx_.FindPopulationByKey(entry.key);
  mk::View tally = store.View(ctx_.view_slots.tally);
  int count_col = tally.FindPropIndexByName(CountColumnName(entry.unit));
  int hit_col = tally.FindPropIndexByName(HitColumnName(entry.unit));
  if (row < 0 || count_col < 0 || hit_col < 0) return false;

  store.SetInt(ctx_.view_slots.tally, row, count_col, ctx_.ReadTallyInt(row, count_col) - 1);
  std::string deletion_note;
  int deleted_row = -1;
  if (entry.measured) {
    store.SetInt(ctx_.view_slots.tally, row, hit_col, ctx_.ReadTallyInt(row, hit_col) - 1);
    deletion_note = DeleteHitRecord(index, row, entry.unit, &deleted_row);
  }
  WriteBufferEntry(store, buffer, index, BufferEntry{});
  AppendHistory(store, ctx_.view_slots.history, ctx_.env.clock().Now(),
                {kUntallyEvent, entry.unit, entry.key, entry.measured, deleted_row});
  file_.Log("Untally", "A", line + deletion_note);
  return true;
}

std::string Untally::DeleteHitRecord(int index, int row, int unit, int* deleted_row) {
  const HitRecord* added = tallying_.RecordAddedBy(index);
  // A HIT of this run knows the table its record went into; for an earlier
  // one only the population's table now is known.
  std::string table =
      added != nullptr ? added->table : ctx_.ReadTallyText(row, ctx_.tally_cols.dat_table);
  int slot = table.empty() || IsStandardView(table) ? -1 : ctx_.store->FindView(table);
  if (slot < 0) return "";
  mk::View records = ctx_.store->View(slot);
  int record = added != nullptr && added->mark != nullptr ? records.MarkedRow(*added->mark)
                                                          : mk::RowMark::kLost;
  if (record == mk::RowMark::kLost) {
    // Not followed (made before this run, or the file was reopened since).
    record = FindByWhatTheHitWrote(slot, table, added != nullptr ? added->num : "", row, unit);
    if (record == kNotToldApart) return "";
  }
  if (record < 0) {
    ctx_.ui.Warn(
        "The counts have been decremented for that item but its record has already been "
        "deleted.",
        "Data Record Already Deleted");
    return "";
  }
  std::string note = " Data deleted from " + table + " table: ";
  for (int col = 0; col < records.NumProperties(); ++col) {
    std::string value;
    ctx_.store->GetString(slot, record, col, &value);
    note += value + " ";
  }
  records.RemoveAt(record);
  *deleted_row = record;
  return note;
}

int Untally::FindByWhatTheHitWrote(int slot, const std::string& table, const std::string& num,
                                   int row, int unit) {
  mk::View records = ctx_.store->View(slot);
  std::vector<std::pair<int, std::string>> identity;
  std::string shown;
  auto add = [&](const std::string& name, const std::string& value) {
    int col = ColumnNamed(records, name);
    if (col < 0 || value.empty()) return;
    identity.emplace_back(col, value);
    shown += (shown.empty() ? "" : ", ") + name + " " + value;
  };
  add("Unit", UnitText(unit));
  add("Num", num);
  add("Label", ctx_.ReadTallyText(row, ctx_.tally_cols.label));
  std::vector<int> matches;
  for (int r = 0; r < records.GetSize(); ++r) {
    bool holds = true;
    for (const auto& [col, value] : identity) {
      holds = holds && CellHolds(*ctx_.store, slot, r, col, value);
    }
    if (holds) matches.push_back(r);
  }
  if (matches.empty()) return mk::RowMark::kRemoved;
  if (matches.size() == 1 && !identity.empty()) return matches[0];
  ctx_.ui.Warn("The counts have been decremented for that item, but no record has been deleted: " +
                   DecimalText(static_cast<long long>(matches.size())) + " records in the " +
                   table + " table could be the one it added" +
                   (shown.empty() ? "" : " (" + shown + ")") +
                   ", and Woodtick cannot tell which.\nIf one of them should go, delete it in "
                   "Edit Data.",
               "Data Record Not Deleted");
  return kNotToldApart;
}

}  // namespace woodtick
