#include "model/tally_summary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "mk/convert.h"
#include "model/sampling/population_rows.h"
#include "model/tally_file.h"
#include "model/text.h"
#include "store/data_store.h"

namespace woodtick {
namespace {

int64_t ReadCount(DataStore& store, int slot, int row, int col) {
  if (col < 0) return 0;
  std::string text;
  if (store.GetString(slot, row, col, &text) != kStoreOk) return 0;
  return mk::TextToInt(text);
}

std::string ReadText(DataStore& store, int slot, int row, int col) {
  std::string text;
  if (col < 0 || store.GetString(slot, row, col, &text) != kStoreOk) return "";
  return text;
}

std::string Percent(double share) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f%%", share * 100);
  return text;
}

std::string ShareText(int64_t hits, int64_t count) {
  return count > 0 ? Percent(static_cast<double>(hits) / count) : "-";
}

// Count and HITs per unit, their totals and the measured share.
void AppendCounts(const std::vector<int64_t>& counts, const std::vector<int64_t>& hits,
                  int64_t total_count, int64_t total_hits, std::vector<std::string>* row) {
  for (size_t u = 0; u < counts.size(); ++u) {
    row->push_back(DecimalText(counts[u]));
    row->push_back(DecimalText(hits[u]));
  }
  row->push_back(DecimalText(total_count));
  row->push_back(DecimalText(total_hits));
  row->push_back(ShareText(total_hits, total_count));
}

}  // namespace

double AimedShare(char method, float frequency) {
  if (method == 'C') return 1;
  if (!(frequency > 0)) return 0;
  const double p = frequency > 1 ? 1.0 / frequency : frequency;
  switch (method) {
    case 'S':
      return 1.0 / std::ceil(1.0 / p);
    case 'B':
    case 'P':
      return 1.0 / std::max(1.0, std::floor(1.0 / p + 0.5));
    case 'R':
    case 'A':
      return p;
    default:
      return 0;
  }
}

TallySummary SummarizeTally(DataStore& store, int tally_slot, int globals_slot) {
  TallySummary summary;
  summary.num_units =
      std::max(0, mk::TextToInt(ScanSetting(store, globals_slot, "Tally", "NumUnits")));
  summary.cur_unit = mk::TextToInt(ScanSetting(store, globals_slot, "Tally", "CurUnit"));
  const int units = summary.num_units;
  summary.unit_counts.assign(units, 0);
  summary.unit_hits.assign(units, 0);

  mk::View tally = store.View(tally_slot);
  const int rows = tally.GetSize();
  const int key_col = tally.FindPropIndexByName("Key");
  const int label_col = tally.FindPropIndexByName("Label");
  std::vector<int> count_cols, hit_cols;
  for (int u = 1; u <= units; ++u) {
    count_cols.push_back(tally.FindPropIndexByName(CountColumnName(u)));
    hit_cols.push_back(tally.FindPropIndexByName(HitColumnName(u)));
  }
  const std::vector<PopulationRow> sampling =
      ReadPopulationRows(store, tally_slot, rows, tally.FindPropIndexByName("Meth"),
                         tally.FindPropIndexByName("Freq"));
  for (int row = 0; row < rows; ++row) {
    PopulationSummary pop;
    pop.key = ReadText(store, tally_slot, row, key_col);
    pop.label = ReadText(store, tally_slot, row, label_col);
    for (int u = 0; u < units; ++u) {
      pop.counts.push_back(ReadCount(store, tally_slot, row, count_cols[u]));
      pop.hits.push_back(ReadCount(store, tally_slot, row, hit_cols[u]));
      pop.total_count += pop.counts.back();
      pop.total_hits += pop.hits.back();
      summary.unit_counts[u] += pop.counts.back();
      summary.unit_hits[u] += pop.hits.back();
    }
    const std::string& method = sampling[row].method;
    pop.aimed_share = AimedShare(method.empty() ? '\0' : method[0], sampling[row].frequency);
    if (pop.total_count > 0) {
      pop.measured_share = static_cast<double>(pop.total_hits) / pop.total_count;
    }
    summary.total_count += pop.total_count;
    summary.total_hits += pop.total_hits;
    summary.populations.push_back(std::move(pop));
  }
  return summary;
}

std::vector<std::vector<std::string>> SummaryTable(const TallySummary& summary) {
  std::vector<std::vector<std::string>> table;
  std::vector<std::string> heading = {"Population", "Key"};
  for (int u = 1; u <= summary.num_units; ++u) {
    heading.push_back(UnitText(u) + " C");
    heading.push_back(UnitText(u) + " M");
  }
  for (const char* title : {"Total C", "Total M", "Measured", "Aimed"}) heading.push_back(title);
  table.push_back(std::move(heading));

  for (const PopulationSummary& pop : summary.populations) {
    std::vector<std::string> row = {pop.label, pop.key};
    AppendCounts(pop.counts, pop.hits, pop.total_count, pop.total_hits, &row);
    row.push_back(Percent(pop.aimed_share));
    table.push_back(std::move(row));
  }

  std::vector<std::string> totals = {"Total", ""};
  AppendCounts(summary.unit_counts, summary.unit_hits, summary.total_count, summary.total_hits,
               &totals);
  totals.push_back("");
  table.push_back(std::move(totals));
  return table;
}

std::string TabSeparated(const std::vector<std::vector<std::string>>& table) {
  std::string text;
  for (const auto& row : table) {
    for (size_t i = 0; i < row.size(); ++i) text += (i ? "\t" : "") + row[i];
    text += "\n";
  }
  return text;
}

std::string AlignedColumns(const std::vector<std::vector<std::string>>& table) {
  std::vector<size_t> widths;
  for (const auto& row : table) {
    widths.resize(std::max(widths.size(), row.size()), 0);
    for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
  }
  std::string text;
  for (const auto& row : table) {
    std::string line;
    for (size_t i = 0; i < row.size(); ++i) {
      if (i) line += "  ";
      // The label column reads left-aligned, the numbers right-aligned.
      const std::string pad(widths[i] - row[i].size(), ' ');
      line += i == 0 ? row[i] + pad : pad + row[i];
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    text += line + "\n";
  }
  return text;
}

}  // namespace woodtick
