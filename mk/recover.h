// Bringing back a damaged datafile. A commit never overwrites the blocks and
// tails of the state before it until that state is superseded, and the
// tails of earlier states often outlive it in free space: the newest of
// those states that still reads soundly is what the file last held intact.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "mk/file_system.h"
#include "mk/status.h"
#include "mk/storage.h"

namespace mk {

struct RecoveredState {
  int64_t root_walk = 0;   // file offset of the root walk of the state found
  bool own_tails = false;  // tails in the file still lead to it; else it was found by its root walk
  bool latest = false;     // it is the state the file's own tails lead to
  int64_t file_size = 0;   // the damaged file's size
  int tried = 0;           // states looked at, the one found included
};

// The file's own state when it reads soundly (opens, and every cell reads);
// else the newest of the earlier states that do: those that tails in the
// file lead to, and those whose root walk outlived their tails. The state
// comes as `storage` (which can be
// read, and written elsewhere with SaveCopy, but never commits to `path`).
// Fails (NotFound) when no state reads soundly.
Status FindSoundState(const std::string& path, FileSystem* fs, RecoveredState* found,
                      std::unique_ptr<Storage>* storage);

}  // namespace mk
