// The tally-pattern commit: the program keeps every view of a tally file in
// memory and, after each tally, reopens the file, replaces every view's rows
// with its in-memory copy, commits and closes. Only Tally really changes, so
// a commit should write a small, constant number of bytes whatever the size
// of the data table. At 200,000 rows the data table carries nineteen more
// measurement columns, so that the file is about 40 MB, as a season's tally
// file is. Files are made once per row count in a temporary folder and
// copied for each benchmark.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "bench/letters.h"
#include "mk/file_system.h"
#include "mk/storage.h"
#include "mk/view.h"

namespace mk {
namespace {

constexpr int kTallyRows = 20;
constexpr int kUnits = 50;
constexpr int kFixedTallyColumns = 6;
constexpr char kTreesFields[] = "Unit:S,Num:S,Label:S,Height:S,Dbh:S,Notes:S";
constexpr int kBigRows = 200000;
constexpr int kExtraColumns = 19;

std::string TreesFields(int rows) {
  std::string fields = kTreesFields;
  if (rows < kBigRows) return fields;
  char name[16];
  for (int c = 1; c <= kExtraColumns; ++c) {
    std::snprintf(name, sizeof name, ",M%02d:S", c);
    fields += name;
  }
  return fields;
}

std::string TallyFields() {
  std::string fields = "Key:S,Label:S,Desc:S,Meth:S,Freq:D,DatTable:S";
  char name[32];
  for (int u = 1; u <= kUnits; ++u) {
    std::snprintf(name, sizeof name, ",U%03dCount:L,U%03dHit:L", u, u);
    fields += name;
  }
  return fields;
}

void Fail(benchmark::State& state, const Status& s) { state.SkipWithError(s.message().c_str()); }

std::filesystem::path BenchDir() {
  static std::filesystem::path dir = [] {
    auto d =
        std::filesystem::temp_directory_path() / ("woodtick-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

// Sets the cells of data-table row `r`, as the bench files hold them.
void FillTreeRow(View trees, int r) {
  trees.SetString(r, 0, std::to_string(1 + r / 100));
  trees.SetString(r, 1, std::to_string(r + 1));
  trees.SetString(r, 2, r % 3 ? "Pine" : "Fir");
  trees.SetString(r, 3, std::to_string(10 + r % 40) + ".5");
  trees.SetString(r, 4, std::to_string(5 + r % 90) + ".1");
  if (r % 10 == 6) {
    trees.SetString(r, 5, Letters(150 + r % 201, r));
  } else if (r % 3 == 0) {
    trees.SetString(r, 5, "note " + std::to_string(r) + ", leaning");
  }
  for (int c = 6; c < trees.NumProperties(); ++c) {
    trees.SetString(r, c, std::to_string(100 + (r * 7 + c * 13) % 900) + ".25");
  }
}

std::string BuildTallyFile(int rows, const std::string& path) {
  std::unique_ptr<Storage> storage;
  if (!Storage::Open(path, &storage).ok()) return "";
  std::string tally_fields = TallyFields();
  View tally = storage->GetAs("Tally[" + tally_fields + "]");
  tally.SetSize(kTallyRows);
  for (int r = 0; r < kTallyRows; ++r) {
    tally.SetString(r, 0, std::string(1, static_cast<char>('A' + r)));
    tally.SetString(r, 1, "Species " + std::to_string(r));
    tally.SetString(r, 2, "Description of population " + std::to_string(r));
    tally.SetString(r, 3, "C");
    tally.SetDouble(r, 4, 1.0 + r);
    tally.SetString(r, 5, r % 2 ? "Trees" : "");
    for (int c = kFixedTallyColumns; c < tally.NumProperties(); ++c) tally.SetLong(r, c, r + c);
  }
  View globals = storage->GetAs("Globals[Block:S,Key:S,Value:S]");
  globals.SetSize(8);
  for (int r = 0; r < 8; ++r) {
    globals.SetString(r, 0, r < 5 ? "System" : "Tally");
    globals.SetString(r, 1, "Key" + std::to_string(r));
    globals.SetString(r, 2, "Value " + std::to_string(r));
  }
  View dictionary = storage->GetAs(
      "DataDictionary[TableName:S,FieldType:S,Description:S,ColumnName:S,IsUsed:S,Length:I,"
      "Min:S,Max:S,Validate:S,Callbacks:S,DefaultValue:S,FieldEdit:S,CompoundSelection:S,"
      "Order1:I,Order2:I,Order3:I,Order4:I,Order5:I,Order6:I,Order7:I,Order8:I,Order9:I,"
      "Order10:I,Order11:I,Order12:I]");
  View trees_shape = View::FromDescription(kTreesFields);
  int tally_columns = tally.NumProperties();
  dictionary.SetSize(tally_columns + trees_shape.NumProperties());
  for (int r = 0; r < dictionary.GetSize(); ++r) {
    bool in_tally = r < tally_columns;
    const Field& f = in_tally ? tally.NthProperty(r) : trees_shape.NthProperty(r - tally_columns);
    dictionary.SetString(r, 0, in_tally ? "Tally" : "Trees");
    dictionary.SetString(r, 1, std::string(1, f.type));
    dictionary.SetString(r, 2, "About " + f.name);
    dictionary.SetString(r, 3, f.name);
    dictionary.SetString(r, 4, "Y");
    dictionary.SetInt(r, 5, 8);
    dictionary.SetInt(r, 13, r + 1);
  }
  View buffer = storage->GetAs("Buffer[Unit:I,Key:S,Mark:S]");
  buffer.SetSize(10);
  for (int r = 0; r < 10; ++r) {
    buffer.SetInt(r, 0, r);
    buffer.SetString(r, 1, "A");
  }
  View log = storage->GetAs("MessageLog[MsgNum:S,Msg:S,Date:S,Time:S,Level:S,Note:S]");
  log.SetSize(10);
  for (int r = 0; r < 10; ++r) {
    log.SetString(r, 1, "Tally File Opened");
    log.SetString(r, 2, "05/03/2005");
    log.SetString(r, 3, "09:05");
    log.SetString(r, 4, "I");
  }
  View trees = storage->GetAs("Trees[" + TreesFields(rows) + "]");
  trees.SetSize(rows);
  for (int r = 0; r < rows; ++r) FillTreeRow(trees, r);
  if (!storage->Commit().ok()) return "";
  return path;
}

// A fresh copy of the tally file whose data table has `rows` rows.
std::string MakeTallyFile(int rows) {
  static std::map<int, std::string> made;
  std::string& master = made[rows];
  if (master.empty()) {
    master = (BenchDir() / ("master-" + std::to_string(rows) + ".tal")).string();
    std::filesystem::remove(master);
    if (BuildTallyFile(rows, master).empty()) {
      master.clear();
      return "";
    }
  }
  static int copies = 0;
  std::string path = (BenchDir() / ("copy-" + std::to_string(++copies) + ".tal")).string();
  std::filesystem::copy_file(master, path, std::filesystem::copy_options::overwrite_existing);
  return path;
}

// The real file system, counting flushes; without `flush` it skips them,
// to show what the engine itself costs apart from the disk's flush latency.
class CountingFile : public RandomAccessFile {
 public:
  CountingFile(std::unique_ptr<RandomAccessFile> base, bool flush, int64_t* flushes,
               int64_t* written)
      : base_(std::move(base)), flush_(flush), flushes_(flushes), written_(written) {}
  Status Size(uint64_t* size) override { return base_->Size(size); }
  bool Identify(FileIdentity* out) override { return base_->Identify(out); }
  Status Read(uint64_t offset, size_t n, char* dst) override { return base_->Read(offset, n, dst); }
  Status Write(uint64_t offset, std::string_view data) override {
    *written_ += static_cast<int64_t>(data.size());
    return base_->Write(offset, data);
  }
  Status Truncate(uint64_t size) override { return base_->Truncate(size); }
  Status Sync() override {
    ++*flushes_;
    return flush_ ? base_->Sync() : Status::Ok();
  }

 private:
  std::unique_ptr<RandomAccessFile> base_;
  bool flush_;
  int64_t* flushes_;
  int64_t* written_;
};

class CountingFileSystem : public FileSystem {
 public:
  explicit CountingFileSystem(bool flush) : flush_(flush) {}
  Status OpenFile(const std::string& path, bool create,
                  std::unique_ptr<RandomAccessFile>* out) override {
    std::unique_ptr<RandomAccessFile> file;
    if (Status s = DefaultFileSystem()->OpenFile(path, create, &file); !s.ok()) return s;
    *out = std::make_unique<CountingFile>(std::move(file), flush_, &flushes_, &written_);
    return Status::Ok();
  }
  int64_t flushes() const { return flushes_; }
  int64_t written() const { return written_; }

 private:
  bool flush_;
  int64_t flushes_ = 0;
  int64_t written_ = 0;
};

// The program's in-memory copies of a file's views.
using Copies = std::map<std::string, View>;

Status LoadCopies(const std::string& path, Copies* copies) {
  std::unique_ptr<Storage> storage;
  if (Status s = Storage::Open(path, &storage); !s.ok()) return s;
  copies->clear();
  for (const std::string& name : storage->ViewNames()) {
    View file_view = storage->GetView(name);
    View copy = file_view.Clone();
    copy.InsertRowsAt(0, file_view);
    (*copies)[name] = copy;
  }
  return Status::Ok();
}

Status ReplaceAndCommit(const std::string& path, const Copies& copies, CommitStats* stats,
                        FileSystem* fs) {
  std::unique_ptr<Storage> storage;
  if (Status s = Storage::Open(path, &storage, fs); !s.ok()) return s;
  for (const auto& [name, copy] : copies) {
    View file_view = storage->GetView(name);
    file_view.SetSize(0);
    file_view.InsertRowsAt(0, copy);
  }
  return storage->Commit(stats);
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

enum class Change { kTally, kTreesCell, kAppendRecord };

// Each iteration adds one to a Tally cell; kTreesCell also edits one
// data-table cell, so the large columns really change; kAppendRecord also
// appends a data-table record, as a HIT does.
void RunCommits(benchmark::State& state, Change change, bool flush = true) {
  CountingFileSystem fs(flush);
  std::string path = MakeTallyFile(static_cast<int>(state.range(0)));
  Copies copies;
  if (Status s =
          path.empty() ? Status::IOError("cannot build the file") : LoadCopies(path, &copies);
      !s.ok()) {
    return Fail(state, s);
  }
  View tally = copies["Tally"];
  View trees = copies["Trees"];
  CommitStats stats;
  // The program has saved the file before: the first save after opening
  // is not what is measured.
  if (Status s = ReplaceAndCommit(path, copies, &stats, &fs); !s.ok()) return Fail(state, s);
  int64_t written_before = fs.written(), flushes_before = fs.flushes();
  uint64_t bytes = 0, first_bytes = 0;
  int64_t k = 0;
  for (auto _ : state) {
    int row = static_cast<int>(k % kTallyRows);
    int col = kFixedTallyColumns + static_cast<int>(k % (2 * kUnits));
    tally.SetLong(row, col, tally.GetLong(row, col) + 1);
    if (change == Change::kTreesCell) {
      trees.SetString(static_cast<int>(k * 7919 % trees.GetSize()), 3, std::to_string(k));
    } else if (change == Change::kAppendRecord) {
      int r = trees.GetSize();
      trees.SetSize(r + 1);
      FillTreeRow(trees, r);
    }
    ++k;
    auto start = std::chrono::steady_clock::now();
    Status s = ReplaceAndCommit(path, copies, &stats, &fs);
    state.SetIterationTime(Seconds(start));
    if (!s.ok()) return Fail(state, s);
    bytes += stats.bytes_written;
    if (k == 1) first_bytes = stats.bytes_written;
  }
  state.counters["bytes_per_commit"] = k ? static_cast<double>(bytes) / k : 0;
  // The first append after opening a freshly packed file moves the growing
  // columns to where they have room; the rest is the steady state.
  state.counters["first_bytes"] = static_cast<double>(first_bytes);
  state.counters["later_bytes_per_commit"] =
      k > 1 ? static_cast<double>(bytes - first_bytes) / (k - 1) : 0;
  state.counters["fs_bytes_per_commit"] =
      k ? static_cast<double>(fs.written() - written_before) / k : 0;
  state.counters["file_size"] = static_cast<double>(stats.file_size);
  state.counters["flushes_per_commit"] =
      k ? static_cast<double>(fs.flushes() - flushes_before) / k : 0;
  std::filesystem::remove(path);
}

void TallyPatternCommit(benchmark::State& state) { RunCommits(state, Change::kTally); }
void DataTableCommit(benchmark::State& state) { RunCommits(state, Change::kTreesCell); }
void AppendRecordCommit(benchmark::State& state) { RunCommits(state, Change::kAppendRecord); }
void TallyPatternCommitNoFlush(benchmark::State& state) {
  RunCommits(state, Change::kTally, false);
}

// Opening a file the program does not know yet: every iteration first moves
// the file's modification time on, so nothing of an earlier open is reused.
void OpenAndLoad(benchmark::State& state) {
  std::string path = MakeTallyFile(static_cast<int>(state.range(0)));
  if (path.empty()) return Fail(state, Status::IOError("cannot build the file"));
  auto when = std::filesystem::last_write_time(path);
  for (auto _ : state) {
    when += std::chrono::seconds(1);
    std::filesystem::last_write_time(path, when);
    Copies copies;
    auto start = std::chrono::steady_clock::now();
    Status s = LoadCopies(path, &copies);
    state.SetIterationTime(Seconds(start));
    if (!s.ok()) return Fail(state, s);
  }
  state.counters["file_size"] = static_cast<double>(std::filesystem::file_size(path));
  std::filesystem::remove(path);
}

// The save targets are measured at every file size, each timing only the
// step it names (manual time).
void AtEveryFileSize(benchmark::internal::Benchmark* b) {
  b->Arg(1000)->Arg(10000)->Arg(50000)->Arg(kBigRows)->UseManualTime()->MinTime(2)->Unit(
      benchmark::kMillisecond);
}

BENCHMARK(TallyPatternCommit)->Apply(AtEveryFileSize);
BENCHMARK(AppendRecordCommit)->Apply(AtEveryFileSize);
BENCHMARK(OpenAndLoad)->Apply(AtEveryFileSize);
// Not a target of its own: shows the commit stays linear when the data
// table itself changes.
BENCHMARK(DataTableCommit)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
// Separates the engine's work from the disk's flush latency.
BENCHMARK(TallyPatternCommitNoFlush)->Apply(AtEveryFileSize);

}  // namespace
}  // namespace mk

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(mk::BenchDir());
  return 0;
}
