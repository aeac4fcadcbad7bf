// The summary of a tally: per population and unit the counts and HITs, the
// totals per population and per unit, and per population the share of its
// tallies that was measured beside the share its sampling method aims for.
// It only reads the store; the Summary screen and "woodtick-cli summary"
// show the same table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace woodtick {

class DataStore;

struct PopulationSummary {
  std::string key;
  std::string label;
  std::vector<int64_t> counts;  // per unit, index 0 is unit 1
  std::vector<int64_t> hits;
  int64_t total_count = 0;
  int64_t total_hits = 0;
  double aimed_share = 0;                // 0 to 1
  std::optional<double> measured_share;  // none before the first tally
};

struct TallySummary {
  int num_units = 0;
  int cur_unit = 1;
  std::vector<PopulationSummary> populations;
  std::vector<int64_t> unit_counts;  // totals over populations, per unit
  std::vector<int64_t> unit_hits;
  int64_t total_count = 0;
  int64_t total_hits = 0;
};

// The share of tallies a population's method and frequency select: every
// tally for "C", one in N for "S" (N rounded up), "B" and "P" (N rounded),
// the probability for "R" and "A", none for a blank or unknown method.
double AimedShare(char method, float frequency);

// Reads the Tally view (slot `tally_slot`) and NumUnits and CurUnit from
// Globals (slot `globals_slot`). Missing or unreadable cells count as 0.
TallySummary SummarizeTally(DataStore& store, int tally_slot, int globals_slot);

// The summary as rows of cells: a heading row, one row per population and a
// "Total" row. Shares are percentages with one decimal.
std::vector<std::vector<std::string>> SummaryTable(const TallySummary& summary);

// The table as tab-separated lines, each ended by "\n".
std::string TabSeparated(const std::vector<std::vector<std::string>>& table);

// The table with each column padded to its widest cell, for a terminal.
std::string AlignedColumns(const std::vector<std::vector<std::string>>& table);

}  // namespace woodtick
