#include <cstdio>
#include <filesystem>
#include <ostream>

#include "model/tally_summary.h"
#include "model/text.h"
#include "platform/windows_1252.h"
#include "tools/model_commands.h"
#include "tools/tally_file_reader.h"

namespace woodtick {
namespace {

// One row of the machine-readable summary; an empty key, unit or file marks
// a total over them.
struct SummaryRow {
  std::string file, key, label;
  int unit = 0;  // 0: all units
  int64_t count = 0, hits = 0;
};

void AddRows(const std::string& file, const TallySummary& s, std::vector<SummaryRow>* rows) {
  for (const PopulationSummary& pop : s.populations) {
    std::string key = Utf8FromWindows1252(pop.key), label = Utf8FromWindows1252(pop.label);
    for (int u = 0; u < s.num_units; ++u) {
      rows->push_back({file, key, label, u + 1, pop.counts[u], pop.hits[u]});
    }
    rows->push_back({file, key, label, 0, pop.total_count, pop.total_hits});
  }
  for (int u = 0; u < s.num_units; ++u) {
    rows->push_back({file, "", "Total", u + 1, s.unit_counts[u], s.unit_hits[u]});
  }
  rows->push_back({file, "", "Total", 0, s.total_count, s.total_hits});
}

// A TSV field cannot hold a tab or a line break.
std::string TsvField(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

void PrintRows(const std::vector<SummaryRow>& rows, bool json, std::ostream& out) {
  if (!json) out << "file\tkey\tlabel\tunit\tcount\thits\n";
  for (size_t i = 0; i < rows.size(); ++i) {
    const SummaryRow& r = rows[i];
    const std::string unit = r.unit > 0 ? std::to_string(r.unit) : "";
    if (json) {
      out << (i == 0 ? "[\n" : ",\n") << "{\"file\":" << JsonString(r.file)
          << ",\"key\":" << JsonString(r.key) << ",\"label\":" << JsonString(r.label)
          << ",\"unit\":" << (r.unit > 0 ? unit : "null") << ",\"count\":" << r.count
          << ",\"hits\":" << r.hits << "}";
    } else {
      out << TsvField(r.file) << '\t' << TsvField(r.key) << '\t' << TsvField(r.label) << '\t'
          << unit << '\t' << r.count << '\t' << r.hits << '\n';
    }
  }
  if (json) out << (rows.empty() ? "[" : "") << "\n]\n";
}

}  // namespace

int RunSummary(const CliInput& input, std::ostream& out, std::ostream& err) {
  auto found = input.options.find("format");
  const std::string format = found != input.options.end() ? found->second : "text";
  if (format != "text" && format != "tsv" && format != "json") {
    err << "summary: unknown format '" << format << "'.\n";
    return kCliUsageError;
  }
  std::vector<SummaryRow> rows;
  SummaryRow all{"", "", "Total", 0, 0, 0};
  int failed = 0;
  for (const std::string& path : input.operands) {
    std::unique_ptr<OpenedTallyFile> file =
        OpenTallyFileForTool(std::filesystem::absolute(path).string(), err);
    if (!file) {
      ++failed;
      continue;
    }
    const TallySummary summary =
        SummarizeTally(file->store, file->slots.tally, file->slots.globals);
    if (format == "text") {
      if (input.operands.size() > 1) out << path << ":\n";
      out << AlignedColumns(SummaryTable(summary));
      continue;
    }
    AddRows(path, summary, &rows);
    all.count += summary.total_count;
    all.hits += summary.total_hits;
  }
  if (format != "text") {
    rows.push_back(all);
    PrintRows(rows, format == "json", out);
  }
  return failed > 0 ? kCliFailed : kCliOk;
}

}  // namespace woodtick
