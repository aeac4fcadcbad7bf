// libFuzzer target for the datafile reader. Any input must open cleanly or
// fail with a message naming the file; a file that opens must be readable
// cell by cell and, packed, must read back the same.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "mk/dump.h"
#include "mk/storage.h"
#include "mk/testing/memory_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name = "fuzz.mk";
  mk::MemoryFileSystem fs;
  fs.SetFile(name, std::string_view(reinterpret_cast<const char*>(data), size));
  std::unique_ptr<mk::Storage> storage;
  mk::Status s = mk::Storage::Open(name, &storage, &fs);
  if (!s.ok()) {
    if (s.message().find(name) == std::string::npos) __builtin_trap();
    return 0;
  }
  std::string dump = mk::DumpStorage(*storage);
  if (!storage->Pack().ok()) return 0;
  std::unique_ptr<mk::Storage> packed;
  if (!mk::Storage::Open(name, &packed, &fs).ok()) __builtin_trap();
  if (mk::DumpStorage(*packed) != dump) __builtin_trap();
  return 0;
}
