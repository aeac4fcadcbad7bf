// The woodtick program: tallies field samples into a tally file.
#include <QApplication>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/tally_app.h"
#include "model/tally_model.h"

namespace {

// --help and --version answer on the terminal, without a display.
bool AnswerInformationSwitch(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0) break;  // the rest are file names
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("woodtick %s\n", woodtick::kProgramVersion);
      return true;
    }
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::printf(
          "Usage: woodtick [--] [FILE.tal]\n"
          "Tally field samples into a tally file: open FILE.tal, or choose one on the main\n"
          "screen. See woodtick(1); woodtick-cli makes, checks and exports tally files.\n\n"
          "Options:\n"
          "  --help      show this help\n"
          "  --version   show the version\n");
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (AnswerInformationSwitch(argc, argv)) return 0;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Woodtick"));
  // One modal main screen; the program ends with it, not with its last window.
  QApplication::setQuitOnLastWindowClosed(false);
  // argv itself, not the decoded arguments(): a file name in any encoding
  // keeps its bytes. QApplication has taken out the options it handles.
  return woodtick::TallyApp::Run(std::vector<std::string>(argv, argv + argc));
}
