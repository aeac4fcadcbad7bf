// A fresh directory under the system's temporary folder, removed with
// everything in it when the object goes. Used by tests and benchmarks that
// need real files.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace woodtick {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "woodtick-XXXXXX").string();
    if (char* made = ::mkdtemp(pattern.data())) path_ = made;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // The path of `name` inside the directory.
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Copies `source` in under `name` and returns the copy's path.
  std::string CopyIn(const std::string& source, const std::string& name) const {
    std::string target = File(name);
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(target, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add);
    return target;
  }

 private:
  std::string path_;
};

}  // namespace woodtick
