// An Env made of parts: the real machine, except for the clock or the file
// access a test sets. For tests that want one thing fixed or faulty while
// the rest stays real.
#pragma once

#include "platform/env.h"

namespace woodtick {

class PartsEnv final : public Env {
 public:
  explicit PartsEnv(const Clock* clock = nullptr, mk::FileSystem* files = nullptr)
      : clock_(clock), files_(files) {}

  void set_clock(const Clock* clock) { clock_ = clock; }
  void set_files(mk::FileSystem* files) { files_ = files; }

  mk::FileSystem* files() override { return files_ != nullptr ? files_ : real()->files(); }
  const Clock& clock() override { return clock_ != nullptr ? *clock_ : real()->clock(); }
  std::unique_ptr<FileLock> NewLock() override { return real()->NewLock(); }
  int FileOpenError(const std::string& path) override { return real()->FileOpenError(path); }
  int FileWriteError(const std::string& path) override { return real()->FileWriteError(path); }
  int CopyFileNoOverwrite(const std::string& from, const std::string& to) override {
    return real()->CopyFileNoOverwrite(from, to);
  }
  int RemoveFile(const std::string& path) override { return real()->RemoveFile(path); }

 private:
  static Env* real() { return SystemEnv(); }
  const Clock* clock_;
  mk::FileSystem* files_;
};

}  // namespace woodtick
