// ProcessKey per key press, including its commit when the save interval
// says so: SaveInterval 1 (every key commits) and 100, on tally files whose
// data table holds 1,000, 50,000 and 200,000 records (the largest with a
// long note in two records of three, about 40 MB, as a season's file is). Every tenth tally of the
// population is a HIT that appends a record (the record editor is a no-op).
// disk:1 commits to the real file, flushed to the disk; disk:0 commits to an
// in-memory copy, which shows the program's own share of the time apart
// from the disk's flush latency.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/tree_rows.h"
#include "mk/storage.h"
#include "mk/testing/test_support.h"
#include "model/tally_history.h"
#include "model/tally_model.h"
#include "model/testing/fake_ui.h"
#include "model/testing/model_fixture.h"
#include "platform/temp_dir.h"
#include "platform/testing/memory_env.h"

namespace woodtick {
namespace {

std::string MakeFile(const TempDir& dir, int records, int save_interval) {
  std::string path = dir.File("bench.tal");
  TallyFileSpec spec{
      .num_units = 3,
      .populations = {{.key = "A", .label = "Aspen", .meth = "S", .freq = 10, .dat_table = "Trees"},
                      {.key = "B", .label = "Birch", .meth = " "},
                      {.key = "C", .label = "Cedar", .meth = "S", .freq = 1, .dat_table = "Trees"}},
      .tables = {{.name = "Trees", .columns = {"Unit", "Num", "Label", "Height", "Dbh", "Notes"}}},
      .settings = {{"System", "SaveInterval", std::to_string(save_interval)}}};
  std::string error;
  if (!BuildTallyFile(path, spec, &error)) return "";
  std::unique_ptr<mk::Storage> storage;
  if (!mk::Storage::Open(path, &storage).ok()) return "";
  mk::View trees = storage->GetView("Trees");
  trees.InsertEmptyRowsAt(0, records);
  FillTreeRows(
      trees, 0, records, [](int row) { return "00" + std::to_string(row % 3 + 1); },
      [](int row) { return row % 2 ? "Aspen" : "Birch"; });
  if (!storage->Commit().ok()) return "";
  return path;
}

void BM_ProcessKey(benchmark::State& state) {
  TempDir dir;
  std::string path =
      MakeFile(dir, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  if (path.empty()) {
    state.SkipWithError("cannot build the tally file");
    return;
  }
  MemoryEnv memory;
  bool disk = state.range(2) != 0;
  if (!disk) memory.disk().SetFile(path, mk::ReadBytes(path));
  FakeUi ui;
  TallyModel model(ui, {disk ? SystemEnv() : &memory});
  model.SetStartupFile(path);
  if (!model.OpenTallyFile()) {
    state.SkipWithError("cannot open the tally file");
    return;
  }
  const char keys[] = {'A', 'B', 'B', 'A', 'B'};
  size_t i = 0;
  for (auto _ : state) {
    model.tallying().SetKeyBoxText(std::string(1, keys[i++ % sizeof keys]));
  }
  state.counters["records"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_ProcessKey)
    ->ArgNames({"records", "save_interval", "disk"})
    ->ArgsProduct({{1000, 50000}, {1, 100}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Heap bytes in use, large (mapped) blocks included.
size_t HeapBytes() {
  struct mallinfo2 m = mallinfo2();
  return m.uordblks + m.hblkhd;
}

size_t HeapInUse() {
  malloc_trim(0);
  return HeapBytes();
}

// SaveInterval 1 on the 200,000-record file, on disk: hit:0 presses B (a
// count only), hit:1 presses C (every tally a HIT that appends a record).
// model_bytes is the heap the program holds at its largest with the file
// open (what the engine remembers of the file included), sampled after each
// press, against the file's size.
void BM_ProcessKeyBigFile(benchmark::State& state) {
  size_t before = HeapInUse();
  TempDir dir;
  std::string path = MakeFile(dir, kBigFile, 1);
  if (path.empty()) {
    state.SkipWithError("cannot build the tally file");
    return;
  }
  size_t peak = 0;
  {
    FakeUi ui;
    TallyModel model(ui, {});
    model.SetStartupFile(path);
    if (!model.OpenTallyFile()) {
      state.SkipWithError("cannot open the tally file");
      return;
    }
    const std::string key = state.range(0) ? "C" : "B";
    for (auto _ : state) {
      model.tallying().SetKeyBoxText(key);
      state.PauseTiming();
      peak = std::max(peak, HeapBytes());
      state.ResumeTiming();
    }
  }
  double file = static_cast<double>(std::filesystem::file_size(path));
  state.counters["file_size"] = file;
  state.counters["model_bytes"] = static_cast<double>(peak - std::min(peak, before));
  state.counters["model_per_file"] = static_cast<double>(peak - std::min(peak, before)) / file;
}
BENCHMARK(BM_ProcessKeyBigFile)
    ->ArgNames({"hit"})
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(50)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// SaveInterval 1 on the 200,000-record file, on disk, pressing B (a count
// only), with the tally history holding `history` rows of earlier tallies:
// 0 is the cost of a key press as it was before the history, beside it the
// cost at a season's 200,000 tallies. history_bytes is what those rows add
// to the file.
void BM_ProcessKeyHistory(benchmark::State& state) {
  TempDir dir;
  std::string path = MakeFile(dir, kBigFile, 1);
  std::unique_ptr<mk::Storage> storage;
  if (path.empty() || !mk::Storage::Open(path, &storage).ok()) {
    state.SkipWithError("cannot build the tally file");
    return;
  }
  const double bare = static_cast<double>(std::filesystem::file_size(path));
  const int rows = static_cast<int>(state.range(0));
  mk::View history = storage->GetAs(kHistoryDescription);
  history.InsertEmptyRowsAt(0, rows);
  for (int row = 0; row < rows; ++row) {
    LocalDateTime t{
        2005, 5 + row / 100000, 1 + row / 4000 % 28, row / 200 % 24, row / 3 % 60, row % 60, 120};
    history.SetString(row, 0, IsoLocalTime(t));
    history.SetString(row, 1, kTallyEvent);
    history.SetInt(row, 2, row % 3 + 1);
    history.SetString(row, 3, row % 2 ? "A" : "B");
    history.SetInt(row, 4, row % 10 == 0);
    history.SetInt(row, 5, row % 10 == 0 ? row / 10 : -1);
  }
  if (!storage->Commit().ok()) {
    state.SkipWithError("cannot write the history");
    return;
  }
  storage.reset();
  state.counters["history_bytes"] = static_cast<double>(std::filesystem::file_size(path)) - bare;
  FakeUi ui;
  TallyModel model(ui, {});
  model.SetStartupFile(path);
  if (!model.OpenTallyFile()) {
    state.SkipWithError("cannot open the tally file");
    return;
  }
  for (auto _ : state) model.tallying().SetKeyBoxText("B");
}
BENCHMARK(BM_ProcessKeyHistory)
    ->ArgNames({"history"})
    ->Arg(0)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(50)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace woodtick

BENCHMARK_MAIN();
