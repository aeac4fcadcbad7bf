// The woodtick program: tallies field samples into a tally file.
#include <QApplication>

#include "app/tally_app.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Woodtick"));
  // One modal main screen; the program ends with it, not with its last window.
  QApplication::setQuitOnLastWindowClosed(false);
  return woodtick::TallyApp::Run(QApplication::arguments());
}
