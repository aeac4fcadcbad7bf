// TallyApp: program start. Takes the tally file from the command line,
// shows the main screen modally and ends when it ends.
#pragma once

#include <string>
#include <vector>

namespace woodtick {

class TallyApp {
 public:
  struct CommandLine {
    std::string file;  // as the file system spells it; empty when none was named
    // What the user is told after the banner: unknown options, names not used.
    std::vector<std::string> problems;
  };

  // Arguments as the file system spells them, the program name first. The
  // first parameter that is not an option names the file; an option starts
  // with "-" ("/" starts a path here), and "--" ends the options so a name
  // may start with "-". Other parameters are told, not silently dropped.
  static CommandLine ParseCommandLine(const std::vector<std::string>& arguments);
  static std::string CommandLineFile(const std::vector<std::string>& arguments) {
    return ParseCommandLine(arguments).file;
  }

  // `arguments` as main's argv after the toolkit took its own options.
  static int Run(const std::vector<std::string>& arguments);
};

}  // namespace woodtick
