// Env: everything the store and the model need from the machine, behind one
// interface: the engine's file access, file locks, the open and write tests,
// copying a file without overwriting, removing a file, and the clock.
//
// The program runs on SystemEnv. Tests give the store and the model another
// Env to run wholly in memory and to inject faults (a full disk, a lock
// that cannot be taken, a copy that fails) without touching a real disk.
#pragma once

#include <memory>
#include <string>

#include "mk/file_system.h"
#include "platform/clock.h"
#include "platform/file_lock.h"

namespace woodtick {

class Env {
 public:
  virtual ~Env() = default;

  // The file access the engine reads and writes datafiles through.
  virtual mk::FileSystem* files() = 0;
  virtual const Clock& clock() = 0;
  // A lock not yet held. Locks of one Env see each other as other holders.
  virtual std::unique_ptr<FileLock> NewLock() = 0;
  // As the free functions of file_lock.h, on this Env's files.
  [[nodiscard]] virtual int FileOpenError(const std::string& path) = 0;
  [[nodiscard]] virtual int FileWriteError(const std::string& path) = 0;
  // Copies `from` to `to`, which must not exist; 0, EEXIST or another errno.
  // A failed copy leaves no file at `to`.
  [[nodiscard]] virtual int CopyFileNoOverwrite(const std::string& from, const std::string& to) = 0;
  // 0 or the errno.
  [[nodiscard]] virtual int RemoveFile(const std::string& path) = 0;
};

// The real machine: POSIX files, flock, the local clock. Never null.
Env* SystemEnv();

}  // namespace woodtick
