// What the engine last committed to, or read from, each datafile it opened
// through one file system, so that reopening a file that nobody changed
// since does not read it whole again. Each FileSystem owns one KnownFiles:
// what was learnt through one file system never answers for another. A
// file counts as unchanged only when it is the same file (device and
// inode), with the same size and modification time, and still ends in the
// commit tail this program knows; anything else is read afresh.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "mk/file_state.h"
#include "mk/file_system.h"
#include "mk/top_level.h"

namespace mk {

class KnownFiles {
 public:
  // Remembers `state` as what `file` (at `path`) holds now; forgets the file
  // when its identity cannot be told.
  void Remember(const std::string& path, RandomAccessFile* file, const FileState& state);
  void Forget(const std::string& path);
  // The remembered state, when `file` still holds it unchanged.
  bool Recall(const std::string& path, RandomAccessFile* file, FileState* out);

 private:
  struct Known {
    FileIdentity identity;
    FileState state;
    uint64_t used = 0;
  };

  // Stores may open files from more than one thread.
  std::mutex mutex_;
  std::map<std::string, Known> files_;
  uint64_t clock_ = 0;
};

// The entries of the root row of `state`, their columns holding the state's
// encoded bytes (decoded when first used).
std::vector<TopLevel> TablesOf(const FileState& state);

}  // namespace mk
