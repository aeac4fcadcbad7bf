// woodtick-screenshots: pictures of the screens for the documentation, on a
// copy of a tally file:
//     woodtick-screenshots [--populations N --suffix S [--maximized]] FILE OUTPUT_DIR
//     woodtick-screenshots --hit-editor FILE OUTPUT_DIR
// Without options: the main screen, the tally screen, the Summary and the
// About box. With --populations the copy first gets populations up to N
// (with counts), and only the tally screen is taken, as tally-screen S.png
// (no blank), and with --maximized also as a 1280 x 800 window,
// tally-maximized S.png. With --hit-editor the tally screen fills the
// screen, the first population with a data table is tallied until a HIT
// opens its record editor, and the whole screen is taken while it shows,
// as tally-hit-editor.png.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <string>

#include "app/about_dialog.h"
#include "app/main_dialog.h"
#include "app/qt_ui.h"
#include "app/summary_dialog.h"
#include "app/tally_dialog.h"
#include "editors/edit_data_dialog.h"
#include "model/text.h"
#include "store/data_store.h"

namespace {

bool Save(QWidget* screen, const QString& path) {
  screen->show();
  QApplication::processEvents();
  const bool saved = screen->grab().save(path);
  std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  return saved;
}

// Labels of the populations added for the pictures.
const char* const kSpecies[] = {
    "Quaking aspen",    "Lodgepole pine",     "Engelmann spruce", "Subalpine fir",
    "Western redcedar", "Western hemlock",    "Grand fir",        "Whitebark pine",
    "Limber pine",      "Black cottonwood",   "Paper birch",      "Rocky Mountain juniper",
    "Mountain hemlock", "Western white pine", "Pacific yew",      "Bigleaf maple"};

// Adds counted-only populations with made-up counts in unit 1 until the
// file has `total`; keys are the letters the file does not use yet.
bool AddPopulations(const std::string& path, int total) {
  woodtick::DataStore store;
  if (store.Open(path, false) != woodtick::kStoreOk) return false;
  const int slot = store.OpenAView("Tally", false);
  mk::View tally = store.View(slot);
  const int count = tally.FindPropIndexByName(woodtick::CountColumnName(1));
  const int hit = tally.FindPropIndexByName(woodtick::HitColumnName(1));
  std::string used;
  for (int row = 0; row < tally.GetSize(); ++row) used += tally.GetString(row, 0);
  char key = 'A';
  for (int i = 0; tally.GetSize() < total && i < 16; ++i) {
    while (used.find(key) != std::string::npos) ++key;
    used += key;
    const int row = tally.GetSize();
    tally.InsertEmptyRowsAt(row);
    store.SetString(slot, row, 0, std::string(1, key));
    store.SetString(slot, row, 1, kSpecies[i]);
    store.SetString(slot, row, 3, " ");
    store.SetString(slot, row, 4, "1");
    store.SetInt(slot, row, count, 3 + (row * 7) % 23);
    store.SetInt(slot, row, hit, 0);
  }
  return store.Commit() == woodtick::kStoreOk && store.Close(false) == woodtick::kStoreOk;
}

// The hot key of the first population with a data table; 0 when none.
char KeyWithDataTable(woodtick::TallyModel& model) {
  mk::View tally = model.store()->View(model.tally_slot());
  const int table = tally.FindPropIndexByName("DatTable");
  for (int row = 0; table >= 0 && row < model.num_populations(); ++row) {
    if (!tally.GetString(row, table).empty() && !tally.GetString(row, 0).empty()) {
      return static_cast<char>(
          std::toupper(static_cast<unsigned char>(tally.GetString(row, 0)[0])));
    }
  }
  return 0;
}

bool SaveHitEditor(woodtick::MainDialog& main, const QString& path) {
  const char key = KeyWithDataTable(main.model());
  QScreen* screen = QGuiApplication::primaryScreen();
  if (key < 'A' || key > 'Z' || !screen) return false;
  woodtick::TallyDialog tally(&main);
  main.ui().set_tally_dialog(&tally);
  // Maximized as a window manager would, on a screen without one.
  tally.setGeometry(screen->availableGeometry());
  tally.show();
  QApplication::processEvents();
  bool saved = false;
  QTimer poll;
  poll.setInterval(100);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* editor = tally.record_editor();
    if (!editor || !editor->isVisible()) return;
    poll.stop();
    saved = screen->grabWindow(0).save(path);
    std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    editor->findChild<QPushButton*>(QStringLiteral("ok"))->click();
  });
  poll.start();
  for (int i = 0; i < 500 && !saved; ++i) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A + (key - 'A'), Qt::NoModifier, QString(QChar(key)));
    QApplication::sendEvent(tally.focusWidget() ? tally.focusWidget() : &tally, &press);
  }
  main.ui().set_tally_dialog(nullptr);
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QStringList args = QApplication::arguments();
  int populations = 0;
  QString suffix;
  const bool maximized = args.removeAll(QStringLiteral("--maximized")) > 0;
  const bool hit_editor = args.removeAll(QStringLiteral("--hit-editor")) > 0;
  for (qsizetype i = 1; i + 1 < args.size();) {
    if (args[i] == QLatin1String("--populations")) {
      populations = args[i + 1].toInt();
    } else if (args[i] == QLatin1String("--suffix")) {
      suffix = args[i + 1];
    } else {
      ++i;
      continue;
    }
    args.remove(i, 2);
  }
  if (args.size() != 3) {
    std::fprintf(stderr,
                 "usage: woodtick-screenshots [--populations N --suffix S [--maximized] | "
                 "--hit-editor] FILE.tal OUTPUT_DIR\n");
    return 2;
  }
  // The pictures show the screens as they first open, whatever size the
  // tally screen was left at on this machine.
  QTemporaryDir settings;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  const std::string file = QFile::encodeName(args[1]).toStdString();
  if (populations > 0 && !AddPopulations(file, populations)) return 1;
  const QDir out(args[2]);
  woodtick::MainDialog::Options options;
  options.command_line_file = file;
  options.show_banner = false;
  woodtick::MainDialog main(options);
  main.Initialise();
  if (!main.model().is_open()) return 1;
  if (hit_editor)
    return SaveHitEditor(main, out.filePath(QStringLiteral("tally-hit-editor.png"))) ? 0 : 1;
  const bool all = populations == 0;
  bool ok = !all || Save(&main, out.filePath(QStringLiteral("main-screen.png")));
  {
    woodtick::TallyDialog tally(&main);
    main.ui().set_tally_dialog(&tally);
    ok = Save(&tally, out.filePath(QStringLiteral("tally-screen%1.png").arg(suffix))) && ok;
    if (maximized) {
      tally.setGeometry(QRect(tally.geometry().topLeft(), QSize(1280, 800)));
      ok = Save(&tally, out.filePath(QStringLiteral("tally-maximized%1.png").arg(suffix))) && ok;
    }
    main.ui().set_tally_dialog(nullptr);
  }
  if (all) {
    woodtick::SummaryDialog summary(main.model().utilities().Summary(), &main);
    ok = Save(&summary, out.filePath(QStringLiteral("summary-screen.png"))) && ok;
    woodtick::AboutDialog about(&main);
    ok = Save(&about, out.filePath(QStringLiteral("about-box.png"))) && ok;
  }
  return ok ? 0 : 1;
}
