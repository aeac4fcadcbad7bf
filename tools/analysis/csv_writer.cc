#include "tools/analysis/csv_writer.h"

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

std::string CsvFileName(const std::string& prefix, const std::string& table) {
  std::string name = Utf8FromWindows1252(table);
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return prefix + "." + name + ".csv";
}

bool WriteCsvTables(const mk::Storage& storage, const std::vector<ExportTable>& tables,
                    const std::string& dir, const std::string& prefix, Progress& progress,
                    std::string* message) {
  std::vector<std::unique_ptr<std::ofstream>> files;
  std::vector<fs::path> finals, parts;
  auto fail = [&](const std::string& text) {
    files.clear();
    std::error_code ignored;
    for (const fs::path& part : parts) fs::remove(part, ignored);
    *message = text;
    return false;
  };
  for (const ExportTable& table : tables) {
    finals.push_back(fs::path(dir) / CsvFileName(prefix, table.name));
    parts.push_back(finals.back().string() + ".part");
    files.push_back(std::make_unique<std::ofstream>(parts.back(), std::ios::binary));
    *files.back() << HeaderLine(table);
    if (!files.back()->good()) return fail("cannot write " + parts.back().string() + ".");
  }
  CsvSink sink(tables, files, progress);
  if (!WalkExportRows(storage, tables, sink)) return fail("cannot write into " + dir + ".");
  for (size_t t = 0; t < files.size(); ++t) {
    files[t]->close();
    if (files[t]->fail()) return fail("cannot write " + parts[t].string() + ".");
  }
  for (size_t t = 0; t < parts.size(); ++t) {
    std::error_code error;
    fs::rename(parts[t], finals[t], error);
    if (error) return fail("cannot write " + finals[t].string() + ": " + error.message() + ".");
  }
  return true;
}

}  // namespace woodtick
