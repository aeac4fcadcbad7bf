// dump, check and pack: the commands that work on a datafile directly.
#include <filesystem>
#include <memory>

#include "mk/dump.h"
#include "mk/storage.h"
#include "platform/file_lock.h"
#include "tools/commands.h"

namespace woodtick {
namespace {

// Opens an existing regular file (the engine would create a missing one).
// With `lock`, the file is locked first, as the program locks it, and a
// file another program holds is refused untouched; without, a held file is
// only read.
std::unique_ptr<mk::Storage> OpenExisting(const std::string& path, std::ostream& err,
                                          FileLock* lock = nullptr) {
  int cause = lock != nullptr ? lock->Acquire(path) : FileOpenError(path);
  if (cause == kFileSharingViolation && lock != nullptr) {
    err << "woodtick-cli: " << path
        << " is in use by another application (a Woodtick holds it open); it has not been "
           "changed. Close it there and try again.\n";
    return nullptr;
  }
  if (cause != kFileOpenOk && cause != kFileSharingViolation) {
    err << "woodtick-cli: " << path << ": " << FileOpenErrorText(cause) << "\n";
    return nullptr;
  }
  std::unique_ptr<mk::Storage> storage;
  mk::Status s = mk::Storage::Open(path, &storage);
  if (!s.ok()) {
    err << "woodtick-cli: " << s.message() << "\n";
    return nullptr;
  }
  return storage;
}

}  // namespace

int RunDump(const CliInput& input, std::ostream& out, std::ostream& err) {
  const std::string& path = input.operands.at(0);
  auto storage = OpenExisting(path, err);
  if (!storage) return 1;
  out << mk::DumpStorage(*storage);
  return 0;
}

int RunCheck(const CliInput& input, std::ostream& out, std::ostream& err) {
  const std::string& path = input.operands.at(0);
  auto storage = OpenExisting(path, err);
  if (!storage) return 1;
  // Rendering the dump reads every cell of every view, nested ones included.
  std::string dump = mk::DumpStorage(*storage);
  long rows = 0;
  std::vector<std::string> names = storage->ViewNames();
  for (const std::string& name : names) rows += storage->GetView(name).GetSize();
  // Top-level properties that are not views (other Metakit software's).
  size_t values = storage->Properties().size() - names.size();
  out << path << ": sound, " << names.size() << (names.size() == 1 ? " view, " : " views, ") << rows
      << (rows == 1 ? " row" : " rows");
  if (values > 0) out << ", " << values << (values == 1 ? " value" : " values");
  out << "\n";
  return 0;
}

int RunPack(const CliInput& input, std::ostream& out, std::ostream& err) {
  const std::string& path = input.operands.at(0);
  SystemFileLock lock;  // held until the packed file is written
  auto storage = OpenExisting(path, err, &lock);
  if (!storage) return 1;
  mk::CommitStats stats;
  mk::Status s = storage->Pack(&stats);
  if (!s.ok()) {
    err << "woodtick-cli: " << s.message() << "\n";
    return 1;
  }
  out << path << ": packed, " << stats.file_size << " bytes\n";
  return 0;
}

}  // namespace woodtick
