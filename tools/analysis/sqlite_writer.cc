#include "tools/analysis/sqlite_writer.h"

#include <sqlite3.h>

#include <algorithm>
#include <memory>

#include "mk/field.h"
#include "platform/windows_1252.h"

namespace woodtick {
namespace {

struct Column {
  std::string name;  // UTF-8
  std::string type;
};

const char* SqlType(char type) {
  switch (type) {
    case 'S':
      return "TEXT";
    case 'F':
    case 'D':
      return "REAL";
    case 'B':
      return "BLOB";
    default:
      return "INTEGER";  // I, L, and a nested view's row count
  }
}

std::string Quoted(const std::string& name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  return out + "\"";
}

std::vector<Column> ColumnsOf(const ExportTable& table) {
  std::vector<Column> columns = {{"source_file", "TEXT"}, {"source_row", "INTEGER"}};
  if (table.nested) columns.push_back({"parent_row", "INTEGER"});
  for (const mk::Field& f : table.columns) {
    columns.push_back({Utf8FromWindows1252(f.name), SqlType(f.type)});
  }
  return columns;
}

std::string Describe(const std::vector<Column>& columns) {
  std::string text;
  for (const Column& c : columns) text += (text.empty() ? "" : ", ") + c.name + " " + c.type;
  return text.empty() ? "none" : text;
}

// Columns of `a` that `b` lacks (names compared as SQL does, case ignored).
std::vector<Column> Missing(const std::vector<Column>& a, const std::vector<Column>& b) {
  std::vector<Column> out;
  for (const Column& c : a) {
    bool found = std::any_of(b.begin(), b.end(), [&](const Column& d) {
      return mk::SameName(c.name, d.name) && mk::SameName(c.type, d.type);
    });
    if (!found) out.push_back(c);
  }
  return out;
}

struct StatementDeleter {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

class SqliteSink : public ExportSink {
 public:
  SqliteSink(const std::string& source, const std::vector<ExportTable>& tables,
             std::vector<Statement>& inserts, Progress& progress)
      : source_(source), tables_(tables), inserts_(inserts), progress_(progress) {}

