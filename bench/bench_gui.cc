// Key press to updated button caption and status line on the real tally
// screen (offscreen):
// - BM_KeyPressToCaption: SaveInterval 1, so every tally commits, and a
//   data table of 50,000 or 200,000 records; the 200,000-record file carries
//   a long note in two records of three, about 40 MB, as a season's does;
// - BM_KeyPressMaximized20: 20 populations on a 1920 x 1080 screen, the
//   caption fitted and the screen repainted after each key;
// - BM_ResizeStep20: one step of a live resize of that screen.
// Reports the median and 95th percentile of single key presses.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/main_dialog.h"
#include "app/qt_ui.h"
#include "app/tally_dialog.h"
#include "bench/tree_rows.h"
#include "mk/storage.h"
#include "platform/temp_dir.h"

namespace woodtick {
namespace {

// Counts the paints a widget gets, so a measured press is known to have
// reached the screen.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  int paints() const { return paints_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints_;
    return QObject::eventFilter(watched, event);
  }

 private:
  int paints_ = 0;
};

// Sets the Value of every Globals row whose Key is `key`.
void SetGlobal(mk::Storage& storage, const std::string& key, const std::string& value) {
  mk::View globals = storage.GetView("Globals");
  for (int row = 0; row < globals.GetSize(); ++row) {
    if (globals.GetString(row, 1) == key) globals.SetString(row, 2, value);
  }
}

// The sample tally with `records` rows in Trees, SaveInterval 1, sound off,
// and Fir (key B) counted only, so a key press never opens the editor.
std::string MakeTallyFile(const TempDir& dir, int records) {
  std::string path = dir.CopyIn(std::string(WOODTICK_TESTDATA) + "/mk/sample.tal", "bench.tal");
  std::unique_ptr<mk::Storage> storage;
  if (!mk::Storage::Open(path, &storage).ok()) return "";
  mk::View trees = storage->GetView("Trees");
  const int first = trees.GetSize();
  trees.InsertEmptyRowsAt(first, records - first);
  FillTreeRows(
      trees, first, records, [](int row) { return row % 2 ? "001" : "002"; },
      [](int row) { return row % 3 == 0 ? "Fir" : "Pine"; });
  SetGlobal(*storage, "SaveInterval", "1");
  SetGlobal(*storage, "Sound", "N");
  storage->GetView("Tally").SetString(1, 3, " ");
  if (!storage->Commit().ok()) return "";
  return path;
}

// The sample tally with 20 populations (keys A to T), sound off and the
// file's own SaveInterval; P4 (key D) is counted only.
std::string MakeTwentyPopulationFile(const TempDir& dir) {
  std::string path = dir.CopyIn(std::string(WOODTICK_TESTDATA) + "/mk/sample.tal", "twenty.tal");
  std::unique_ptr<mk::Storage> storage;
  if (!mk::Storage::Open(path, &storage).ok()) return "";
  mk::View tally = storage->GetView("Tally");
  for (int row = tally.GetSize(); row < 20; ++row) {
    tally.InsertEmptyRowsAt(row);
    tally.SetString(row, 0, std::string(1, static_cast<char>('A' + row)));
    tally.SetString(row, 1, "Population number " + std::to_string(row + 1));
    tally.SetString(row, 3, " ");
  }
  SetGlobal(*storage, "Sound", "N");
  if (!storage->Commit().ok()) return "";
  return path;
}

// The main screen on `file` with its tally screen shown, the remembered
// window size kept in `dir`, out of the user's settings.
class ShownTallyScreen {
 public:
  ShownTallyScreen(const TempDir& dir, const std::string& file) : main_(Options(dir, file)) {
    main_.Initialise();
    if (!main_.model().is_open()) return;
    tally_ = std::make_unique<TallyDialog>(&main_);
    main_.ui().set_tally_dialog(tally_.get());
    tally_->show();
  }
  ~ShownTallyScreen() { main_.ui().set_tally_dialog(nullptr); }
  // Null when the file did not open.
  TallyDialog* tally() { return tally_.get(); }

