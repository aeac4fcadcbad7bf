#include "tools/analysis/analysis_export.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "mk/escape.h"
#include "platform/file_lock.h"
#include "tools/analysis/csv_writer.h"
#include "tools/analysis/long_tables.h"
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

// The file as one name and its content's fingerprint (64-bit FNV-1a over
// its bytes, beside their number): the same file under any spelling of its
// path gives the same name, the same bytes under two paths the same digest.
bool Identify(const std::string& path, SourceFile* file, std::string* message) {
  std::error_code error;
  file->name = fs::canonical(path, error).string();
  std::ifstream in(path, std::ios::binary);
  if (error || !in) {
    *message = path + ": cannot be read: " + (error ? error.message() : "open failed") + ".";
    return false;
  }
  uint64_t hash = 14695981039346656037ull;
  char buf[1 << 16];
  file->bytes = 0;
  while (in.read(buf, sizeof buf) || in.gcount() > 0) {
    for (std::streamsize i = 0; i < in.gcount(); ++i) {
      hash = (hash ^ static_cast<unsigned char>(buf[i])) * 1099511628211ull;
    }
    file->bytes += in.gcount();
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  file->digest = hex;
  return true;
}

// The tables the export writes of a file: its views, less those the long
// tables replace.
std::vector<ExportTable> PlanTables(const mk::Storage& storage, bool long_tables, bool merging) {
  std::vector<ExportTable> tables = PlanExportTables(storage);
  if (!long_tables) return tables;
  std::vector<ExportTable> kept;
  for (const ExportTable& t : tables) {
    // A nested table goes with the view it belongs to.
    std::string view = t.name.substr(0, t.name.find('.'));
    if (!ReplacedByLongTables(view, merging)) kept.push_back(t);
  }
  for (ExportTable& t : kept) {
    for (int& child : t.children) {
      if (child < 0) continue;
      const std::string& name = tables[child].name;
      child = -1;
      for (size_t k = 0; k < kept.size(); ++k) {
        if (kept[k].name == name) child = static_cast<int>(k);
      }
    }
  }
  return kept;
}

}  // namespace

int RunAnalysisExport(const CliInput& input, std::ostream& out, std::ostream& err) {
  Options o;
  std::string problem;
  if (!CheckOptions(input, &o, &problem)) {
    err << "woodtick-cli: export: " << problem << ".\n";
    return kCliUsageError;
  }
  const bool sqlite = o.format == "sqlite";
  const bool replace = input.Has("replace");
  std::string message;
  SqliteExport db;
  std::error_code error;
  const bool db_existed = fs::exists(o.output, error);
  if (sqlite && !db.Open(o.output, &message)) {
    err << "woodtick-cli: " << message << "\n";
    return 1;
  }
  if (!sqlite) {
    fs::create_directories(o.output, error);
    if (!fs::is_directory(o.output)) {
      err << "woodtick-cli: " << o.output << " is not a folder the tables can be written to.\n";
      return 1;
    }
  }
  // CSV sets are named after the files; two files of one name would
  // replace each other's. One file named twice, or its bytes under two
  // names, is written once.
  std::map<std::string, std::string> sets, names, digests;
  int failed = 0, added = 0;
  Progress progress(static_cast<int>(o.files.size()));
  auto fail = [&](const std::string& text) {
    progress.Erase();
    err << "woodtick-cli: " << text << "\n";
    ++failed;
  };
  for (const std::string& file : o.files) {
    SystemFileLock lock;
    std::unique_ptr<mk::Storage> storage = OpenForReading(file, &lock, &message);
    SourceFile source;
    if (!storage || !Identify(file, &source, &message)) {
      fail(message);
      continue;
    }
    std::vector<LongTable> long_tables = LongTables(*storage, source.name);
    std::vector<ExportTable> tables = PlanTables(*storage, !long_tables.empty(), sqlite);
    int64_t rows = CountTopLevelRows(*storage);
    progress.BeginFile(file, rows);
    SqliteExport::Added result = SqliteExport::Added::kAdded;
    if (!sqlite) {
      std::string set = fs::path(file).stem().string();
      bool fresh_name = names.emplace(source.name, file).second;
      auto [twin, fresh_digest] = digests.emplace(source.digest, file);
      auto [at, fresh_set] = sets.emplace(set, file);
      if (!fresh_name) {
        result = SqliteExport::Added::kUnchanged;
      } else if (!fresh_digest) {
        result = SqliteExport::Added::kSameContent;
        message = twin->second;
      } else if (!fresh_set) {
        fail(file + ": its tables would replace those of " + at->second + " (same name " + set +
             "); export it into another folder.");
        continue;
      } else if (!WriteCsvSet(*storage, tables, long_tables, o.output, set, progress, &message)) {
        result = SqliteExport::Added::kFailed;
      }
    } else {
      result = db.AddFile(source, *storage, tables, long_tables, replace, progress, &message);
    }
    progress.Erase();
    switch (result) {
      case SqliteExport::Added::kFailed:
        fail(message);
        continue;
      case SqliteExport::Added::kUnchanged:
        out << file << ": already in " << o.output << " as it is now; nothing to add.\n";
        continue;
      case SqliteExport::Added::kSameContent:
        out << file << ": the same content as " << message << ", already in " << o.output
            << "; not stored twice.\n";
        continue;
      case SqliteExport::Added::kAdded:
        break;
    }
    ++added;
    size_t n = tables.size() + long_tables.size();
    out << file << ": " << n << (n == 1 ? " table, " : " tables, ") << Rows(rows) << " exported to "
        << o.output << "\n";
  }
  progress.Erase();
  if (sqlite && added == 0 && !db_existed) {
    // A database this run made and put nothing into would only mislead.
    db.Close();
    fs::remove(o.output, error);
  }
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
