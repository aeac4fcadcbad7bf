#include "tools/tally_file_reader.h"

#include <filesystem>

#include "platform/file_lock.h"

namespace woodtick {

std::unique_ptr<OpenedTallyFile> OpenTallyFileForTool(const std::string& path, std::ostream& err) {
  const std::string name = std::filesystem::path(path).filename().string();
  if (FileOpenError(path) != kFileOpenOk) {
    err << name << " is in use by another application, or does not exist.\n";
    return nullptr;
  }
  auto file = std::make_unique<OpenedTallyFile>(err);
  if (file->store.Open(path, false) != kStoreOk) {
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