 private:
  static MainDialog::Options Options(const TempDir& dir, const std::string& file) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(dir.path()));
    MainDialog::Options options;
    options.command_line_file = file;
    options.show_banner = false;
    return options;
  }

  MainDialog main_;
  std::unique_ptr<TallyDialog> tally_;
};

// Presses `key` on the tally screen of `file`, sized `screen` (or as it
// opens when empty), once per iteration; `changed` is the button whose
// caption each press must change.
void MeasureKeyPresses(benchmark::State& state, const std::string& file, QSize screen, Qt::Key key,
                       int changed, const QString& status_text) {
  TempDir dir;
  ShownTallyScreen shown(dir, file);
  if (shown.tally() == nullptr) {
    state.SkipWithError("the tally file did not open");
    return;
  }
  TallyDialog& tally = *shown.tally();
  if (screen.isValid()) tally.setGeometry(QRect(QPoint(0, 0), screen));
  QCoreApplication::processEvents();
  auto* units = tally.findChild<QComboBox*>(QStringLiteral("unitList"));
  auto* status = tally.findChild<QLabel*>(QStringLiteral("statusLine"));
  QPushButton* button = tally.population_button(changed);
  const PaintCounter painted(button);

  std::vector<double> ms;
  QElapsedTimer timer;
  for (auto _ : state) {
    const QString before = button->text();
    const int paints = painted.paints();
    timer.start();
    QTest::keyClick(units, key);
    // Let the screen repaint what changed.
    QCoreApplication::processEvents();
    ms.push_back(timer.nsecsElapsed() / 1e6);
    if (button->text() == before || status->accessibleDescription() != status_text ||
        painted.paints() == paints) {
      state.SkipWithError("the caption or status did not change on the screen");
      break;
    }
  }
  if (ms.empty()) return;
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["p95_ms"] = ms[ms.size() * 95 / 100];
  state.counters["max_ms"] = ms.back();
}

void BM_KeyPressToCaption(benchmark::State& state) {
  TempDir dir;
  const int records = static_cast<int>(state.range(0));
  MeasureKeyPresses(state, MakeTallyFile(dir, records), QSize(), Qt::Key_B, 2,
                    QStringLiteral("Fir"));
  state.SetLabel("SaveInterval 1, " + std::to_string(records) + " records; target median < " +
                 (records >= kBigFile ? "8" : "16") + " ms");
}
BENCHMARK(BM_KeyPressToCaption)->Arg(50000)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_KeyPressToCaption)->Arg(kBigFile)->Unit(benchmark::kMillisecond)->Iterations(40);

void BM_KeyPressMaximized20(benchmark::State& state) {
  TempDir dir;
  MeasureKeyPresses(state, MakeTwentyPopulationFile(dir), QSize(1920, 1080), Qt::Key_D, 4,
                    QStringLiteral("Population number 4"));
  state.SetLabel("20 populations, 1920 x 1080; target median < 4 ms");
}
BENCHMARK(BM_KeyPressMaximized20)->Unit(benchmark::kMillisecond)->Iterations(200);

// One step of a live resize with 20 populations: the grid placed again and
// every caption fitted and repainted, between two sizes near full HD.
void BM_ResizeStep20(benchmark::State& state) {
  TempDir dir;
  ShownTallyScreen shown(dir, MakeTwentyPopulationFile(dir));
  if (shown.tally() == nullptr) {
    state.SkipWithError("the tally file did not open");
    return;
  }
  TallyDialog& tally = *shown.tally();
  QCoreApplication::processEvents();
  bool wide = false;
  for (auto _ : state) {
    wide = !wide;
    tally.resize(wide ? QSize(1920, 1080) : QSize(1900, 1060));
    QCoreApplication::processEvents();
  }
  state.SetLabel("20 populations, 1920 x 1080 and 1900 x 1060 in turn");
}
BENCHMARK(BM_ResizeStep20)->Unit(benchmark::kMillisecond)->Iterations(50);

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
