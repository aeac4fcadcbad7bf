#include <filesystem>
#include <memory>
#include <ostream>

#include "model/csv_export.h"
#include "platform/file_lock.h"
#include "tools/model_commands.h"
#include "tools/tally_file_reader.h"

namespace woodtick {

int RunExport(const std::string& tally_file, std::ostream& out, std::ostream& err) {
  // The export logs into the tally file: it holds the program's lock from
  // before the first read to the last write.
  std::filesystem::path path = std::filesystem::absolute(tally_file);
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
    MarkLastExportNotDone(store, file->slots.message_log);
    // A failure to save that note is printed by the store's reporter.
    static_cast<void>(store.Commit());
    err << "The data could not be written to " << std::filesystem::absolute(csv).string() << ".\n";
    return 1;
  }
  if (store.Close(false) != kStoreOk) return 1;
  out << "All of the data has been exported to this file:\n"
      << std::filesystem::absolute(csv).string() << "\n";
  return 0;
}

}  // namespace woodtick
