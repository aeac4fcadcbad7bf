// Small file and dump helpers shared by the engine's robustness tests, the
// fuzzer and the benchmarks.
#pragma once

#include <string>
#include <string_view>

#include "mk/file_system.h"
#include "mk/status.h"

namespace mk {

// The whole file; empty when it cannot be read.
std::string ReadBytes(const std::string& path);
// Creates or replaces the file with exactly these bytes.
void WriteBytes(const std::string& path, std::string_view bytes);
// Bytes from hex digits; anything else (blanks, line breaks) is skipped.
std::string FromHex(std::string_view hex);
// A fresh, empty directory for one test, under the system's temp folder.
std::string MakeScratchDir(std::string_view name);

// Opens the file with a fresh Storage and renders its canonical dump, which
// reads every cell. A file on the real file system is read from its bytes,
// never from what the engine remembers of it. On failure returns "" and sets `*status`.
std::string DumpFile(const std::string& path, Status* status, FileSystem* fs = DefaultFileSystem());

}  // namespace mk
