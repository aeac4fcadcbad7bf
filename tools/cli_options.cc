#include "tools/cli_options.h"

#include <getopt.h>

#include "mk/escape.h"

namespace woodtick {

CliParse ParseCommandArguments(const CliCommand& command, const std::vector<std::string>& args,
                               CliInput* input, std::string* problem) {
  for (const std::string& arg : args) {
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") return CliParse::kHelp;
  }
  std::vector<option> options;
  for (const CliOption& o : command.options) {
    options.push_back({o.name, o.value != nullptr ? required_argument : no_argument, nullptr, 0});
  }
  options.push_back({nullptr, 0, nullptr, 0});

  // getopt_long reorders the pointers, never the words.
  std::vector<std::string> words = {command.name};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(words.size());

  opterr = 0;  // the messages below go to the command's own stream
  optind = 0;  // 0, not 1: glibc starts afresh, forgetting the last command line
  for (;;) {
    int index = -1;
    // The leading ':' tells a missing value (':') from an unknown option ('?').
    const int c = getopt_long(argc, argv.data(), ":", options.data(), &index);
    if (c == -1) break;
    if (c == 0) {
      input->options[options[index].name] = optarg != nullptr ? optarg : "";
    } else if (c == ':') {
      *problem = "option " + mk::Quoted(argv[optind - 1]) + " needs a value";
      return CliParse::kUsageError;
    } else {
      *problem = "unknown option " + (optopt != 0 ? mk::Quoted(std::string("-") + char(optopt))
                                                  : mk::Quoted(argv[optind - 1]));
      return CliParse::kUsageError;
    }
  }
  input->operands.assign(argv.begin() + optind, argv.begin() + argc);
  const int n = argc - optind;
  if (n < command.min_operands) *problem = "too few arguments";
  if (n > command.max_operands) *problem = "too many arguments";
  return problem->empty() ? CliParse::kRun : CliParse::kUsageError;
}

}  // namespace woodtick
