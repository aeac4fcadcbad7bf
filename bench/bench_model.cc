// ProcessKey per key press, including its commit when the save interval
// says so: SaveInterval 1 (every key commits) and 100, on tally files whose
// data table holds 1,000 and 50,000 records. Every tenth tally of the
// population is a HIT that appends a record (the record editor is a no-op).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "mk/storage.h"
#include "model/tally_model.h"
#include "model/testing/fake_ui.h"
#include "model/testing/model_fixture.h"
#include "platform/temp_dir.h"

namespace woodtick {
namespace {

std::string MakeFile(const TempDir& dir, int records, int save_interval) {
  std::string path = dir.File("bench.tal");
  TallyFileSpec spec{
      .num_units = 3,
      .populations = {{.key = "A", .label = "Aspen", .meth = "S", .freq = 10,
                       .dat_table = "Trees"},
                      {.key = "B", .label = "Birch", .meth = " "}},
      .tables = {{.name = "Trees", .columns = {"Unit", "Num", "Label", "Height", "Dbh", "Notes"}}},
      .settings = {{"System", "SaveInterval", std::to_string(save_interval)}}};
  std::string error;
  if (!BuildTallyFile(path, spec, &error)) return "";
  std::unique_ptr<mk::Storage> storage;
  if (!mk::Storage::Open(path, &storage).ok()) return "";
  mk::View trees = storage->GetView("Trees");
  trees.InsertEmptyRowsAt(0, records);
  for (int row = 0; row < records; ++row) {
    trees.SetString(row, 0, "00" + std::to_string(row % 3 + 1));
    trees.SetString(row, 1, std::to_string(row + 1));
    trees.SetString(row, 2, row % 2 ? "Aspen" : "Birch");
    trees.SetString(row, 3, std::to_string(10 + row % 30) + ".5");
    trees.SetString(row, 4, std::to_string(20 + row % 40) + ".1");
    if (row % 7 == 0) trees.SetString(row, 5, "near road, north side");
  }
  if (!storage->Commit().ok()) return "";
  return path;
}

void BM_ProcessKey(benchmark::State& state) {
  TempDir dir;
  std::string path = MakeFile(dir, static_cast<int>(state.range(0)),
                              static_cast<int>(state.range(1)));
  if (path.empty()) {
    state.SkipWithError("cannot build the tally file");
    return;
  }
  FakeUi ui;
  TallyModel model(ui);
  model.SetStartupFile(path);
  if (!model.OpenTallyFile()) {
    state.SkipWithError("cannot open the tally file");
    return;
  }
  const char keys[] = {'A', 'B', 'B', 'A', 'B'};
  size_t i = 0;
  for (auto _ : state) {
    model.SetKeyBoxText(std::string(1, keys[i++ % sizeof keys]));
  }
  state.counters["records"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_ProcessKey)
    ->ArgNames({"records", "save_interval"})
    ->Args({1000, 1})
    ->Args({1000, 100})
    ->Args({50000, 1})
    ->Args({50000, 100})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
}  // namespace woodtick

BENCHMARK_MAIN();
