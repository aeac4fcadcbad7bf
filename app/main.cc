// The woodtick program: tallies field samples into a tally file.
#include <QApplication>
#include <string>
#include <vector>

#include "app/tally_app.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Woodtick"));
  // One modal main screen; the program ends with it, not with its last window.
  QApplication::setQuitOnLastWindowClosed(false);
  // argv itself, not the decoded arguments(): a file name in any encoding
  // keeps its bytes. QApplication has taken out the options it handles.
  return woodtick::TallyApp::Run(std::vector<std::string>(argv, argv + argc));
}
