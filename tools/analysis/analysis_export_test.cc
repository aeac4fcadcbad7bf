// The analysis exports, read back by an independent reader: Python's csv and
// sqlite3 modules.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include "mk/storage.h"
#include "model/tally_model.h"
#include "model/testing/fake_ui.h"
#include "model/testing/model_fixture.h"
#include "platform/file_lock.h"
#include "platform/temp_dir.h"
#include "tools/commands.h"

namespace woodtick {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::MatchesRegex;

namespace fs = std::filesystem;

// Prints each record of the CSV file as the hex of its UTF-8 fields.
constexpr char kReadCsv[] = R"(import csv, sys
with open(sys.argv[1], newline='', encoding='utf-8') as f:
    for row in csv.reader(f):
        print(','.join(field.encode('utf-8').hex() for field in row))
)";

// Prints each row of the query: s/b + hex for texts and blobs, i, f, n.
constexpr char kQuerySqlite[] = R"(import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
for row in db.execute(sys.argv[2]):
    out = []
    for v in row:
        if isinstance(v, str): out.append('s' + v.encode('utf-8').hex())
        elif isinstance(v, bytes): out.append('b' + v.hex())
        elif isinstance(v, int): out.append('i' + str(v))
        elif isinstance(v, float): out.append('f' + repr(v))
        else: out.append('n')
    print(','.join(out))
)";

using Table = std::vector<std::vector<std::string>>;

// The tables of the files' views, without the export's list of files.
constexpr char kOwnTables[] = "type = 'table' AND name <> 'source_files'";

std::string Unhex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return out;
}

bool HavePython() {
  static const bool present = std::system("python3 -c pass > /dev/null 2>&1") == 0;
  return present;
}

class AnalysisExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HavePython()) GTEST_SKIP() << "python3 is not installed; it reads the exports back";
  }

  // A datafile with one view of the given description, filled by `fill`.
  std::string MakeFile(const std::string& name, const std::vector<std::string>& descriptions,
                       const std::function<void(mk::Storage&)>& fill) {
    std::string path = dir_.File(name);
    std::unique_ptr<mk::Storage> storage;
    EXPECT_TRUE(mk::Storage::Open(path, &storage).ok());
    for (const std::string& d : descriptions) storage->GetAs(d);
    fill(*storage);
    EXPECT_TRUE(storage->Commit().ok());
    return path;
  }

  // Runs a Python script on the arguments; its output lines split at ",",
  // the texts and blobs decoded (their type letter kept in front).
  Table Python(const char* script, const std::vector<std::string>& args, bool decode_typed) {
    std::string file = dir_.File("reader.py");
    std::ofstream(file) << script;
    std::string command = "python3 " + file;
    for (const std::string& a : args) {
      command += " '";
      for (char c : a) command += c == '\'' ? std::string("'\\''") : std::string(1, c);
      command += "'";
    }
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) text.append(buf, n);
    EXPECT_EQ(pclose(pipe), 0) << text;
    Table rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      std::vector<std::string> fields;
      std::istringstream cells(line + ",");
      for (std::string f; std::getline(cells, f, ',');) {
        if (!decode_typed) {
          fields.push_back(Unhex(f));
        } else if (!f.empty() && (f[0] == 's' || f[0] == 'b')) {
          fields.push_back(f.substr(0, 1) + Unhex(f.substr(1)));
        } else {
          fields.push_back(f);
        }
      }
      rows.push_back(fields);
    }
    return rows;
  }

  Table Query(const std::string& db, const std::string& sql) {
    return Python(kQuerySqlite, {db, sql}, true);
  }

  int Cli(const std::vector<std::string>& args) {
    out_.str("");
    err_.str("");
    return RunCli(args, out_, err_);
  }

  TempDir dir_;
  std::ostringstream out_, err_;
};

// Texts with every character CSV must quote and Windows-1252 letters;
// numbers at the edges of their types.
void FillNotes(mk::Storage& storage) {
  mk::View v = storage.GetView("Notes");
  v.SetSize(3);
  v.SetString(0, 0, "Smith, John \"Jack\"");
  v.SetInt(0, 1, -7);
  v.SetLong(0, 2, (int64_t{1} << 40) + 3);
  v.SetFloat(0, 3, 0.1f);
  v.SetDouble(0, 4, 0.1);
  v.SetBytes(0, 5, std::string("\x00\xff", 2));
  v.SetString(1, 0, "two\r\nlines\nand caf\xE9 \x80 5");
  v.SetInt(1, 1, INT_MIN);
  v.SetLong(1, 2, INT64_MIN);
  v.SetFloat(1, 3, 3.4028235e38f);
  v.SetDouble(1, 4, 1.0 / 3);
  v.SetFloat(2, 3, 1e-45f);
  v.SetDouble(2, 4, NAN);
}

