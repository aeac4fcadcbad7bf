// Reading one command's options and operands with getopt_long, as GNU
// programs read theirs: options anywhere before "--", long names shortened
// while they stay unambiguous, values as "--name VALUE" or "--name=VALUE".
#pragma once

#include <string>
#include <vector>

#include "tools/commands.h"

namespace woodtick {

enum class CliParse { kRun, kHelp, kUsageError };

// Parses `args` (the words after the command's name) into *input. kHelp
// when -h or --help stands anywhere before "--", even where an option would
// take it as its value: asking for help never runs the command. On
// kUsageError, *problem says what was wrong. Uses getopt_long's global
// state: one command line at a time.
CliParse ParseCommandArguments(const CliCommand& command, const std::vector<std::string>& args,
                               CliInput* input, std::string* problem);

}  // namespace woodtick
