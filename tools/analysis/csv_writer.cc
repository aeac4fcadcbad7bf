#include "tools/analysis/csv_writer.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/windows_1252.h"

namespace woodtick {
namespace {

namespace fs = std::filesystem;

std::string Hex(std::string_view bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char b : bytes) {
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 15]);
  }
  return out;
}

class CsvSink : public ExportSink {
 public:
  CsvSink(const std::vector<ExportTable>& tables,
          std::vector<std::unique_ptr<std::ofstream>>& files, Progress& progress)
      : tables_(tables), files_(files), progress_(progress) {}

  bool WriteRow(int table, const ExportRow& row) override {
    line_.clear();
    if (tables_[table].nested) line_ = std::to_string(row.parent) + ",";
    const mk::View& view = *row.view;
    for (int c = 0; c < view.NumProperties(); ++c) {
      if (c > 0) line_.push_back(',');
      switch (view.NthProperty(c).type) {
        case 'S':
          line_ += CsvField(Utf8FromWindows1252(view.GetString(row.row, c)));
          break;
        case 'B':
          line_ += Hex(view.GetBytes(row.row, c));
          break;
        default:
          if (!NotTaken(tables_[table], view, row.row, c)) line_ += NumberText(view, row.row, c);
      }
    }
    line_ += "\r\n";
    std::ofstream& out = *files_[table];
    out << line_;
    return out.good();
  }

  void TopLevelRowDone() override { progress_.Step(); }

 private:
  const std::vector<ExportTable>& tables_;
  std::vector<std::unique_ptr<std::ofstream>>& files_;
  Progress& progress_;
  std::string line_;
};

// Whether every entry of the folder is a CSV file (an earlier set).
bool HoldsOnlyCsv(const fs::path& folder) {
  std::error_code error;
  if (!fs::is_directory(folder, error)) return false;
  for (const fs::directory_entry& e : fs::directory_iterator(folder, error)) {
    if (!e.is_regular_file() || e.path().extension() != ".csv") return false;
  }
  return !error;
}

// fsync of a file or folder: its bytes, or its entries, are on the disk.
bool FlushToDisk(const fs::path& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = fsync(fd) == 0;
  return close(fd) == 0 && ok;
}

// Puts the folder `fresh` at `target` in one step; an earlier folder there
// goes. Where the file system cannot exchange two names at once, the old
// folder is moved aside first.
bool SwapIn(const fs::path& fresh, const fs::path& target, std::error_code* error) {
  if (renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
    fs::remove_all(fresh, *error);
    return !*error;
  }
  if (errno != ENOENT && errno != EINVAL && errno != ENOSYS) {
    *error = std::error_code(errno, std::generic_category());
    return false;
  }
  fs::path old = target.string() + ".old";
  if (errno != ENOENT) {
    fs::remove_all(old, *error);
    fs::rename(target, old, *error);
    if (*error) return false;
  }
  fs::rename(fresh, target, *error);
  if (*error) return false;
  fs::remove_all(old, *error);
  return !*error;
}

std::string HeaderLine(const ExportTable& table) {
  std::string line = table.nested ? "parent_row" : "";
  for (size_t c = 0; c < table.columns.size(); ++c) {
    if (c > 0 || table.nested) line.push_back(',');
    line += CsvField(Utf8FromWindows1252(table.columns[c].name));
  }
  return line + "\r\n";
}

}  // namespace

std::string CsvField(std::string_view utf8) {
  if (utf8.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(utf8);
  std::string out = "\"";
  for (char c : utf8) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  return out + "\"";
}

std::string CsvFileName(const std::string& table) {
  std::string name = Utf8FromWindows1252(table);
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return name + ".csv";
}

bool WriteCsvSet(const mk::Storage& storage, const std::vector<ExportTable>& tables,
                 const std::vector<LongTable>& long_tables, const std::string& dir,
                 const std::string& name, Progress& progress, std::string* message) {
  const fs::path final_dir = fs::path(dir) / name;
  const fs::path new_dir = fs::path(dir) / ("." + name + ".new");
  std::error_code error;
  if (fs::exists(final_dir, error) && !HoldsOnlyCsv(final_dir)) {
    *message = final_dir.string() +
               " holds other files than CSV tables; it is not replaced. Export into another "
               "folder, or move it away.";
    return false;
  }
  // What a run killed half-way left behind.
  fs::remove_all(new_dir, error);
  auto fail = [&](const std::string& text) {
    std::error_code ignored;
    fs::remove_all(new_dir, ignored);
    *message = text;
    return false;
  };
  if (!fs::create_directory(new_dir, error)) {
    return fail("cannot make " + new_dir.string() + ": " + error.message() + ".");
  }
  std::vector<std::unique_ptr<std::ofstream>> files;
  std::vector<fs::path> paths;
  auto open = [&](const std::string& table, const std::string& header) {
    paths.push_back(new_dir / CsvFileName(table));
    files.push_back(std::make_unique<std::ofstream>(paths.back(), std::ios::binary));
    *files.back() << header;
    return files.back()->good();
  };
  for (const ExportTable& table : tables) {
    if (!open(table.name, HeaderLine(table))) return fail("cannot write " + paths.back().string());
  }
  CsvSink sink(tables, files, progress);
  if (!WalkExportRows(storage, tables, sink)) return fail("cannot write into " + dir + ".");
  for (const LongTable& table : long_tables) {
    std::string text;
    for (size_t c = 0; c < table.columns.size(); ++c) {
      text += (c ? "," : "") + std::string(table.columns[c].name);
    }
    text += "\r\n";
    for (const std::vector<std::string>& row : table.rows) {
      for (size_t c = 0; c < row.size(); ++c) text += (c ? "," : "") + CsvField(row[c]);
      text += "\r\n";
    }
    if (!open(table.name, text)) return fail("cannot write " + paths.back().string() + ".");
  }
  for (size_t t = 0; t < files.size(); ++t) {
    files[t]->close();
    if (files[t]->fail() || !FlushToDisk(paths[t])) {
      return fail("cannot write " + paths[t].string() + ".");
    }
  }
  if (!FlushToDisk(new_dir) || !SwapIn(new_dir, final_dir, &error) || !FlushToDisk(dir)) {
    return fail("cannot write " + final_dir.string() + ": " +
                (error ? error.message() : std::string("not flushed to the disk")) + ".");
  }
  return true;
}

}  // namespace woodtick
