#include <iterator>

#include "mk/escape.h"
#include "model/tally_model.h"
#include "tools/analysis/analysis_export.h"
#include "tools/commands.h"
#include "tools/model_commands.h"

namespace woodtick {
namespace {

// Every command; add new ones here.
const CliCommand kCommands[] = {
    {"dump", "FILE", "print every view and cell of a datafile in the canonical dump format", 1, 1,
     RunDump},
    {"check", "FILE", "read every cell of a datafile and report whether it is sound", 1, 1,
     RunCheck},
    {"pack", "FILE", "rewrite a datafile freshly packed, in place, keeping its content", 1, 1,
     RunPack},
    {"recover", "DAMAGED OUT",
     "write the newest state of a damaged datafile that reads soundly to a new file", 2, 2,
     RunRecover},
    {"new", "FILE", "make a new tally file: standard views, default settings, one unit", 1, 1,
     RunNew},
    {"export", "FILE", "write FILE's data as the Utilities screen does, to <name>.csv here", 1,
     1 << 20, RunExportCommand},
    {"summary", "FILE", "print counts and HITs per population and unit with measured shares", 1, 1,
     RunSummary},
};

void PrintHelp(std::ostream& out) {
  out << "Usage: woodtick-cli COMMAND ARGUMENTS...\n\nCommands:\n";
  for (const CliCommand& c : kCommands) {
    std::string head = std::string(c.name) + " " + c.arguments;
    out << "  " << head << std::string(head.size() < 16 ? 16 - head.size() : 1, ' ') << c.summary
        << "\n";
  }
  out << "  export --format csv|sqlite --output DIR|DB FILE...\n"
         "                  read the files (never changing them) and write every view:\n"
         "                  CSV files in folder DIR, or tables of SQLite database DB\n";
  out << "\nOptions:\n  --help          show this help\n  --version       show the version\n";
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << "woodtick-cli: expected a command (dump, check, pack ...); see woodtick-cli --help\n";
    return 2;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintHelp(out);
    return 0;
  }
  if (args[0] == "--version") {
    out << "woodtick-cli " << kProgramVersion << "\n";
    return 0;
  }
  for (const CliCommand& c : kCommands) {
    if (args[0] != c.name) continue;
    std::vector<std::string> rest(args.begin() + 1, args.end());
    int n = static_cast<int>(rest.size());
    if (n < c.min_args || n > c.max_args) {
      err << "woodtick-cli: usage: woodtick-cli " << c.name << " " << c.arguments << "\n";
      return 2;
    }
    return c.run(rest, out, err);
  }
  err << "woodtick-cli: unknown command " << mk::Quoted(args[0]) << "; expected one of:";
  for (const CliCommand& c : kCommands) err << " " << c.name;
  err << "\n";
  return 2;
}

}  // namespace woodtick
