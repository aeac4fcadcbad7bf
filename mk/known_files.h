// What this program last committed to, or read from, each datafile it
// opened, so that reopening a file that nobody changed since does not read
// it whole again. A file counts as unchanged only when it is the same file
// (device and inode), with the same size and modification time, and still
// ends in the commit tail this program knows; anything else is read afresh.
#pragma once

#include <string>
#include <vector>

#include "mk/file_state.h"
#include "mk/file_system.h"
#include "mk/top_level.h"

namespace mk {

// Remembers `state` as what `file` (at `path`, opened through `fs`) holds
// now; forgets the file when its identity cannot be told.
void RememberFile(FileSystem* fs, const std::string& path, RandomAccessFile* file,
                  const FileState& state);
void ForgetFile(FileSystem* fs, const std::string& path);
// The remembered state, when `file` still holds it unchanged.
bool RecallFile(FileSystem* fs, const std::string& path, RandomAccessFile* file, FileState* out);

// The entries of the root row of `state`, their columns holding the state's
// encoded bytes (decoded when first used).
std::vector<TopLevel> TablesOf(const FileState& state);

}  // namespace mk