constexpr char kNotes[] = "Notes[Text:S,Count:I,Big:L,Ratio:F,Exact:D,Raw:B]";

TEST_F(AnalysisExportTest, CsvReadsBackFieldForFieldInFullPrecision) {
  std::string tally = MakeFile("stand.tal", {kNotes}, FillNotes);
  ASSERT_EQ(Cli({"export", "--format", "csv", "--output", dir_.File("csv"), tally}), 0)
      << err_.str();
  EXPECT_EQ(out_.str(), tally + ": 1 table, 3 rows exported to " + dir_.File("csv") + "\n");
  Table t = Python(kReadCsv, {dir_.File("csv/stand/Notes.csv")}, false);
  ASSERT_EQ(t.size(), 4u);
  EXPECT_THAT(t[0], ElementsAre("Text", "Count", "Big", "Ratio", "Exact", "Raw"));
  EXPECT_THAT(t[1],
              ElementsAre("Smith, John \"Jack\"", "-7", "1099511627779", "0.1", "0.1", "00ff"));
  EXPECT_EQ(t[2][0], "two\r\nlines\nand caf\u00e9 \u20ac 5");
  EXPECT_EQ(t[2][1], std::to_string(INT_MIN));
  EXPECT_EQ(t[2][2], std::to_string(INT64_MIN));
  EXPECT_EQ(std::strtof(t[2][3].c_str(), nullptr), 3.4028235e38f);
  EXPECT_EQ(std::strtod(t[2][4].c_str(), nullptr), 1.0 / 3);
  EXPECT_EQ(std::strtof(t[3][3].c_str(), nullptr), 1e-45f);
  EXPECT_EQ(t[3][4], "NaN");
  EXPECT_THAT(t[3], ElementsAre("", "0", "0", t[3][3], "NaN", ""));
}

TEST_F(AnalysisExportTest, SqliteColumnsAreTypedAndValuesExact) {
  std::string tally = MakeFile("stand.tal", {kNotes}, FillNotes);
  std::string db = dir_.File("all.db");
  ASSERT_EQ(Cli({"export", "--format=sqlite", "--output=" + db, tally}), 0) << err_.str();
  Table columns = Query(db, "SELECT name, type FROM pragma_table_info('Notes')");
  Table want = {{"ssource_file", "sTEXT"}, {"ssource_row", "sINTEGER"},
                {"sText", "sTEXT"},        {"sCount", "sINTEGER"},
                {"sBig", "sINTEGER"},      {"sRatio", "sREAL"},
                {"sExact", "sREAL"},       {"sRaw", "sBLOB"}};
  EXPECT_EQ(columns, want);
  Table t = Query(db, "SELECT * FROM Notes ORDER BY source_row");
  ASSERT_EQ(t.size(), 3u);
  EXPECT_THAT(t[0], ElementsAre("s" + tally, "i0", "sSmith, John \"Jack\"", "i-7", "i1099511627779",
                                "f0.10000000149011612", "f0.1", std::string("b\x00\xff", 3)));
  EXPECT_EQ(t[1][2], "stwo\r\nlines\nand caf\u00e9 \u20ac 5");
  EXPECT_EQ(t[1][5], "f3.4028234663852886e+38");
  EXPECT_EQ(std::strtod(t[1][6].c_str() + 1, nullptr), 1.0 / 3);
  EXPECT_THAT(t[2],
              ElementsAre("s" + tally, "i2", "s", "i0", "i0", "f1.401298464324817e-45", "n", "b"));
}

