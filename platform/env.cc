#include "platform/env.h"

#include <unistd.h>

#include <cerrno>

#include "platform/file_copy.h"

namespace woodtick {
namespace {

class SystemEnvImpl final : public Env {
 public:
  mk::FileSystem* files() override { return mk::DefaultFileSystem(); }
  const Clock& clock() override { return *SystemClock(); }
  std::unique_ptr<FileLock> NewLock() override { return std::make_unique<SystemFileLock>(); }
  int FileOpenError(const std::string& path) override { return woodtick::FileOpenError(path); }
  int FileWriteError(const std::string& path) override { return woodtick::FileWriteError(path); }
  int CopyFileNoOverwrite(const std::string& from, const std::string& to) override {
    return woodtick::CopyFileNoOverwrite(from, to);
  }
  int RemoveFile(const std::string& path) override {
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
  }
};

}  // namespace

Env* SystemEnv() {
  static SystemEnvImpl env;
  return &env;
}

}  // namespace woodtick
