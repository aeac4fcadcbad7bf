#include <sstream>

#include "mk/escape.h"
#include "model/tally_model.h"
#include "tools/analysis/analysis_export.h"
#include "tools/cli_options.h"
#include "tools/commands.h"
#include "tools/error_lines.h"
#include "tools/model_commands.h"

namespace woodtick {
namespace {

constexpr char kProgram[] = "woodtick-cli";

int RunHelp(const CliInput& input, std::ostream& out, std::ostream& err);

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// `text` after `head`, which is padded to `width`; on a line of its own
// when the head is wider.
void PrintColumns(std::ostream& out, const std::string& head, const std::string& text,
                  size_t width) {
  out << "  " << head;
  if (head.size() >= width) out << "\n  ";
  out << std::string(width - (head.size() >= width ? 0 : head.size()), ' ') << text << "\n";
}

void PrintHelp(std::ostream& out) {
  out << "Usage: " << kProgram << " COMMAND [OPTION]... [ARGUMENT]...\n"
      << "       " << kProgram << " --help | --version\n\nCommands:\n";
  for (const CliCommand& c : CliCommands()) {
    std::vector<std::string> forms = Lines(c.usage);
    for (size_t i = 0; i + 1 < forms.size(); ++i) out << "  " << c.name << " " << forms[i] << "\n";
    PrintColumns(out, std::string(c.name) + " " + forms.back(), c.summary, 18);
  }
  out << "\nOptions:\n";
  PrintColumns(out, "-h, --help", "show this help (after a command: that command's)", 18);
  PrintColumns(out, "--version", "show the version", 18);
}

void PrintCommandHelp(const CliCommand& c, std::ostream& out) {
  const char* lead = "Usage: ";
  for (const std::string& form : Lines(c.usage)) {
    out << lead << kProgram << " " << c.name << " " << form << "\n";
    lead = "   or: ";
  }
  out << "\n" << c.description << "\n\nOptions:\n";
  for (const CliOption& o : c.options) {
    std::string head =
        std::string("--") + o.name + (o.value != nullptr ? std::string("=") + o.value : "");
    PrintColumns(out, head, o.help, 22);
  }
  PrintColumns(out, "-h, --help", "show this help", 22);
}

void PrintUsage(const CliCommand& c, std::ostream& err) {
  for (const std::string& form : Lines(c.usage)) {
    err << kProgram << ": usage: " << kProgram << " " << c.name << " " << form << "\n";
  }
  err << kProgram << ": see '" << kProgram << " help " << c.name << "'\n";
}

void PrintUsageError(const CliCommand& c, const std::string& problem, std::ostream& err) {
  err << kProgram << ": " << c.name << ": " << problem << "\n";
  PrintUsage(c, err);
}

const CliCommand* FindCommand(const std::string& name) {
  for (const CliCommand& c : CliCommands()) {
    if (name == c.name) return &c;
  }
  return nullptr;
}

void PrintUnknownCommand(const std::string& name, std::ostream& err) {
  err << kProgram << ": unknown command " << mk::Quoted(name) << "; expected one of:";
  for (const CliCommand& c : CliCommands()) err << " " << c.name;
  err << "\n";
}

int RunHelp(const CliInput& input, std::ostream& out, std::ostream& err) {
  if (input.operands.empty()) {
    PrintHelp(out);
    return kCliOk;
  }
  const CliCommand* command = FindCommand(input.operands[0]);
  if (command == nullptr) {
    PrintUnknownCommand(input.operands[0], err);
    return kCliUsageError;
  }
  PrintCommandHelp(*command, out);
  return kCliOk;
}

int RunCommand(const CliCommand& command, const std::vector<std::string>& args, std::ostream& out,
               std::ostream& err) {
  CliInput input;
  std::string problem;
  switch (ParseCommandArguments(command, args, &input, &problem)) {
    case CliParse::kHelp:
      PrintCommandHelp(command, out);
      return kCliOk;
    case CliParse::kUsageError:
      PrintUsageError(command, problem, err);
      return kCliUsageError;
    case CliParse::kRun:
      break;
  }
  const int status = command.run(input, out, err);
  if (status == kCliUsageError) PrintUsage(command, err);
  return status;
}

}  // namespace

// Every command; a new one is one more entry here (its run function beside
// the others, declared in commands.h or model_commands.h).
const std::vector<CliCommand>& CliCommands() {
  static const std::vector<CliCommand> commands = {
      {"dump",
       "FILE",
       "print every view and cell of a datafile",
       "Prints every view, row and cell of the datafile FILE, nested views included, in a\n"
       "canonical text form: two files of the same content print the same. Reads only.",
       {},
       1,
       1,
       RunDump},
      {"check",
       "FILE",
       "read every cell of a datafile; tell whether it is sound",
       "Reads every cell of the datafile FILE and reports whether it is sound, with the\n"
       "number of views and rows; exits with 1 when it is not. Reads only.",
       {},
       1,
       1,
       RunCheck},
      {"pack",
       "FILE",
       "rewrite a datafile freshly packed, in place",
       "Rewrites the datafile FILE freshly packed, in place, keeping its content: the\n"
       "room of earlier states is given back. A file a running Woodtick holds is refused\n"
       "and left as it is.",
       {},
       1,
       1,
       RunPack},
      {"recover",
       "DAMAGED OUT",
       "write a damaged file's newest sound state to a new file",
       "Finds the newest state in the damaged datafile DAMAGED that reads soundly (the\n"
       "file's own, or an earlier one whose tails or root walk are still in it) and\n"
       "writes it, freshly packed, to the new file OUT; an existing OUT is refused.\n"
       "DAMAGED is only read. Says which state it found and what that state holds.",
       {},
       2,
       2,
       RunRecover},
      {"new",
       "FILE",
       "make a new tally file with one unit and no populations",
       "Makes the tally file FILE with the standard views, default settings, one unit\n"
       "and no populations (add them in Woodtick's Setup). An existing file is never\n"
       "overwritten.",
       {},
       1,
       1,
       RunNew},
      {"export",
       "FILE\n--format csv|sqlite --output DIR|DB FILE...",
       "the Utilities export, or every view for analysis tools",
       "Without options, writes the data of the tally file FILE as the Utilities screen\n"
       "does, to <name>.csv in the current folder, and notes the export in the file's\n"
       "event log.\n"
       "\n"
       "With --format and --output, reads each FILE without changing it and writes every\n"
       "view, a tally file's populations, counts and tallies also in long form\n"
       "(populations, tally_counts, tallies): CSV files <view>.csv in the folder DIR/<name>,\n"
       "replaced as a whole, or tables of the SQLite database DB, where every file is\n"
       "known by its path and content. A file already there as it is, or the same content\n"
       "under another path, is told and not stored again; a changed one is refused unless\n"
       "--replace. Files that fail are told and skipped; the others are exported.",
       {{"format", "csv|sqlite", "CSV files or one SQLite database"},
        {"output", "DIR|DB", "the folder of the CSV files, or the database"},
        {"replace", nullptr, "replace the rows of a file whose content changed since"}},
       0,
       1 << 20,
       RunExportCommand},
      {"summary",
       "[--format text|tsv|json] FILE...",
       "print counts and HITs per population and unit",
       "Prints the Summary screen's table of each tally file FILE: counts and HITs per\n"
       "population and unit, the totals, and the measured and aimed shares. Reads only.\n"
       "--format tsv or json prints one row per file, population and unit, then the\n"
       "totals per population, per unit, per file and of all files (unit or key empty).",
       {{"format", "text|tsv|json", "the table for the eye (default), or for programs"}},
       1,
       1 << 20,
       RunSummary},
      {"import-populations",
       "FILE LIST",
       "add the populations of a species list (CSV) to a tally file",
       "Appends the populations of the CSV file LIST (UTF-8, a header naming Key and\n"
       "Label and any of Desc, Meth, Freq and DatTable) to the tally file FILE, with\n"
       "zero counts in every unit, and notes the import in the file's event log. All\n"
       "or nothing: a list with a bad row leaves FILE as it was, and the first ten bad\n"
       "rows are told.",
       {},
       2,
       2,
       RunImportPopulations},
      {"help",
       "[COMMAND]",
       "show this help, or one command's usage and options",
       "Without COMMAND, lists every command; with it, shows that command's usage and\n"
       "options, as COMMAND --help does.",
       {},
       0,
       1,
       RunHelp},
  };
  return commands;
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err_target) {
  PrefixedLines lines(err_target, std::string(kProgram) + ": ");
  std::ostream err(&lines);
  if (args.empty()) {
    err << "expected a command (dump, check, pack ...); see " << kProgram << " --help\n";
    return kCliUsageError;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    PrintHelp(out);
    return kCliOk;
  }
  if (args[0] == "--version") {
    out << kProgram << " " << kProgramVersion << "\n";
    return kCliOk;
  }
  if (args[0].size() > 1 && args[0][0] == '-') {
    err << "unknown option " << mk::Quoted(args[0]) << "; see " << kProgram << " --help\n";
    return kCliUsageError;
  }
  const CliCommand* command = FindCommand(args[0]);
  if (command == nullptr) {
    PrintUnknownCommand(args[0], err);
    return kCliUsageError;
  }
  return RunCommand(*command, std::vector<std::string>(args.begin() + 1, args.end()), out, err);
}

}  // namespace woodtick