TEST_F(AnalysisExportTest, SqliteAppendsFilesWholeRefusesMixingAndStoresAFileOnce) {
  auto crew = [&](const std::string& name, int rows) {
    return MakeFile(name, {"Trees[Unit:S,Dbh:D]", "Plots[Unit:S]"}, [&](mk::Storage& s) {
      s.GetView("Trees").SetSize(rows);
      s.GetView("Plots").SetSize(1);
    });
  };
  std::string one = crew("crew1.tal", 2), two = crew("crew2.tal", 3);
  // Its Plots view comes first and would be accepted; its Trees view differs.
  std::string odd = MakeFile("odd.tal", {"Plots[Unit:S]", "Trees[Unit:S,Dbh:S]", "Extra[a:I]"},
                             [](mk::Storage& s) { s.GetView("Plots").SetSize(4); });
  std::string db = dir_.File("crews.db");
  ASSERT_EQ(Cli({"export", "--format", "sqlite", "--output", db, one}), 0) << err_.str();
  EXPECT_EQ(Cli({"export", "--format", "sqlite", "--output", db, odd, two, one}), 1);
  EXPECT_THAT(err_.str(), HasSubstr("the table Trees in " + db + " has other columns"));
  EXPECT_THAT(err_.str(), HasSubstr("only in the file: Dbh TEXT; only in the database: Dbh REAL"));
  EXPECT_THAT(err_.str(), HasSubstr("1 of 3 files not exported; the others were."));
  EXPECT_EQ(out_.str(), two + ": 2 tables, 4 rows exported to " + db + "\n" + one +
                            ": already in " + db + " as it is now; nothing to add.\n");
  Table t = Query(db,
                  "SELECT source_file, count(*) FROM Trees GROUP BY source_file "
                  "UNION ALL SELECT source_file, count(*) FROM Plots GROUP BY source_file "
                  "UNION ALL SELECT 'tables', count(*) FROM sqlite_master WHERE " +
                      std::string(kOwnTables));
  Table want = {{"s" + one, "i2"},
                {"s" + two, "i3"},
                {"s" + one, "i1"},
                {"s" + two, "i1"},
                {"stables", "i2"}};
  EXPECT_EQ(t, want);
}

TEST_F(AnalysisExportTest, AFileThatFailsHalfwayLeavesNothingBehind) {
  // SQLite refuses to create a table of this name, after Plots was made.
  std::string tally = MakeFile("bad.tal", {"Plots[Unit:S]", "sqlite_notes[a:S]"},
                               [](mk::Storage& s) { s.GetView("Plots").SetSize(3); });
  std::string db = dir_.File("bad.db");
  EXPECT_EQ(Cli({"export", "--format", "sqlite", "--output", db, tally}), 1);
  EXPECT_THAT(err_.str(), HasSubstr("sqlite_"));
  Table t = Query(db, "SELECT count(*) FROM sqlite_master");
  EXPECT_EQ(t, Table{{"i0"}});

  std::string not_db = MakeFile("plain.tal", {"Plots[Unit:S]"}, [](mk::Storage&) {});
  EXPECT_EQ(Cli({"export", "--format", "sqlite", "--output", not_db, tally}), 1);
  EXPECT_THAT(err_.str(), HasSubstr(not_db + ": file is not a database"));
  EXPECT_EQ(Cli({"export", "--format", "csv", "--output", not_db, tally}), 1);
  EXPECT_THAT(err_.str(), HasSubstr("is not a folder"));
}

TEST_F(AnalysisExportTest, NestedViewsBecomeTablesThatPointToTheirRows) {
  std::string tally =
      MakeFile("orders.tal", {"Orders[id:I,lines[sku:S,qty:I]]"}, [](mk::Storage& s) {
        mk::View orders = s.GetView("Orders");
        orders.SetSize(2);
        orders.SetInt(1, 0, 42);
        mk::View lines = orders.GetSubview(1, 1);
        lines.SetSize(2);
        lines.SetString(0, 0, "a,b");
        lines.SetInt(1, 1, 5);
      });
  std::string db = dir_.File("orders.db");
  ASSERT_EQ(Cli({"export", "--format", "sqlite", "--output", db, tally}), 0) << err_.str();
  Table t = Query(db,
                  "SELECT o.id, o.lines, l.parent_row, l.sku, l.qty FROM Orders o "
                  "JOIN \"Orders.lines\" l ON l.parent_row = o.source_row ORDER BY l.source_row");
  Table want = {{"i42", "i2", "i1", "sa,b", "i0"}, {"i42", "i2", "i1", "s", "i5"}};
  EXPECT_EQ(t, want);
  ASSERT_EQ(Cli({"export", "--format", "csv", "--output", dir_.path(), tally}), 0) << err_.str();
  t = Python(kReadCsv, {dir_.File("orders/Orders.lines.csv")}, false);
  Table csv = {{"parent_row", "sku", "qty"}, {"1", "a,b", "0"}, {"1", "", "5"}};
  EXPECT_EQ(t, csv);
}

