// Reads a datafile: checks its framing and every walk strictly, and builds
// the tables with their columns left encoded until first used.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "mk/field.h"
#include "mk/file_state.h"
#include "mk/file_system.h"
#include "mk/status.h"
#include "mk/top_level.h"

namespace mk {

struct LoadedFile {
  FileState state;
  std::vector<TopLevel> top;  // the entries of the root row, in structure order
};

// Reads the whole file. Failures name `path` and what is wrong.
Status LoadDatafile(RandomAccessFile* file, const std::string& path, LoadedFile* out);

// Finds the current commit tail only (for checking which state a file is in
// after a failed commit).
Status ReadTails(RandomAccessFile* file, const std::string& path, FileState* out);

}  // namespace mk
