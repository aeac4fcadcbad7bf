// One row of the Buffer view, the record of a recent tally that Untally can
// take back: its unit, the key pressed (upper case) and whether the tally
// was measured (a HIT). An entry taken back has unit 0.
#pragma once

#include <memory>
#include <string>

#include "mk/row_mark.h"

namespace woodtick {

class DataStore;

// The key a taken-back entry holds; also the Untally list's line for it.
inline constexpr const char* kUntalliedMarker = "--untallied--";

struct BufferEntry {
  int unit = 0;
  std::string key = kUntalliedMarker;
  bool measured = false;

  bool untallied() const { return unit == 0; }
  bool operator==(const BufferEntry&) const = default;
};

// What this run knows of a HIT's record beyond the Buffer: the data table
// it was added to, the mark that follows its row there through every later
// insertion and removal, and the Num the HIT wrote into it ("" for none).
struct HitRecord {
  std::string table;                        // "" when the tally added no record
  std::shared_ptr<const mk::RowMark> mark;  // null when the tally added no record
  std::string num;
};

// The entry in row `row` of the Buffer view in `slot`.
BufferEntry ReadBufferEntry(DataStore& store, int slot, int row);
// Writes `entry` into row `row` (its mark "M" or "C"; "" once taken back).
void WriteBufferEntry(DataStore& store, int slot, int row, const BufferEntry& entry);

}  // namespace woodtick
