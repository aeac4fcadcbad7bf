// The tally history: every tally, take-back and reset of a tally file, one
// row each, in the order they happened, with the local time. Unlike the
// Buffer (the last ten, rewritten by Untally) it only ever grows, until a
// template starts it afresh.
#pragma once

#include <string>

#include "platform/clock.h"

namespace woodtick {

class DataStore;

inline constexpr const char* kHistoryView = "TallyHistory";
// Time: local ISO 8601 with its UTC offset; Event: one of the k...Event
// texts; Measured: 1 for a HIT; Record: the row the HIT's record had in its
// data table, -1 for none.
inline constexpr const char* kHistoryDescription =
    "TallyHistory[Time:S,Event:S,Unit:I,Key:S,Measured:I,Record:I]";

inline constexpr const char* kTallyEvent = "Tally";
inline constexpr const char* kUntallyEvent = "Untally";
// Reset Counters: the counts start again from here; the rows before stay.
inline constexpr const char* kResetEvent = "Reset";

struct HistoryRow {
  const char* event = kTallyEvent;
  int unit = 0;
  std::string key;
  bool measured = false;
  int record = -1;
};

// "2005-05-03T09:05:00+02:00".
std::string IsoLocalTime(const LocalDateTime& t);

// Appends `row` at time `now` to the history view in `slot`; nothing when
// the slot holds no view (a store opened without one).
void AppendHistory(DataStore& store, int slot, const LocalDateTime& now, const HistoryRow& row);

}  // namespace woodtick
