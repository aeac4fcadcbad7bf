// A FileSystem whose files live in memory, so tests and the fuzzer can hand
// the engine thousands of file images without touching the disk.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mk/file_system.h"

namespace mk {

class MemoryFileSystem : public FileSystem {
 public:
  MemoryFileSystem();
  ~MemoryFileSystem() override;

  // Creates or replaces the file at `path` with `contents`. A replacement is
  // another file: handles opened before keep the old one.
  void SetFile(const std::string& path, std::string_view contents);
  // The file's bytes; empty when there is no such file.
  std::string GetFile(const std::string& path) const;
  bool HasFile(const std::string& path) const;
  // Takes the name away; handles opened before keep the file. False when
  // there was no such file.
  bool RemoveFile(const std::string& path);
  // Which file `path` names: a number no other file made by this file
  // system has had, so a file removed and made again under the same name is
  // told apart. 0 when there is no such file.
  uint64_t FileId(const std::string& path) const;
  // Makes every later write or truncation of the file fail, as a read-only
  // file would; false makes it writable again.
  void SetReadOnly(const std::string& path, bool read_only);
  bool IsReadOnly(const std::string& path) const;
  // Every path that names a file, in order.
  std::vector<std::string> Paths() const;

  Status OpenFile(const std::string& path, bool create,
                  std::unique_ptr<RandomAccessFile>* out) override;

  struct Node;

 private:
  Node* Find(const std::string& path) const;
  std::shared_ptr<Node> Make(std::string_view contents);

  // Files stay alive while an opened handle refers to them.
  std::map<std::string, std::shared_ptr<Node>> files_;
  uint64_t next_id_ = 1;
};

}  // namespace mk
