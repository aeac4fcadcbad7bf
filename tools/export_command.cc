#include <filesystem>
#include <memory>
#include <ostream>

#include "model/csv_export.h"
#include "model/tally_file.h"
#include "platform/file_lock.h"
#include "store/data_store.h"
#include "store/store_reporter.h"
#include "tools/model_commands.h"

namespace woodtick {
namespace {

class ConsoleReporter : public StoreReporter {
 public:
  explicit ConsoleReporter(std::ostream& err) : err_(err) {}
  void InternalError(const std::string& text) override { err_ << text << "\n"; }
  void CommitFailed(const std::string& text) override { err_ << text << "\n"; }

 private:
  std::ostream& err_;
};

}  // namespace

int RunExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const std::string& file = args.at(0);
  std::filesystem::path path = std::filesystem::absolute(file);
  std::string name = path.filename().string();
  // The export logs into the tally file: it holds the lock as the program
  // does, from before the first read to the last write.
  auto lock = std::make_shared<FileLock>();
  int cause = lock->Acquire(path.string());
  if (cause == kFileSharingViolation) {
    err << name << " is in use by another application!\nClose it and try again. The file has "
                   "not been changed.\n";
    return 1;
  }
  if (cause != kFileOpenOk) {
    err << name << " cannot be opened: " << FileOpenErrorText(cause) << ".\n";
    return 1;
  }
  ConsoleReporter reporter(err);
  DataStore store(&reporter);
  int opened = store.Open(path.string(), false, lock);
  if (opened != kStoreOk) {
    err << name << " cannot be read as a tally file. " << store.LastError() << "\n";
    return 1;
  }
  std::string missing = FindMissingStructure(store, OpenAllViews(store, false));
  if (!missing.empty()) {
    err << name << " is not a tally file; it lacks: " << missing << ".\n";
    return 1;
  }
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
  out << "All of the data has been exported to this file:\n"
      << std::filesystem::absolute(csv).string() << "\n";
  return 0;
}

}  // namespace woodtick
