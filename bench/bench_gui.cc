// Key press to updated button caption and status line on the real tally
// screen (offscreen), with SaveInterval 1, so every tally commits, and a
// data table of 50,000 or 200,000 records that each commit writes back
// whole. The 200,000-record file carries a long note in two records of
// three, about 40 MB, as a season's tally file does.
// Reports the median and 95th percentile of single key presses.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "bench/letters.h"
#include "app/main_dialog.h"
#include "app/qt_ui.h"
#include "app/tally_dialog.h"
#include "mk/storage.h"
#include "platform/temp_dir.h"

namespace woodtick {
namespace {

constexpr int kBigFile = 200000;

// The sample tally with `records` rows in Trees, SaveInterval 1, sound off,
// and Fir (key B) counted only, so a key press never opens the editor.
std::string MakeTallyFile(const TempDir& dir, int records) {
  std::string path = dir.CopyIn(std::string(WOODTICK_TESTDATA) + "/mk/sample.tal", "bench.tal");
  std::unique_ptr<mk::Storage> storage;
  if (!mk::Storage::Open(path, &storage).ok()) return "";
  mk::View trees = storage->GetView("Trees");
  const int first = trees.GetSize();
  trees.InsertEmptyRowsAt(first, records - first);
  for (int row = first; row < records; ++row) {
    trees.SetString(row, 0, row % 2 ? "001" : "002");
    trees.SetString(row, 1, std::to_string(row + 1));
    trees.SetString(row, 2, row % 3 == 0 ? "Fir" : "Pine");
    trees.SetString(row, 3, std::to_string(10 + row % 30) + ".5");
    trees.SetString(row, 4, std::to_string(20 + row % 40) + ".1");
    if (records >= kBigFile && row % 3 != 0) {
      trees.SetString(row, 5, Letters(150 + row % 201, row));
    } else if (row % 7 == 0) {
      trees.SetString(row, 5, "near road, north side");
    }
  }
  mk::View globals = storage->GetView("Globals");
  for (int row = 0; row < globals.GetSize(); ++row) {
    const std::string key(globals.GetString(row, 1));
    if (key == "SaveInterval") globals.SetString(row, 2, "1");
    if (key == "Sound") globals.SetString(row, 2, "N");
  }
  storage->GetView("Tally").SetString(1, 3, " ");
  if (!storage->Commit().ok()) return "";
  return path;
}

void BM_KeyPressToCaption(benchmark::State& state) {
  TempDir dir;
  MainDialog::Options options;
  const int records = static_cast<int>(state.range(0));
  options.command_line_file = MakeTallyFile(dir, records);
  options.show_banner = false;
  MainDialog main(options);
  main.Initialise();
  if (!main.model().is_open()) {
    state.SkipWithError("the tally file did not open");
    return;
  }
  TallyDialog tally(&main);
  main.ui().set_tally_dialog(&tally);
  tally.show();
  QCoreApplication::processEvents();
  auto* units = tally.findChild<QComboBox*>(QStringLiteral("unitList"));
  auto* status = tally.findChild<QLabel*>(QStringLiteral("statusLine"));
  QPushButton* fir = tally.population_button(2);

  std::vector<double> ms;
  QElapsedTimer timer;
  for (auto _ : state) {
    const QString before = fir->text();
    timer.start();
    QTest::keyClick(units, Qt::Key_B);
    // Let the screen repaint what changed.
    QCoreApplication::processEvents();
    ms.push_back(timer.nsecsElapsed() / 1e6);
    if (fir->text() == before || status->text() != QStringLiteral("Fir")) {
      state.SkipWithError("the caption or status did not change");
      break;
    }
  }
  main.ui().set_tally_dialog(nullptr);
  if (ms.empty()) return;
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["p95_ms"] = ms[ms.size() * 95 / 100];
  state.counters["max_ms"] = ms.back();
  state.SetLabel("SaveInterval 1, " + std::to_string(records) + " records; target median < " +
                 (records >= kBigFile ? "8" : "16") + " ms");
}
BENCHMARK(BM_KeyPressToCaption)->Arg(50000)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_KeyPressToCaption)->Arg(kBigFile)->Unit(benchmark::kMillisecond)->Iterations(40);

}  // namespace
}  // namespace woodtick

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
