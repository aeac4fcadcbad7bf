#include <filesystem>
#include <ostream>

#include "model/csv_export.h"
#include "platform/file_lock.h"
#include "tools/model_commands.h"
#include "tools/tally_file_reader.h"

namespace woodtick {

int RunExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::filesystem::path path = std::filesystem::absolute(args.at(0));
  std::unique_ptr<OpenedTallyFile> file = OpenTallyFileForTool(path.string(), err);
  if (!file) return 1;
  DataStore& store = file->store;
  std::string csv = path.stem().string() + ".csv";
  if (FileOpenError(csv) == kFileSharingViolation) {
    err << csv << " is in use by another application!\nClose it and try again.\n";
    return 1;
  }
  if (store.LogMessage("Data Exported", "A", path.string()) != kStoreOk) return 1;
  if (!WriteCsvExport(store, csv)) {
    err << "The data could not be written to " << csv << ".\n";
    return 1;
  }
  if (store.Close(false) != kStoreOk) return 1;
  out << "All of the data has been exported to this file:\n" << csv << "\n";
  return 0;
}

}  // namespace woodtick
