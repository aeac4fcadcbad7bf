// The store work of one tally (ProcessKey): read a unit counter of Tally, add
// 1, write it back, append a Buffer entry (keeping the last 10), and commit
// every 10th tally; on a tally file whose data table holds 50,000 records,
// in the tally pattern (buffered views, file let go between commits).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "bench/bench_tally_file.h"
#include "store/data_store.h"

namespace woodtick {
namespace {

constexpr int kRecords = 50000;
constexpr int kCommitEvery = 10;

std::string MakeTallyFile(const TempDir& dir) { return MakeBenchTallyFile(dir, kRecords); }

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
    // Timings of commits that fail would measure nothing.
    if (commit && store.Commit() != kStoreOk) std::abort();
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
