#include "model/tally_history.h"

#include <cstdio>
#include <cstdlib>

#include "store/data_store.h"

namespace woodtick {

std::string IsoLocalTime(const LocalDateTime& t) {
  const int offset = std::abs(t.utc_offset_minutes);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.year, t.month,
                t.day, t.hour, t.minute, t.second, t.utc_offset_minutes < 0 ? '-' : '+',
                offset / 60, offset % 60);
  return text;
}

void AppendHistory(DataStore& store, int slot, const LocalDateTime& now, const HistoryRow& row) {
  if (slot < 0) return;
  mk::View history = store.View(slot);
  // By name: a file may carry the view with its columns in another order.
  auto col = [&](const char* name) { return history.FindPropIndexByName(name); };
  const int at = store.AddRow(slot, -1);
  if (at < 0) return;
  store.SetString(slot, at, col("Time"), IsoLocalTime(now));
  store.SetString(slot, at, col("Event"), row.event);
  store.SetInt(slot, at, col("Unit"), row.unit);
  store.SetString(slot, at, col("Key"), row.key);
  store.SetInt(slot, at, col("Measured"), row.measured ? 1 : 0);
  store.SetInt(slot, at, col("Record"), row.record);
}

}  // namespace woodtick
