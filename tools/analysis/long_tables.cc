#include "tools/analysis/long_tables.h"

#include <cstdio>

#include "mk/view.h"
#include "model/tally_file.h"
#include "model/tally_history.h"
#include "platform/windows_1252.h"
#include "tools/analysis/tables.h"

namespace woodtick {
namespace {

// The cell as text; "" for a missing column.
std::string Cell(const mk::View& view, int row, int col) {
  if (col < 0) return "";
  char type = view.NthProperty(col).type;
  if (type == 'S') return Utf8FromWindows1252(view.GetString(row, col));
  if (type == 'B') return "";
  return NumberText(view, row, col);
}

// The units whose count and hit columns the view has: 1, 2, ... as far as
// both are present, whatever NumUnits says.
std::vector<std::pair<int, std::pair<int, int>>> UnitColumns(const mk::View& tally) {
  std::vector<std::pair<int, std::pair<int, int>>> units;
  for (int u = 1; u <= 999; ++u) {
    char count[24], hit[24];
    std::snprintf(count, sizeof count, "U%03dCount", u);
    std::snprintf(hit, sizeof hit, "U%03dHit", u);
    int c = tally.FindPropIndexByName(count), h = tally.FindPropIndexByName(hit);
    if (c < 0 || h < 0) break;
    units.push_back({u, {c, h}});
  }
  return units;
}

}  // namespace

std::vector<LongTable> LongTables(const mk::Storage& storage, const std::string& source) {
  if (!storage.HasView(kTallyView)) return {};
  mk::View tally = storage.GetView(kTallyView);
  auto col = [&](const char* name) { return tally.FindPropIndexByName(name); };
  if (col("Key") < 0) return {};

  LongTable populations{"populations",
                        {{"source_file", 'S'},
                         {"key", 'S'},
                         {"label", 'S'},
                         {"desc", 'S'},
                         {"meth", 'S'},
                         {"freq", 'D'},
                         {"dat_table", 'S'}},
                        {}};
  LongTable counts{"tally_counts",
                   {{"source_file", 'S'},
                    {"key", 'S'},
                    {"label", 'S'},
                    {"unit", 'I'},
                    {"count", 'I'},
                    {"hits", 'I'}},
                   {}};
  const auto units = UnitColumns(tally);
  for (int row = 0; row < tally.GetSize(); ++row) {
    std::string key = Cell(tally, row, col("Key")), label = Cell(tally, row, col("Label"));
    populations.rows.push_back({source, key, label, Cell(tally, row, col("Desc")),
                                Cell(tally, row, col("Meth")), Cell(tally, row, col("Freq")),
                                Cell(tally, row, col("DatTable"))});
    for (const auto& [unit, cols] : units) {
      counts.rows.push_back({source, key, label, std::to_string(unit), Cell(tally, row, cols.first),
                             Cell(tally, row, cols.second)});
    }
  }

  LongTable tallies{"tallies",
                    {{"source_file", 'S'},
                     {"time", 'S'},
                     {"unit", 'I'},
                     {"key", 'S'},
                     {"measured", 'I'},
                     {"event", 'S'},
                     {"record", 'I'},
                     {"source_row", 'I'}},
                    {}};
  if (storage.HasView(kHistoryView)) {
    mk::View history = storage.GetView(kHistoryView);
    auto h = [&](const char* name) { return history.FindPropIndexByName(name); };
    for (int row = 0; row < history.GetSize(); ++row) {
      tallies.rows.push_back({source, Cell(history, row, h("Time")), Cell(history, row, h("Unit")),
                              Cell(history, row, h("Key")), Cell(history, row, h("Measured")),
                              Cell(history, row, h("Event")), Cell(history, row, h("Record")),
                              std::to_string(row)});
    }
  }
  return {populations, counts, tallies};
}

bool ReplacedByLongTables(const std::string& name, bool merging) {
  return name == kHistoryView || (merging && name == kTallyView);
}

}  // namespace woodtick
