#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "model/population_import.h"
#include "tools/model_commands.h"
#include "tools/tally_file_reader.h"

namespace woodtick {

int RunImportPopulations(const CliInput& input, std::ostream& out, std::ostream& err) {
  const std::string list_path = input.operands.at(1);
  std::ifstream list(list_path, std::ios::binary);
  std::ostringstream csv;
  if (!list || !(csv << list.rdbuf())) {
    err << "The list " << list_path << " cannot be read.\n";
    return kCliFailed;
  }
  // The lock is held from before the first read to the last write.
  std::unique_ptr<OpenedTallyFile> file =
      OpenTallyFileForTool(std::filesystem::absolute(input.operands.at(0)).string(), err);
  if (!file) return kCliFailed;
  const PopulationImport plan = PlanPopulationImport(file->store, file->slots.tally, csv.str());
  if (!plan.refusals.empty()) {
    err << "The list cannot be imported; the tally file is unchanged.\n";
    for (const std::string& line : plan.refusals) err << line << "\n";
    return kCliFailed;
  }
  if (ApplyPopulationImport(file->store, file->slots.tally, plan,
                            std::filesystem::path(list_path).filename().string()) != kStoreOk ||
      file->store.Close(false) != kStoreOk) {
    return kCliFailed;
  }
  out << plan.populations.size() << " populations imported.\n";
  return kCliOk;
}

}  // namespace woodtick
