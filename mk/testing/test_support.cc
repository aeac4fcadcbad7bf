#include "mk/testing/test_support.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "mk/dump.h"
#include "mk/storage.h"
#include "mk/testing/memory_file_system.h"

namespace mk {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string FromHex(std::string_view hex) {
  std::string out;
  int nibbles = 0, value = 0;
  for (char c : hex) {
    int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (v < 0) continue;
    value = value * 16 + v;
    if (++nibbles == 2) {
      out.push_back(static_cast<char>(value));
      nibbles = value = 0;
    }
  }
  return out;
}

std::string MakeScratchDir(std::string_view name) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() /
                 ("woodtick-" + std::string(name) + "-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir.string();
}

std::string DumpFile(const std::string& path, Status* status, FileSystem* fs) {
  // What is on the disk, not what this program remembers of the file: a
  // copy of its bytes in memory is read afresh.
  MemoryFileSystem fresh;
  if (fs == DefaultFileSystem() && std::filesystem::is_regular_file(path) &&
      access(path.c_str(), R_OK) == 0) {
    fresh.SetFile(path, ReadBytes(path));
    fs = &fresh;
  }
  std::unique_ptr<Storage> storage;
  *status = Storage::Open(path, &storage, fs);
  if (!status->ok()) return "";
  return DumpStorage(*storage);
}

}  // namespace mk