TEST_F(AnalysisExportTest, RecursiveViewsGetATablePerLevelTheDataReaches) {
  std::string tally = MakeFile("tree.tal", {"tree[name:S,kids[^]]"}, [](mk::Storage& s) {
    mk::View tree = s.GetView("tree");
    tree.SetSize(1);
    tree.SetString(0, 0, "root");
    mk::View kids = tree.GetSubview(0, 1);
    kids.SetSize(2);
    kids.SetString(1, 0, "leaf");
    kids.GetSubview(1, 1).SetSize(1);
    kids.GetSubview(1, 1).SetString(0, 0, "bud");
  });
  std::string db = dir_.File("tree.db");
  ASSERT_EQ(Cli({"export", "--format", "sqlite", "--output", db, tally}), 0) << err_.str();
  Table t = Query(db,
                  "SELECT k.name, k.kids, g.name FROM tree r JOIN \"tree.kids\" k "
                  "ON k.parent_row = r.source_row LEFT JOIN \"tree.kids.kids\" g "
                  "ON g.parent_row = k.source_row ORDER BY k.source_row");
  Table want = {{"s", "i0", "n"}, {"sleaf", "i1", "sbud"}};
  EXPECT_EQ(t, want);
  // No table for a level no row reaches.
  EXPECT_EQ(Query(db, std::string("SELECT count(*) FROM sqlite_master WHERE ") + kOwnTables),
            Table{{"i3"}});
}

TEST_F(AnalysisExportTest, TallyFilesAreReadNeverWritten) {
  std::string tally = MakeFile("kept.tal", {kNotes}, FillNotes);
  ASSERT_EQ(chmod(tally.c_str(), 0444), 0);
  std::ifstream in(tally, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto stamp = fs::last_write_time(tally);
  EXPECT_EQ(Cli({"export", "--format", "csv", "--output", dir_.File("c"), tally}), 0) << err_.str();
  EXPECT_EQ(Cli({"export", "--format", "sqlite", "--output", dir_.File("d.db"), tally}), 0);
  std::ifstream again(tally, std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>()),
            bytes);
  EXPECT_EQ(fs::last_write_time(tally), stamp);

  SystemFileLock program;
  ASSERT_EQ(program.Acquire(tally), 0);
  EXPECT_EQ(Cli({"export", "--format", "csv", "--output", dir_.File("e"), tally}), 1);
  EXPECT_THAT(err_.str(), HasSubstr("in use by another application"));
  program.Release();
  std::string missing = dir_.File("missing.tal");
  EXPECT_EQ(Cli({"export", "--format", "csv", "--output", dir_.File("e"), missing}), 1);
  EXPECT_FALSE(fs::exists(missing));
}

TEST_F(AnalysisExportTest, CsvRefusesASecondFileOfTheSameName) {
  fs::create_directories(dir_.File("a"));
  fs::create_directories(dir_.File("b"));
  auto fill = [](mk::Storage& s) { s.GetView("Trees").SetSize(1); };
  std::string a = MakeFile("a/day1.tal", {"Trees[Unit:S]"}, fill);
  std::string b = MakeFile("b/day1.tal", {"Trees[Unit:S,Dbh:S]"}, fill);
  EXPECT_EQ(Cli({"export", "--format", "csv", "--output", dir_.File("out"), a, b}), 1);
  EXPECT_THAT(err_.str(), HasSubstr(b + ": its tables would replace those of " + a));
  Table t = Python(kReadCsv, {dir_.File("out/day1/Trees.csv")}, false);
  Table want = {{"Unit"}, {""}};
  EXPECT_EQ(t, want);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.File("out")), fs::directory_iterator()), 1);
}