  bool WriteRow(int table, const ExportRow& row) override {
    sqlite3_stmt* s = inserts_[table].get();
    sqlite3_reset(s);
    sqlite3_bind_text(s, 1, source_.data(), static_cast<int>(source_.size()), SQLITE_STATIC);
    sqlite3_bind_int64(s, 2, row.position);
    int at = 3;
    if (tables_[table].nested) sqlite3_bind_int64(s, at++, row.parent);
    const mk::View& view = *row.view;
    for (int c = 0; c < view.NumProperties(); ++c, ++at) {
      switch (view.NthProperty(c).type) {
        case 'S': {
          std::string text = Utf8FromWindows1252(view.GetString(row.row, c));
          sqlite3_bind_text(s, at, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
          break;
        }
        case 'B': {
          std::string bytes = view.GetBytes(row.row, c);
          sqlite3_bind_blob(s, at, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
          break;
        }
        case 'I':
          // A measurement not taken is NULL (a NaN double binds as NULL too).
          if (NotTaken(tables_[table], view, row.row, c)) {
            sqlite3_bind_null(s, at);
          } else {
            sqlite3_bind_int64(s, at, view.GetInt(row.row, c));
          }
          break;
        case 'L':
          sqlite3_bind_int64(s, at, view.GetLong(row.row, c));
          break;
        case 'F':
          sqlite3_bind_double(s, at, view.GetFloat(row.row, c));
          break;
        case 'D':
          sqlite3_bind_double(s, at, view.GetDouble(row.row, c));
          break;
        default:
          sqlite3_bind_int64(s, at, view.GetSubview(row.row, c).GetSize());
      }
    }
    return sqlite3_step(s) == SQLITE_DONE;
  }

  void TopLevelRowDone() override { progress_.Step(); }

 private:
  const std::string& source_;
  const std::vector<ExportTable>& tables_;
  std::vector<Statement>& inserts_;
  Progress& progress_;
};

}  // namespace

SqliteExport::~SqliteExport() {
  if (db_) sqlite3_close(db_);
}

bool SqliteExport::Open(const std::string& path, std::string* message) {
  path_ = path;
  int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc != SQLITE_OK) {
    *message = path + ": " + (db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc)) + ".";
    return false;
  }
  // Another program holding the database briefly should not fail the run.
  sqlite3_busy_timeout(db_, 5000);
  // A file's rows stay in memory until its commit (up to 64 MiB) instead of
  // spilling into the database half-way, which costs extra flushes.
  sqlite3_exec(db_, "PRAGMA cache_size = -65536", nullptr, nullptr, nullptr);
  return true;
}

bool SqliteExport::Exec(const char* sql, std::string* message) {
  if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK) return true;
  *message = path_ + ": " + sqlite3_errmsg(db_) + ".";
  return false;
}

bool SqliteExport::CheckTable(const std::string& source, const ExportTable& table,
                              std::string* message) {
  std::string name = Utf8FromWindows1252(table.name);
  std::vector<Column> wanted = ColumnsOf(table);
  for (size_t i = table.nested ? 3 : 2; i < wanted.size(); ++i) {
    for (size_t j = 0; j < (table.nested ? 3u : 2u); ++j) {
      if (mk::SameName(wanted[i].name, wanted[j].name)) {
        *message = source + ": the view " + name + " has a column named " + wanted[i].name +
                   ", a name the export uses itself; nothing of it was added.";
        return false;
      }
    }
  }
  sqlite3_stmt* raw = nullptr;
  std::string sql = "PRAGMA table_info(" + Quoted(name) + ")";
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
    *message = path_ + ": " + sqlite3_errmsg(db_) + ".";
    return false;
  }
  Statement info(raw);
  std::vector<Column> present;
  while (sqlite3_step(raw) == SQLITE_ROW) {
    present.push_back({reinterpret_cast<const char*>(sqlite3_column_text(raw, 1)),
                       reinterpret_cast<const char*>(sqlite3_column_text(raw, 2))});
  }
  if (present.empty()) return true;  // a new table
  std::vector<Column> only_file = Missing(wanted, present), only_db = Missing(present, wanted);
  if (!only_file.empty() || !only_db.empty()) {
    *message =
        source + ": the table " + name + " in " + path_ +
        " has other columns than this file's view (only in the file: " + Describe(only_file) +
        "; only in the database: " + Describe(only_db) + "); nothing of " + source + " was added.";
    return false;
  }
  sql = "SELECT 1 FROM " + Quoted(name) + " WHERE source_file = ? LIMIT 1";
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
    *message = path_ + ": " + sqlite3_errmsg(db_) + ".";
    return false;
  }
  Statement probe(raw);
  sqlite3_bind_text(raw, 1, source.data(), static_cast<int>(source.size()), SQLITE_STATIC);
  if (sqlite3_step(raw) == SQLITE_ROW) {
    *message =
        source + " is already in " + path_ + " (table " + name + "); nothing was added again.";
    return false;
  }
  return true;
}

bool SqliteExport::CreateAndFill(const std::string& source, const mk::Storage& storage,
                                 const std::vector<ExportTable>& tables, Progress& progress,
                                 std::string* message) {
  for (const ExportTable& table : tables) {
    if (!CheckTable(source, table, message)) return false;
  }
  std::vector<Statement> inserts;
  for (const ExportTable& table : tables) {
    std::string name = Quoted(Utf8FromWindows1252(table.name));
    std::string create = "CREATE TABLE IF NOT EXISTS " + name + " (";
    std::string insert = "INSERT INTO " + name + " (", values;
    for (const Column& c : ColumnsOf(table)) {
      bool first = values.empty();
      create += (first ? "" : ", ") + Quoted(c.name) + " " + c.type;
      insert += (first ? "" : ", ") + Quoted(c.name);
      values += first ? "?" : ", ?";
    }
    if (!Exec((create + ")").c_str(), message)) return false;
    sqlite3_stmt* raw = nullptr;
    insert += ") VALUES (" + values + ")";
    if (sqlite3_prepare_v2(db_, insert.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
      *message = path_ + ": " + sqlite3_errmsg(db_) + ".";
      return false;
    }
    inserts.emplace_back(raw);
  }
  SqliteSink sink(source, tables, inserts, progress);
  if (!WalkExportRows(storage, tables, sink)) {
    *message = path_ + ": " + sqlite3_errmsg(db_) + ".";
    return false;
  }
  return true;
}

bool SqliteExport::AddFile(const std::string& source, const mk::Storage& storage,
                           const std::vector<ExportTable>& tables, Progress& progress,
                           std::string* message) {
  if (!Exec("BEGIN IMMEDIATE", message)) return false;
  if (!CreateAndFill(source, storage, tables, progress, message)) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
  }
  if (!Exec("COMMIT", message)) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
  }
  return true;
}

}  // namespace woodtick
