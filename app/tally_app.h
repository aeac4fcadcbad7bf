// TallyApp: program start. Takes the tally file from the command line,
// shows the main screen modally and ends when it ends.
#pragma once

#include <QStringList>
#include <string>

namespace woodtick {

class TallyApp {
 public:
  // The first parameter that is not a switch ("-..."), as the file system
  // spells it; empty when there is none. A leading "/" starts a path here,
  // not a switch.
  static std::string CommandLineFile(const QStringList& arguments);

  // arguments as QCoreApplication::arguments() (the program name first).
  static int Run(const QStringList& arguments);
};

}  // namespace woodtick
