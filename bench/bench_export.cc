// The analysis exports of a tally file whose data table holds 200,000
// records: the whole woodtick-cli command, reading the file included.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>

#include "bench/bench_tally_file.h"
#include "tools/commands.h"

namespace woodtick {
namespace {

constexpr int kRecords = 200000;

void Export(benchmark::State& state, const char* format) {
  TempDir dir;
  std::string path = MakeBenchTallyFile(dir, kRecords);
  std::string output = dir.File("out");
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove_all(output);
    state.ResumeTiming();
    std::ostringstream out, err;
    if (RunCli({"export", "--format", format, "--output", output, path}, out, err) != 0) {
      state.SkipWithError(err.str().c_str());
      return;
    }
  }
  state.SetLabel("200,000 data records");
}

void BM_SqliteExport(benchmark::State& state) { Export(state, "sqlite"); }
BENCHMARK(BM_SqliteExport)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CsvExport(benchmark::State& state) { Export(state, "csv"); }
BENCHMARK(BM_CsvExport)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace woodtick

BENCHMARK_MAIN();
