#include <filesystem>
#include <ostream>

#include "model/tally_summary.h"
#include "tools/model_commands.h"
#include "tools/tally_file_reader.h"

namespace woodtick {

int RunSummary(const CliInput& input, std::ostream& out, std::ostream& err) {
  std::unique_ptr<OpenedTallyFile> file =
      OpenTallyFileForTool(std::filesystem::absolute(input.operands.at(0)).string(), err);
  if (!file) return 1;
  const TallySummary summary = SummarizeTally(file->store, file->slots.tally, file->slots.globals);
  out << AlignedColumns(SummaryTable(summary));
  return 0;
}

}  // namespace woodtick
