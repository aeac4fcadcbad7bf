#include "tools/tally_file_reader.h"

#include <filesystem>

namespace woodtick {

std::unique_ptr<OpenedTallyFile> OpenTallyFileForTool(const std::string& path, std::ostream& err) {
  const std::string name = std::filesystem::path(path).filename().string();
  auto file = std::make_unique<OpenedTallyFile>(err);
  const int cause = file->lock->Acquire(path);
  if (cause == kFileSharingViolation) {
    err << name
        << " is in use by another application!\nClose it and try again. The file has "
           "not been changed.\n";
    return nullptr;
  }
  if (cause != kFileOpenOk) {
    err << name << " cannot be opened: " << FileOpenErrorText(cause) << ".\n";
    return nullptr;
  }
  if (file->store.Open(path, false, file->lock) != kStoreOk) {
    err << name << " cannot be read as a tally file. " << file->store.LastError() << "\n";
    return nullptr;
  }
  file->slots = OpenAllViews(file->store, false);
  const std::string missing = FindMissingStructure(file->store, file->slots);
  if (!missing.empty()) {
    err << name << " is not a tally file; it lacks: " << missing << ".\n";
    return nullptr;
  }
  return file;
}

}  // namespace woodtick
