#include "model/untally.h"

#include <cstdlib>

#include "model/tally_file.h"
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
  if (entry.measured) {
    store.SetInt(ctx_.view_slots.tally, row, hit_col, ctx_.ReadTallyInt(row, hit_col) - 1);
    deletion_note = DeleteHitRecord(index, row, entry.unit);
  }
  WriteBufferEntry(store, buffer, index, BufferEntry{});
  file_.Log("Untally", "A", line + deletion_note);
  return true;
}

std::string Untally::DeleteHitRecord(int index, int row, int unit) {
  std::string table = ctx_.ReadTallyText(row, ctx_.tally_cols.dat_table);
  int slot = table.empty() || IsStandardView(table) ? -1 : ctx_.store->FindView(table);
  if (slot < 0) return "";
  int buffer_rows = ctx_.store->View(ctx_.view_slots.buffer).GetSize();
  // The records of the later HITs into the same table were appended after
  // this one, so it sat that many rows before the end.
  int skip = 0;
  for (int r = buffer_rows - 1; r >= index; --r) {
    const BufferEntry later = ReadBufferEntry(*ctx_.store, ctx_.view_slots.buffer, r);
    if (!later.measured) continue;
    int pop = ctx_.FindPopulationByKey(later.key);
    if (pop >= 0 && ctx_.ReadTallyText(pop, ctx_.tally_cols.dat_table) == table) ++skip;
  }
  // Records may have been added or deleted since, so the row there counts
  // only when it still holds what the HIT wrote; else the one row that
  // does. Anything less certain deletes nothing.
  mk::View records = ctx_.store->View(slot);
  std::vector<std::pair<int, std::string>> identity;
  auto add = [&](const std::string& name, const std::string& value) {
    int col = ColumnNamed(records, name);
    if (col >= 0) identity.emplace_back(col, value);
  };
  add("Unit", UnitText(unit));
  add("Label", ctx_.ReadTallyText(row, ctx_.tally_cols.label));
  std::string num = tallying_.HitNumberWrittenBy(index);
  if (!num.empty()) add("Num", num);
  auto holds = [&](int record) {
    for (const auto& [col, value] : identity) {
      if (!CellHolds(*ctx_.store, slot, record, col, value)) return false;
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
  return note;
}

}  // namespace woodtick
