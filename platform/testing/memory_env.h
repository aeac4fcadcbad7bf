// MemoryEnv: a whole machine in memory for tests. Files live in a
// MemoryFileSystem, the engine reaches them through a
// FaultInjectionFileSystem (so a test can fill the disk or fail writes),
// locks are kept in this Env, and the clock stands where the test sets it.
//
// Locks of one MemoryEnv see each other as other holders, as flock does
// across programs: a second lock on a held file is refused. A lock holds
// the file, not the name: after the file is removed or made again under the
// same name, Check tells kMissing or kOtherFile.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>

#include "mk/testing/fault_injection_file_system.h"
#include "mk/testing/memory_file_system.h"
#include "platform/clock.h"
#include "platform/env.h"

namespace woodtick {

class MemoryEnv final : public Env {
 public:
  MemoryEnv();
  ~MemoryEnv() override;
  MemoryEnv(const MemoryEnv&) = delete;
  MemoryEnv& operator=(const MemoryEnv&) = delete;

  mk::FileSystem* files() override { return &faults_; }
  const Clock& clock() override { return clock_; }
  // The locks must not outlive this Env.
  std::unique_ptr<FileLock> NewLock() override;
  int FileOpenError(const std::string& path) override;
  int FileWriteError(const std::string& path) override;
  // Reads through the files and writes through faults(), so a full disk or
  // a failing write stops it; a failed copy leaves no file at `to`.
  int CopyFileNoOverwrite(const std::string& from, const std::string& to) override;
  int RemoveFile(const std::string& path) override;

  // The files themselves, past every fault: for setting up a test and for
  // reading back what reached the "disk".
  mk::MemoryFileSystem& disk() { return disk_; }
  // The faults between the engine and the files: a full disk (LimitRoom),
  // failing writes and flushes (StopAfter), files that cannot be opened.
  mk::FaultInjectionFileSystem& faults() { return faults_; }
  FixedClock& fixed_clock() { return clock_; }

  // A file that can be read but not written: FileWriteError tells EACCES and
  // every write to it fails.
  void SetReadOnly(const std::string& path, bool read_only = true) {
    disk_.SetReadOnly(path, read_only);
  }
  // Makes every later CopyFileNoOverwrite fail with `error` (0: copies work
  // again), leaving no file at its target.
  void FailCopies(int error) { copy_error_ = error; }

 private:
  mk::MemoryFileSystem disk_;
  mk::FaultInjectionFileSystem faults_{&disk_};
  FixedClock clock_{LocalDateTime{2005, 5, 3, 9, 5, 0, 0}, 1115111111};
  std::set<uint64_t> locked_;  // identities of the files some lock holds
  int copy_error_ = 0;
};

}  // namespace woodtick
