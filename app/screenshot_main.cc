// woodtick-screenshots: pictures of the main, tally and About screens for the
// documentation, on a copy of a tally file:
//     woodtick-screenshots FILE.tal OUTPUT_DIR
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "app/about_dialog.h"
#include "app/main_dialog.h"
#include "app/qt_ui.h"
#include "app/tally_dialog.h"

namespace {

bool Save(QWidget* screen, const QString& path) {
  screen->show();
  QApplication::processEvents();
  const bool saved = screen->grab().save(path);
  std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: woodtick-screenshots FILE.tal OUTPUT_DIR\n");
    return 2;
  }
  const QDir out(args[2]);
  woodtick::MainDialog::Options options;
  options.command_line_file = QFile::encodeName(args[1]).toStdString();
  options.show_banner = false;
  woodtick::MainDialog main(options);
  main.Initialise();
  if (!main.model().is_open()) return 1;
  bool ok = Save(&main, out.filePath(QStringLiteral("main-screen.png")));
  woodtick::TallyDialog tally(&main);
  main.ui().set_tally_dialog(&tally);
  ok = Save(&tally, out.filePath(QStringLiteral("tally-screen.png"))) && ok;
  main.ui().set_tally_dialog(nullptr);
  woodtick::AboutDialog about(&main);
  ok = Save(&about, out.filePath(QStringLiteral("about-box.png"))) && ok;
  return ok ? 0 : 1;
}
