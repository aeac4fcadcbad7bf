// Tallying: the hidden key box of the tally screen, ProcessKey (count, the
// sampling decision, the HIT's data record), the Buffer of recent tallies,
// the hit number, and what the tally screen shows of the populations.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/buffer_entry.h"
#include "model/held_file.h"
#include "model/model_context.h"
#include "model/tally_settings.h"

namespace woodtick {

// The status text of a key that is no population's hot key begins so.
inline constexpr char kInvalidKeyStatus[] = "Invalid Key: ";

// What one tally did, so a screen can show it without reading it back out
// of the status text.
enum class TallyOutcome {
  kNone,     // nothing was tallied (no key, or no file open)
  kInvalid,  // the key is no population's hot key
  kCounted,  // counted only
  kHit,      // counted, and the item is to be measured
};

struct TallyResult {
  TallyOutcome outcome = TallyOutcome::kNone;
  std::string key;    // upper case
  int row = -1;       // the population's Tally row when counted, else -1
  std::string label;  // its Label
  int count = 0;      // its count in the current unit, this tally included
  int hits = 0;       // its HITs in the current unit, this tally included
  bool counted() const { return row >= 0; }
  bool measured() const { return outcome == TallyOutcome::kHit; }
  bool invalid() const { return outcome == TallyOutcome::kInvalid; }
};

// What a population's button on the tally screen shows, for one unit.
struct PopulationButton {
  std::string key;
  std::string label;
  int count = 0;
  int hits = 0;
};

class Tallying {
 public:
  Tallying(ModelContext& ctx, HeldFile& file, TallySettings& settings)
      : ctx_(ctx), file_(file), settings_(settings) {}

  // Every write of the key box is one change and runs ProcessKey on the new
  // text at once (the same text again included); what the last key did.
  TallyResult SetKeyBoxText(const std::string& text);
  // One change of the key box's text. A HIT's record editor opens while
  // last_tally() already tells the HIT.
  TallyResult ProcessKey(const std::string& text);
  // The tally screen's unit list, with the selected text ("004").
  void SetCurrentUnit(const std::string& text);
  // Discards the sampling strategies and builds them from the Tally rows.
  void BuildStrategies();
  // Discards them (the file has closed).
  void DropStrategies();

  // The largest "Num" of the records of `unit` in the data table of the
  // first population (0 when none); nullopt when that table does not exist.
  std::optional<int> LastHitNumberOfUnit(int unit);
  // The hit number becomes the last hit number of `unit` (unchanged when
  // the table does not exist); returns whether it was set.
  bool RefreshHitNumber(int unit);
  // The tally screen's Num box was edited.
  void SetHitNumber(int value) { hit_number_ = value; }
  int hit_number() const { return hit_number_; }
  // The record that the tally of Buffer row `buffer_row` added; null for a
  // tally made before this run.
  const HitRecord* RecordAddedBy(int buffer_row) const;

  // The buttons of the populations, in Tally order, with the counts of `unit`.
  std::vector<PopulationButton> PopulationButtons(int unit);
  // The label of the population tallied last; "" before the first valid tally.
  std::string LastPopulationLabel();

  const std::string& key_box_text() const { return key_box_text_; }
  const std::string& last_key() const { return last_key_; }
  // Row of the population tallied last; -1 before the first valid tally.
  int last_row() const { return last_row_; }
  const std::string& status_text() const { return status_text_; }
  const std::string& count_text() const { return count_text_; }
  const std::string& hit_text() const { return hit_text_; }
  bool measured() const { return measured_; }
  const TallyResult& last_tally() const { return last_tally_; }
  int64_t save_counter() const { return save_counter_; }

 private:
  // Adds the HIT's record to the data table of population `row` and runs
  // the record editor on it.
  HitRecord AddDataRecord(int row);
  // The row the record now has in its table; -1 for none or one gone.
  int RowOf(const HitRecord& record);
  // Appends the last key to Buffer, keeping the last ten.
  void AddBufferEntry(bool measured, HitRecord record);

  ModelContext& ctx_;
  HeldFile& file_;
  TallySettings& settings_;
  std::string key_box_text_;
  std::string last_key_;
  int last_row_ = -1;
  std::string status_text_;
  std::string count_text_;
  std::string hit_text_;
  bool measured_ = false;
  TallyResult last_tally_;
  int64_t save_counter_ = 0;  // never reset during a run
  // The records the last Buffer entries added this run, aligned with the
  // end of Buffer.
  std::deque<HitRecord> buffer_records_;
  int hit_number_ = 0;
  std::set<std::string> missing_tables_told_;
};

}  // namespace woodtick
