// The SQLite form of the analysis export: one table per exported table, with
// typed columns (S text, I and L integer, F and D real, B blob, a nested
// view's row count integer) after two columns of its own: "source_file",
// the datafile as named on the command line, and "source_row", the row's
// position (from 0) in its view, since SQL tables keep no order. Nested
// tables add "parent_row". Several datafiles go into one database.
#pragma once

#include <string>
#include <vector>

#include "mk/storage.h"
#include "tools/analysis/tables.h"
#include "tools/progress.h"

struct sqlite3;

namespace woodtick {

class SqliteExport {
 public:
  SqliteExport() = default;
  ~SqliteExport();
  SqliteExport(const SqliteExport&) = delete;
  SqliteExport& operator=(const SqliteExport&) = delete;

  // Opens the database, creating a missing one.
  bool Open(const std::string& path, std::string* message);

  // Adds the tables of one datafile in one transaction: all of its rows or
  // none. Refused, changing nothing, when a table of the same name exists
  // with other columns, when a view has a column named like one the export
  // adds, or when the database already holds rows of this source_file.
  bool AddFile(const std::string& source, const mk::Storage& storage,
               const std::vector<ExportTable>& tables, Progress& progress, std::string* message);

 private:
  bool Exec(const char* sql, std::string* message);
  bool CheckTable(const std::string& source, const ExportTable& table, std::string* message);
  bool CreateAndFill(const std::string& source, const mk::Storage& storage,
                     const std::vector<ExportTable>& tables, Progress& progress,
                     std::string* message);

  sqlite3* db_ = nullptr;
  std::string path_;
};

}  // namespace woodtick
