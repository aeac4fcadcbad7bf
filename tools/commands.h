// The commands of woodtick-cli, each listed once in the table of cli.cc.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace woodtick {

struct CliCommand {
  const char* name;
  const char* arguments;  // e.g. "FILE"
  const char* summary;
  int min_args;
  int max_args;
  // Returns the exit status: 0 success, 1 failure, 2 usage error.
  int (*run)(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
};

int RunDump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunPack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunRecover(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Dispatches a command line (argv without the program name).
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace woodtick
