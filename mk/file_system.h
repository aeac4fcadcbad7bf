// The file operations the engine uses, behind an interface so tests can
// inject faults (stop after the n-th write, tear a write, fail a flush).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "mk/status.h"

namespace mk {

// Which file an open handle refers to and how it stood when asked: equal
// identities mean the same file, unchanged unless rewritten within the
// clock's resolution to the same size.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t mtime_ns = 0;
  uint64_t size = 0;
  bool operator==(const FileIdentity&) const = default;
};

class RandomAccessFile {
 public:
  virtual ~RandomAccessFile() = default;
  // False when the file system cannot tell (the engine then reads afresh).
  virtual bool Identify(FileIdentity* /*out*/) { return false; }
  virtual Status Size(uint64_t* size) = 0;
  virtual Status Read(uint64_t offset, size_t n, char* dst) = 0;
  virtual Status Write(uint64_t offset, std::string_view data) = 0;
  virtual Status Truncate(uint64_t size) = 0;
  // Returns only when what was written has reached stable storage.
  virtual Status Sync() = 0;
};

class KnownFiles;

class FileSystem {
 public:
  FileSystem();
  virtual ~FileSystem();
  // Opens for reading and writing; creates a missing file when `create`.
  virtual Status OpenFile(const std::string& path, bool create,
                          std::unique_ptr<RandomAccessFile>* out) = 0;

  // What the engine knows of the files it opened through this file system
  // (known_files.h); it lives and dies with the file system.
  KnownFiles& known_files() { return *known_files_; }

 private:
  std::unique_ptr<KnownFiles> known_files_;
};

// The real POSIX file system.
FileSystem* DefaultFileSystem();
// The real file system, read-only: files open for reading only, a missing
// file is never created, and every write, truncation or flush fails. For
// readers that must leave a file exactly as it is (even one they may not
// write).
FileSystem* ReadOnlyFileSystem();

}  // namespace mk
