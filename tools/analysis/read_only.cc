#include "tools/analysis/read_only.h"

#include <cstring>
#include <filesystem>

namespace woodtick {

std::unique_ptr<mk::Storage> OpenForReading(const std::string& path, FileLock* lock,
                                            std::string* message) {
  // Opening a FIFO or device to lock it could wait for ever.
  std::error_code error;
  auto type = std::filesystem::status(path, error).type();
  if (type == std::filesystem::file_type::not_found) {
    *message = path + ": no such file.";
    return nullptr;
  }
  if (type != std::filesystem::file_type::regular) {
    *message = path + ": not a regular file.";
    return nullptr;
  }
  int cause = lock->Acquire(path);
  if (cause == kFileNotFound) {
    *message = path + ": no such file.";
    return nullptr;
  }
  if (cause == kFileSharingViolation) {
    *message = path + " is in use by another application; close it there and try again.";
    return nullptr;
  }
  if (cause != kFileOpenOk) {
    *message = path + ": " + std::strerror(cause) + ".";
    return nullptr;
  }
  std::unique_ptr<mk::Storage> storage;
  mk::Status s = mk::Storage::Open(path, &storage, mk::ReadOnlyFileSystem());
  if (!s.ok()) {
    *message = s.message();
    return nullptr;
  }
  return storage;
}

}  // namespace woodtick
