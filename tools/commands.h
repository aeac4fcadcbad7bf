// The commands of woodtick-cli, each one entry of the table in cli.cc.
#pragma once

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace woodtick {

// Exit statuses of every command.
constexpr int kCliOk = 0;
constexpr int kCliFailed = 1;
// A usage error: the command wrote what was wrong, the caller adds its usage.
constexpr int kCliUsageError = 2;

// An option a command takes, as --name or --name=value; every command also
// takes -h and --help.
struct CliOption {
  const char* name;   // without the dashes: "format"
  const char* value;  // the placeholder of its value ("csv|sqlite"); null for a flag
  const char* help;   // one line for the command's help
};

// A command line as parsed for one command.
struct CliInput {
  std::vector<std::string> operands;           // the arguments that are not options
  std::map<std::string, std::string> options;  // option name -> value ("" for a flag)

  bool Has(const std::string& name) const { return options.count(name) > 0; }
};

struct CliCommand {
  const char* name;
  // What follows the name in a usage line; one line per form ("FILE" or
  // "FILE\n--format csv|sqlite --output DIR|DB FILE...").
  const char* usage;
  const char* summary;      // one line in the list of commands
  const char* description;  // the rest of the command's help, whole sentences
  std::vector<CliOption> options;
  int min_operands;
  int max_operands;
  // Returns kCliOk, kCliFailed or kCliUsageError.
  int (*run)(const CliInput& input, std::ostream& out, std::ostream& err);
};

// The table of every command, in the order the help lists them.
const std::vector<CliCommand>& CliCommands();

int RunDump(const CliInput& input, std::ostream& out, std::ostream& err);
int RunCheck(const CliInput& input, std::ostream& out, std::ostream& err);
int RunPack(const CliInput& input, std::ostream& out, std::ostream& err);
int RunRecover(const CliInput& input, std::ostream& out, std::ostream& err);

// Dispatches a command line (argv without the program name). Every line it
// writes to `err` starts with "woodtick-cli: ".
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace woodtick