// Tally files of crews: populations A and B, each count and HIT of a unit
// told apart by its value.
class TallyExportTest : public AnalysisExportTest {
 protected:
  // The file, and its counts and HITs summed.
  std::string Crew(const std::string& name, int units, int64_t* count, int64_t* hits) {
    std::string path = dir_.File(name), error;
    EXPECT_TRUE(BuildTallyFile(
        path,
        {.num_units = units,
         .populations = {{.key = "A", .label = "Ash, white"}, {.key = "B", .label = "Birch"}}},
        &error))
        << error;
    std::unique_ptr<mk::Storage> storage;
    EXPECT_TRUE(mk::Storage::Open(path, &storage).ok());
    mk::View tally = storage->GetView("Tally");
    *count = *hits = 0;
    for (int row = 0; row < 2; ++row) {
      for (int u = 1; u <= units; ++u) {
        char column[24];
        std::snprintf(column, sizeof column, "U%03dCount", u);
        tally.SetLong(row, tally.FindPropIndexByName(column), 10 * u + row);
        std::snprintf(column, sizeof column, "U%03dHit", u);
        tally.SetLong(row, tally.FindPropIndexByName(column), u);
        *count += 10 * u + row;
        *hits += u;
      }
    }
    EXPECT_TRUE(storage->Commit().ok());
    return path;
  }
  int Export(const std::string& format, const std::string& output,
             const std::vector<std::string>& files, bool replace = false) {
    std::vector<std::string> args = {"export", "--format", format, "--output", output};
    if (replace) args.push_back("--replace");
    args.insert(args.end(), files.begin(), files.end());
    return Cli(args);
  }
  // Per source_file: its rows, counts summed and HITs summed.
  Table Sums(const std::string& db) {
    return Query(db,
                 "SELECT source_file, count(*), sum(count), sum(hits) FROM tally_counts "
                 "GROUP BY source_file ORDER BY source_file");
  }
};

TEST_F(TallyExportTest, CrewsOfThreeAndTwelveUnitsMergeEachWithItsOwnSums) {
  int64_t count3, hits3, count12, hits12;
  std::string three = Crew("crew3.tal", 3, &count3, &hits3);
  std::string twelve = Crew("crew12.tal", 12, &count12, &hits12);
  std::string db = dir_.File("stand.db");
  ASSERT_EQ(Export("sqlite", db, {three, twelve}), 0) << err_.str();
  Table want = {{"s" + twelve, "i24", "i" + std::to_string(count12), "i" + std::to_string(hits12)},
                {"s" + three, "i6", "i" + std::to_string(count3), "i" + std::to_string(hits3)}};
  EXPECT_EQ(Sums(db), want);
  EXPECT_EQ(
      Query(db, "SELECT key, label, unit, count, hits FROM tally_counts WHERE source_file = '" +
                    twelve + "' AND unit = 12 ORDER BY key"),
      (Table{{"sA", "sAsh, white", "i12", "i120", "i12"}, {"sB", "sBirch", "i12", "i121", "i12"}}));
  EXPECT_EQ(Query(db, "SELECT count(*), min(meth), max(freq) FROM populations"),
            (Table{{"i4", "sC", "f1.0"}}));

  ASSERT_EQ(Export("csv", dir_.File("csv"), {three, twelve}), 0) << err_.str();
  Table csv = Python(kReadCsv, {dir_.File("csv/crew12/tally_counts.csv")}, false);
  ASSERT_EQ(csv.size(), 25u);
  EXPECT_THAT(csv[0], ElementsAre("source_file", "key", "label", "unit", "count", "hits"));
  int64_t sum = 0;
  for (size_t r = 1; r < csv.size(); ++r) sum += std::stoll(csv[r][4]);
  EXPECT_EQ(sum, count12);
  EXPECT_EQ(csv[1][2], "Ash, white");
}

