// The store work of one tally (ProcessKey): read a unit counter of Tally, add
// 1, write it back, append a Buffer entry (keeping the last 10), and commit
// every 10th tally; on a tally file whose data table holds 50,000 records,
// in the tally pattern (buffered views, file let go between commits).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "mk/storage.h"
#include "platform/temp_dir.h"
#include "store/data_store.h"

namespace woodtick {
namespace {

constexpr int kRecords = 50000;
constexpr int kCommitEvery = 10;

// A copy of the sample tally file with kRecords rows in Trees.
std::string MakeTallyFile(const TempDir& dir) {
  std::string path = dir.CopyIn(std::string(WOODTICK_TESTDATA) + "/mk/sample.tal", "bench.tal");
  std::unique_ptr<mk::Storage> storage;
  if (!mk::Storage::Open(path, &storage).ok()) return "";
  mk::View trees = storage->GetView("Trees");
  int first = trees.GetSize();
  trees.InsertEmptyRowsAt(first, kRecords - first);
  for (int row = first; row < kRecords; ++row) {
    trees.SetString(row, 0, std::to_string(row % 100 + 1));
    trees.SetString(row, 1, std::to_string(row + 1));
    trees.SetString(row, 2, row % 3 == 0 ? "Fir" : "Pine");
    trees.SetString(row, 3, std::to_string(10 + row % 30) + ".5");
    trees.SetString(row, 4, std::to_string(20 + row % 40) + ".1");
    if (row % 7 == 0) trees.SetString(row, 5, "near road, north side");
  }
  if (!storage->Commit().ok()) return "";
  return path;
}

struct TallyStore {
  explicit TallyStore(const std::string& path) {
    store.Open(path, true);
    for (const char* name :
         {"Tally", "Globals", "DataDictionary", "Buffer", "MessageLog", "Trees"}) {
      store.OpenAView(name, true);
    }
    tally = store.FindView("Tally");
    buffer = store.FindView("Buffer");
    count_col = store.View(tally).FindPropIndexByName("U001Count");
    store.Close(true);
  }

  // One tally of population row 0 in unit 1.
  void ProcessKey(bool commit) {
    int32_t count = 0;
    store.GetLong(tally, 0, count_col, &count);
    store.SetInt(tally, 0, count_col, count + 1);
    mk::View entries = store.View(buffer);
    if (entries.GetSize() > 9) entries.RemoveAt(0);
    int row = store.AddRow(buffer, -1);
    store.SetInt(buffer, row, 0, 1);
    store.SetString(buffer, row, 1, "A");
    store.SetString(buffer, row, 2, "C");
    if (commit) store.Commit();
  }

  DataStore store;
  int tally = -1;
  int buffer = -1;
  int count_col = -1;
};

void BM_TallyWithoutCommit(benchmark::State& state) {
  TempDir dir;
  TallyStore tally(MakeTallyFile(dir));
  for (auto _ : state) tally.ProcessKey(false);
}
BENCHMARK(BM_TallyWithoutCommit);

void BM_TallyWithCommit(benchmark::State& state) {
  TempDir dir;
  TallyStore tally(MakeTallyFile(dir));
  for (auto _ : state) tally.ProcessKey(true);
  state.SetLabel("50,000-record data table rewritten by each commit");
}
BENCHMARK(BM_TallyWithCommit)->Unit(benchmark::kMillisecond);

// What a run of tallies costs on average with a commit every 10th.
void BM_TallyEvery10thCommits(benchmark::State& state) {
  TempDir dir;
  TallyStore tally(MakeTallyFile(dir));
  int64_t n = 0;
  for (auto _ : state) tally.ProcessKey(n++ % kCommitEvery == 0);
}
BENCHMARK(BM_TallyEvery10thCommits)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace woodtick

BENCHMARK_MAIN();
