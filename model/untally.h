// Untally: the recent tallies of Buffer and taking one back (its count, its
// HIT and the record the HIT added), logged with the line the screen shows.
#pragma once

#include <string>
#include <vector>

#include "model/buffer_entry.h"
#include "model/held_file.h"
#include "model/model_context.h"
#include "model/tally_settings.h"
#include "model/tallying.h"

namespace woodtick {

// The Untally list's lines for entries that cannot be taken back.
inline constexpr const char* kPopDeletedMarker = "--pop deleted--";
inline constexpr const char* kUnitDeletedMarker = "--unit deleted--";

class Untally {
 public:
  Untally(ModelContext& ctx, HeldFile& file, TallySettings& settings, Tallying& tallying)
      : ctx_(ctx), file_(file), settings_(settings), tallying_(tallying) {}

  // Commits, then returns the Buffer's entries, oldest first.
  std::vector<BufferEntry> Entries();
  // The entry's line in the list: "001  Label  M", or the marker of an
  // entry taken back, of a deleted population or of a deleted unit.
  std::string Line(const BufferEntry& entry);
  // Whether the entry's line is no marker, so that it can be taken back.
  bool CanTakeBack(const BufferEntry& entry);
  // Takes back the entry that Entries() gave at `index`. False, with
  // nothing changed, when the Buffer no longer holds that entry there or it
  // cannot be taken back (told for one taken back already or whose
  // population was deleted).
  bool TakeBack(int index, const BufferEntry& entry);

 private:
  // Untally of a HIT of population `row` in `unit`: deletes the record
  // that the tally of Buffer row `index` added when it is certainly that
  // one, and returns the log's deletion note ("" when nothing was deleted,
  // the user told why), with the row it had in *deleted_row. A record added
  // this run is followed through every change of its table's rows; others
  // are found by what the HIT wrote.
  std::string DeleteHitRecord(int index, int row, int unit, int* deleted_row);
  // The one record of the table in `slot` that holds the Unit, Num (when
  // `num` is known) and Label the HIT wrote; mk::RowMark::kRemoved when
  // none does; kNotToldApart, the user told, when several could be it.
  int FindByWhatTheHitWrote(int slot, const std::string& table, const std::string& num, int row,
                            int unit);
  static constexpr int kNotToldApart = -3;

  ModelContext& ctx_;
  HeldFile& file_;
  TallySettings& settings_;
  Tallying& tallying_;
};

}  // namespace woodtick
