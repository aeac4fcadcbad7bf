// A FileSystem whose files live in memory, so tests and the fuzzer can hand
// the engine thousands of file images without touching the disk.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "mk/file_system.h"

namespace mk {

class MemoryFileSystem : public FileSystem {
 public:
  MemoryFileSystem();
  ~MemoryFileSystem() override;

  // Creates or replaces the file at `path` with `contents`.
  void SetFile(const std::string& path, std::string_view contents);
  // The file's bytes; empty when there is no such file.
  std::string GetFile(const std::string& path) const;
  bool HasFile(const std::string& path) const;

  Status OpenFile(const std::string& path, bool create,
                  std::unique_ptr<RandomAccessFile>* out) override;

 private:
  // Files stay alive while an opened handle refers to them.
  std::map<std::string, std::shared_ptr<std::string>> files_;
};

}  // namespace mk
