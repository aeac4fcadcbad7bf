// The SQLite form of the analysis export: one table per exported table, with
// typed columns (S text, I and L integer, F and D real, B blob, a nested
// view's row count integer) after two columns of its own: "source_file",
// the datafile as named on the command line, and "source_row", the row's
// position (from 0) in its view, since SQL tables keep no order. Nested
// tables add "parent_row". Several datafiles go into one database, each
// known by its path and content in the table "source_files" (source_file,
// bytes, digest).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "mk/storage.h"
#include "tools/analysis/long_tables.h"
#include "tools/analysis/tables.h"
#include "tools/progress.h"

struct sqlite3;
struct sqlite3_stmt;

namespace woodtick {

// A datafile as the database knows it.
struct SourceFile {
  std::string name;  // its path with every link resolved: one name however it was spelt
  std::string digest;
  int64_t bytes = 0;
};

struct SqlColumn {
  std::string name;  // UTF-8
  std::string type;
};
struct SqlStatementDeleter {
  void operator()(sqlite3_stmt* s) const;
};
using SqlStatement = std::unique_ptr<sqlite3_stmt, SqlStatementDeleter>;

class SqliteExport {
 public:
  SqliteExport() = default;
  ~SqliteExport();
  SqliteExport(const SqliteExport&) = delete;
  SqliteExport& operator=(const SqliteExport&) = delete;

  // Opens the database, creating a missing one.
  bool Open(const std::string& path, std::string* message);

  enum class Added {
    kAdded,
    kUnchanged,    // the file is in the database with this content already
    kSameContent,  // another path's file of this content is: *message names it
    kFailed,       // *message says why
  };
  // Adds the tables of one datafile, and its long tables, in one
  // transaction: all of its rows or none. A file stored before with other
  // content is refused unless `replace`, which removes its earlier rows from
  // every table first. Refused, changing nothing, when a table of the same
  // name exists with other columns or when a view has a column named like
  // one the export adds.
  Added AddFile(const SourceFile& file, const mk::Storage& storage,
                const std::vector<ExportTable>& tables, const std::vector<LongTable>& long_tables,
                bool replace, Progress& progress, std::string* message);
  void Close();

 private:
  bool Exec(const char* sql, std::string* message);
  bool Prepare(const std::string& sql, SqlStatement* statement, std::string* message);
  // Checks the file against source_files and notes it there (kAdded: go on).
  Added Register(const SourceFile& file, bool replace, std::string* message);
  bool DeleteRowsOf(const std::string& source, std::string* message);
  bool CheckTable(const std::string& source, const ExportTable& table, std::string* message);
  bool CheckColumns(const std::string& source, const std::string& name,
                    const std::vector<SqlColumn>& wanted, std::string* message);
  bool AddLongTable(const std::string& source, const LongTable& table, std::string* message);
  bool CreateAndFill(const std::string& source, const mk::Storage& storage,
                     const std::vector<ExportTable>& tables, Progress& progress,
                     std::string* message);

  sqlite3* db_ = nullptr;
  std::string path_;
};

}  // namespace woodtick