TEST_F(TallyExportTest, AFileIsKnownByWhatItIsAndReplacedOnlyWhenAsked) {
  int64_t count, hits;
  std::string crew = Crew("crew.tal", 3, &count, &hits);
  fs::create_symlink(crew, dir_.File("link.tal"));
  fs::copy_file(crew, dir_.File("copy.tal"));
  std::string db = dir_.File("stand.db");
  fs::path was = fs::current_path();
  fs::current_path(dir_.path());
  int exported = Export("sqlite", db, {"crew.tal", crew, dir_.File("link.tal"), "copy.tal"});
  fs::current_path(was);
  ASSERT_EQ(exported, 0) << err_.str();
  EXPECT_THAT(out_.str(), HasSubstr(crew + ": already in " + db + " as it is now"));
  EXPECT_THAT(out_.str(), HasSubstr("copy.tal: the same content as " + crew));
  Table once = {{"s" + crew, "i6", "i" + std::to_string(count), "i" + std::to_string(hits)}};
  EXPECT_EQ(Sums(db), once);
  // A run cut short is completed by running it again; it adds nothing twice.
  EXPECT_EQ(Export("sqlite", db, {crew}), 0) << err_.str();

  {
    std::unique_ptr<mk::Storage> storage;
    ASSERT_TRUE(mk::Storage::Open(crew, &storage).ok());
    storage->GetView("Tally").SetLong(0, 6, 1000);  // U001Count of A
    ASSERT_TRUE(storage->Commit().ok());
  }
  EXPECT_EQ(Export("sqlite", db, {crew}), 1);
  EXPECT_THAT(err_.str(), HasSubstr(crew + " has changed since it was exported to " + db));
  EXPECT_THAT(err_.str(), HasSubstr("--replace"));
  EXPECT_EQ(Sums(db), once);
  ASSERT_EQ(Export("sqlite", db, {crew}, true), 0) << err_.str();
  Table replaced = {
      {"s" + crew, "i6", "i" + std::to_string(count - 10 + 1000), "i" + std::to_string(hits)}};
  EXPECT_EQ(Sums(db), replaced);
  EXPECT_EQ(Query(db, "SELECT count(*) FROM populations"), Table{{"i2"}});

  // A run that adds nothing leaves no database behind.
  std::string none = dir_.File("none.db");
  EXPECT_EQ(Export("sqlite", none, {dir_.File("missing.tal")}), 1);
  EXPECT_FALSE(fs::exists(none));
}

TEST_F(TallyExportTest, ATalliedFilesTalliesComeOutInOrderWithTheirTimes) {
  int64_t count, hits;
  std::string crew = Crew("crew.tal", 2, &count, &hits);
  {
    FakeUi ui;
    TallyModel model(ui, {});
    model.SetStartupFile(crew);
    ASSERT_TRUE(model.OpenTallyFile());
    for (const char* key : {"A", "B", "A"}) model.tallying().SetKeyBoxText(key);
  }
  std::string db = dir_.File("tallies.db");
  ASSERT_EQ(Cli({"export", "--format", "sqlite", "--output", db, crew}), 0) << err_.str();
  Table t = Query(db, "SELECT time, unit, key, measured, event FROM tallies ORDER BY source_row");
  ASSERT_EQ(t.size(), 3u);
  for (size_t r = 0; r < t.size(); ++r) {
    EXPECT_THAT(t[r][0], MatchesRegex("s[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}"
                                      "[+-][0-9]{2}:[0-9]{2}"));
    if (r > 0) {
      EXPECT_LE(t[r - 1][0], t[r][0]);
    }
    EXPECT_EQ(t[r][1], "i1");
    EXPECT_EQ(t[r][2], r == 1 ? "sB" : "sA");
    EXPECT_EQ(t[r][3], "i1");  // method C: every tally is measured
  }
  // The wide per-unit view is left to the long tables; the history too.
  EXPECT_EQ(Query(db, "SELECT count(*) FROM sqlite_master WHERE name IN ('Tally', 'TallyHistory')"),
            Table{{"i0"}});
}

TEST(AnalysisExportUsageTest, OptionsAreCheckedBeforeAnyFileIsRead) {
  std::ostringstream out, err;
  EXPECT_EQ(RunCli({"export", "--format", "xml", "--output", "x", "f.tal"}, out, err), 2);
  EXPECT_THAT(err.str(), HasSubstr("unknown format 'xml'"));
  EXPECT_EQ(RunCli({"export", "--format", "csv", "f.tal"}, out, err), 2);
  EXPECT_THAT(err.str(), HasSubstr("--output is missing"));
  EXPECT_EQ(RunCli({"export", "--format", "csv", "--output", "x"}, out, err), 2);
  EXPECT_THAT(err.str(), HasSubstr("no FILE to export"));
  EXPECT_EQ(RunCli({"export", "--colour", "red", "f.tal"}, out, err), 2);
  EXPECT_THAT(err.str(), HasSubstr("unknown option '--colour'"));
  EXPECT_EQ(RunCli({"export", "a.tal", "b.tal"}, out, err), 2);
  EXPECT_TRUE(out.str().empty());
}

}  // namespace
}  // namespace woodtick
