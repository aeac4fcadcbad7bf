#include "app/tally_app.h"

#include "app/main_dialog.h"
#include "app/termination_signals.h"
#include "model/tally_model.h"
#include "platform/file_name_text.h"

namespace woodtick {

TallyApp::CommandLine TallyApp::ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  bool options_ended = false;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (!options_ended && argument == "--") {
      options_ended = true;
    } else if (!options_ended && argument.starts_with('-')) {
      line.problems.push_back("Woodtick has no option " + FileNameText(argument) +
                              "; it has been ignored.\nTo open a tally file whose name starts "
                              "with \"-\", put -- before the name: woodtick -- " +
                              FileNameText(argument));
    } else if (argument.empty()) {
      line.problems.push_back(
          "An empty file name was given on the command line; it names no "
          "tally file.");
    } else if (line.file.empty()) {
      line.file = argument;
    } else {
      line.problems.push_back("Woodtick opens one tally file per run: " + FileNameText(argument) +
                              " has not been opened.");
    }
  }
  return line;
}

int TallyApp::Run(const std::vector<std::string>& arguments) {
  CommandLine line = ParseCommandLine(arguments);
  MainDialog::Options options;
  options.command_line_file = line.file;
  options.command_line_problems = line.problems;
  MainDialog main_dialog(options);
  // A shutdown or a closed terminal saves the tallies held and frees the
  // file before the program ends, whatever screen is open.
  TerminationSignals on_termination([&main_dialog](int signal) {
    main_dialog.model().CloseTallyFile();
    TerminationSignals::EndBy(signal);
  });
  main_dialog.Initialise();
  main_dialog.exec();
  return 0;
}

}  // namespace woodtick
