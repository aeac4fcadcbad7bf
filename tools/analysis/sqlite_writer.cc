#include "tools/analysis/sqlite_writer.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "mk/field.h"
#include "platform/windows_1252.h"

namespace woodtick {

void SqlStatementDeleter::operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }

namespace {

using Column = SqlColumn;
using Statement = SqlStatement;

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

void BindText(sqlite3_stmt* s, int at, const std::string& text) {
  sqlite3_bind_text(s, at, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

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

SqliteExport::~SqliteExport() { Close(); }

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
  return CheckColumns(source, name, wanted, message);
}

bool SqliteExport::Prepare(const std::string& sql, Statement* statement, std::string* message) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
    *message = path_ + ": " + sqlite3_errmsg(db_) + ".";
    return false;
  }
  statement->reset(raw);
  return true;
}

bool SqliteExport::CheckColumns(const std::string& source, const std::string& name,
                                const std::vector<Column>& wanted, std::string* message) {
  Statement info;
  if (!Prepare("PRAGMA table_info(" + Quoted(name) + ")", &info, message)) return false;
  std::vector<Column> present;
  while (sqlite3_step(info.get()) == SQLITE_ROW) {
    present.push_back({reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 1)),
                       reinterpret_cast<const char*>(sqlite3_column_text(info.get(), 2))});
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
  // Rows of a file that an older export stored without its content's digest.
  Statement probe;
  if (!Prepare("SELECT 1 FROM " + Quoted(name) + " WHERE source_file = ? LIMIT 1", &probe,
               message)) {
    return false;
  }
  BindText(probe.get(), 1, source);
  if (sqlite3_step(probe.get()) == SQLITE_ROW) {
    *message = source + " is already in " + path_ + " (table " + name +
               "); nothing was added again. --replace replaces its rows with its current content.";
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

bool SqliteExport::AddLongTable(const std::string& source, const LongTable& table,
                                std::string* message) {
  std::vector<Column> columns;
  for (const LongColumn& c : table.columns) columns.push_back({c.name, SqlType(c.type)});
  if (!CheckColumns(source, table.name, columns, message)) return false;
  std::string create = "CREATE TABLE IF NOT EXISTS " + Quoted(table.name) + " (";
  std::string insert = "INSERT INTO " + Quoted(table.name) + " VALUES (";
  for (size_t c = 0; c < columns.size(); ++c) {
    create += (c ? ", " : "") + Quoted(columns[c].name) + " " + columns[c].type;
    insert += c ? ", ?" : "?";
  }
  Statement statement;
  if (!Exec((create + ")").c_str(), message) || !Prepare(insert + ")", &statement, message)) {
    return false;
  }
  sqlite3_stmt* s = statement.get();
  for (const std::vector<std::string>& row : table.rows) {
    sqlite3_reset(s);
    for (size_t c = 0; c < row.size(); ++c) {
      const int at = static_cast<int>(c) + 1;
      const std::string& cell = row[c];
      if (table.columns[c].type == 'S') {
        BindText(s, at, cell);
      } else if (cell.empty()) {
        sqlite3_bind_null(s, at);
      } else if (table.columns[c].type == 'D') {
        sqlite3_bind_double(s, at, std::strtod(cell.c_str(), nullptr));
      } else {
        sqlite3_bind_int64(s, at, std::strtoll(cell.c_str(), nullptr, 10));
      }
    }
    if (sqlite3_step(s) != SQLITE_DONE) {
      *message = path_ + ": " + sqlite3_errmsg(db_) + ".";
      return false;
    }
  }
  return true;
}

bool SqliteExport::DeleteRowsOf(const std::string& source, std::string* message) {
  Statement tables;
  if (!Prepare("SELECT name FROM sqlite_master WHERE type = 'table'", &tables, message)) {
    return false;
  }
  std::vector<std::string> names;
  while (sqlite3_step(tables.get()) == SQLITE_ROW) {
    names.push_back(reinterpret_cast<const char*>(sqlite3_column_text(tables.get(), 0)));
  }
  for (const std::string& name : names) {
    Statement has;
    if (!Prepare("SELECT 1 FROM pragma_table_info(?) WHERE name = 'source_file'", &has, message)) {
      return false;
    }
    BindText(has.get(), 1, name);
    if (sqlite3_step(has.get()) != SQLITE_ROW) continue;
    Statement remove;
    if (!Prepare("DELETE FROM " + Quoted(name) + " WHERE source_file = ?", &remove, message)) {
      return false;
    }
    BindText(remove.get(), 1, source);
    if (sqlite3_step(remove.get()) != SQLITE_DONE) {
      *message = path_ + ": " + sqlite3_errmsg(db_) + ".";
      return false;
    }
  }
  return true;
}

SqliteExport::Added SqliteExport::Register(const SourceFile& file, bool replace,
                                           std::string* message) {
  if (!Exec("CREATE TABLE IF NOT EXISTS source_files (source_file TEXT PRIMARY KEY, "
            "bytes INTEGER, digest TEXT)",
            message)) {
    return Added::kFailed;
  }
  Statement known;
  if (!Prepare("SELECT digest = ?2 AND bytes = ?3 FROM source_files WHERE source_file = ?1", &known,
               message)) {
    return Added::kFailed;
  }
  BindText(known.get(), 1, file.name);
  BindText(known.get(), 2, file.digest);
  sqlite3_bind_int64(known.get(), 3, file.bytes);
  if (sqlite3_step(known.get()) == SQLITE_ROW) {
    if (sqlite3_column_int(known.get(), 0) != 0) return Added::kUnchanged;
    if (!replace) {
      *message = file.name + " has changed since it was exported to " + path_ +
                 "; nothing was added. --replace replaces its rows with its current content.";
      return Added::kFailed;
    }
  } else {
    Statement twin;
    if (!Prepare("SELECT source_file FROM source_files WHERE digest = ? AND bytes = ?", &twin,
                 message)) {
      return Added::kFailed;
    }
    BindText(twin.get(), 1, file.digest);
    sqlite3_bind_int64(twin.get(), 2, file.bytes);
    if (sqlite3_step(twin.get()) == SQLITE_ROW) {
      *message = reinterpret_cast<const char*>(sqlite3_column_text(twin.get(), 0));
      return Added::kSameContent;
    }
  }
  if (replace && !DeleteRowsOf(file.name, message)) return Added::kFailed;
  Statement record;
  if (!Prepare("INSERT OR REPLACE INTO source_files VALUES (?, ?, ?)", &record, message)) {
    return Added::kFailed;
  }
  BindText(record.get(), 1, file.name);
  sqlite3_bind_int64(record.get(), 2, file.bytes);
  BindText(record.get(), 3, file.digest);
  if (sqlite3_step(record.get()) != SQLITE_DONE) {
    *message = path_ + ": " + sqlite3_errmsg(db_) + ".";
    return Added::kFailed;
  }
  return Added::kAdded;
}

SqliteExport::Added SqliteExport::AddFile(const SourceFile& file, const mk::Storage& storage,
                                          const std::vector<ExportTable>& tables,
                                          const std::vector<LongTable>& long_tables, bool replace,
                                          Progress& progress, std::string* message) {
  if (!Exec("BEGIN IMMEDIATE", message)) return Added::kFailed;
  Added added = Register(file, replace, message);
  if (added == Added::kAdded) {
    bool ok = CreateAndFill(file.name, storage, tables, progress, message);
    for (size_t t = 0; ok && t < long_tables.size(); ++t) {
      ok = AddLongTable(file.name, long_tables[t], message);
    }
    if (!ok || !Exec("COMMIT", message)) added = Added::kFailed;
  }
  // Nothing was added: the database stays exactly as it was.
  if (added != Added::kAdded) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  return added;
}

void SqliteExport::Close() {
  if (db_) sqlite3_close(db_);
  db_ = nullptr;
}

}  // namespace woodtick
