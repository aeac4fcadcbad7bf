#include "tools/analysis/analysis_export.h"

#include <filesystem>
#include <map>
#include <memory>

#include "mk/escape.h"
#include "platform/file_lock.h"
#include "tools/analysis/csv_writer.h"
#include "tools/analysis/read_only.h"
#include "tools/analysis/sqlite_writer.h"
#include "tools/analysis/tables.h"
#include "tools/model_commands.h"
#include "tools/progress.h"

namespace woodtick {
namespace {

namespace fs = std::filesystem;

struct Options {
  std::string format, output;
  std::vector<std::string> files;
};

// False on a usage error, explained in *problem.
bool CheckOptions(const CliInput& input, Options* o, std::string* problem) {
  auto value = [&](const char* name) {
    auto found = input.options.find(name);
    return found != input.options.end() ? found->second : std::string();
  };
  o->format = value("format");
  o->output = value("output");
  o->files = input.operands;
  if (o->format != "csv" && o->format != "sqlite") {
    *problem =
        o->format.empty() ? "--format is missing" : "unknown format " + mk::Quoted(o->format);
  } else if (o->output.empty()) {
    *problem = "--output is missing";
  } else if (o->files.empty()) {
    *problem = "no FILE to export";
  }
  return problem->empty();
}

std::string Rows(int64_t n) { return std::to_string(n) + (n == 1 ? " row" : " rows"); }

}  // namespace

int RunAnalysisExport(const CliInput& input, std::ostream& out, std::ostream& err) {
  Options o;
  std::string problem;
  if (!CheckOptions(input, &o, &problem)) {
    err << "woodtick-cli: export: " << problem << ".\n";
    return kCliUsageError;
  }
  std::string message;
  SqliteExport db;
  if (o.format == "sqlite" && !db.Open(o.output, &message)) {
    err << "woodtick-cli: " << message << "\n";
    return 1;
  }
  if (o.format == "csv") {
    std::error_code error;
    fs::create_directories(o.output, error);
    if (!fs::is_directory(o.output)) {
      err << "woodtick-cli: " << o.output << " is not a folder the tables can be written to.\n";
      return 1;
    }
  }
  // CSV names come from the file names; two files of one name would
  // overwrite each other's tables.
  std::map<std::string, std::string> prefixes;
  int failed = 0;
  Progress progress(static_cast<int>(o.files.size()));
  for (const std::string& file : o.files) {
    SystemFileLock lock;
    std::unique_ptr<mk::Storage> storage = OpenForReading(file, &lock, &message);
    if (!storage) {
      progress.Erase();
      err << "woodtick-cli: " << message << "\n";
      ++failed;
      continue;
    }
    std::vector<ExportTable> tables = PlanExportTables(*storage);
    int64_t rows = CountTopLevelRows(*storage);
    progress.BeginFile(file, rows);
    bool ok;
    if (o.format == "csv") {
      std::string prefix = fs::path(file).stem().string();
      auto [at, fresh] = prefixes.emplace(prefix, file);
      if (!fresh) {
        progress.Erase();
        err << "woodtick-cli: " << file << ": its tables would replace those of " << at->second
            << " (same name); export it into another folder.\n";
        ++failed;
        continue;
      }
      ok = WriteCsvTables(*storage, tables, o.output, prefix, progress, &message);
    } else {
      ok = db.AddFile(file, *storage, tables, progress, &message);
    }
    progress.Erase();
    if (!ok) {
      err << "woodtick-cli: " << message << "\n";
      ++failed;
      continue;
    }
    out << file << ": " << tables.size() << (tables.size() == 1 ? " table, " : " tables, ")
        << Rows(rows) << " exported to " << o.output << "\n";
  }
  progress.Erase();
  if (failed > 0 && o.files.size() > 1) {
    err << "woodtick-cli: " << failed << " of " << o.files.size() << " files not exported"
        << (failed < static_cast<int>(o.files.size()) ? "; the others were.\n" : ".\n");
  }
  return failed > 0 ? 1 : 0;
}

int RunExportCommand(const CliInput& input, std::ostream& out, std::ostream& err) {
  if (!input.options.empty()) return RunAnalysisExport(input, out, err);
  if (input.operands.size() != 1) {
    err << "woodtick-cli: export: without --format and --output, exactly one FILE.\n";
    return kCliUsageError;
  }
  return RunExport(input.operands[0], out, err);
}

}  // namespace woodtick
