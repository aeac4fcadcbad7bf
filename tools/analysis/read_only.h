// Opening a datafile so that nothing can write it: the analysis exports read
// tally files that are field data and must come out of an export unchanged.
#pragma once

#include <memory>
#include <string>

#include "mk/storage.h"
#include "platform/file_lock.h"

namespace woodtick {

// Takes the file's lock (so the program cannot be committing to it while it
// is read) and reads it through the engine's read-only file system. Only
// regular files are opened. On failure returns null and sets *message to a
// sentence naming the file.
std::unique_ptr<mk::Storage> OpenForReading(const std::string& path, FileLock* lock,
                                            std::string* message);

}  // namespace woodtick
