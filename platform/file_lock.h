// The "held by another program" test and the advisory lock behind it.
//
// A program that has a tally file open keeps an exclusive advisory lock
// (flock) on it; another program (or another FileLock in this one) that
// tries the same lock sees the file as held.
#pragma once

#include <string>

namespace woodtick {

// Cause codes of FileOpenError.
inline constexpr int kFileOpenOk = 0;
inline constexpr int kFileNotFound = 2;
inline constexpr int kFileSharingViolation = 11;

// 0 when the file could be opened for exclusive reading; 2 when it does not
// exist; 11 when another holder has it locked; another non-zero code (the
// errno) for any other failure. Takes and drops the lock at once.
int FileOpenError(const std::string& path);
// True only for a file held by another holder (a missing file is not held).
bool IsFileInUse(const std::string& path);

// Holds the exclusive lock on a file until Release or destruction.
class FileLock {
 public:
  FileLock() = default;
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // 0, or the cause code of FileOpenError.
  int Acquire(const std::string& path);
  void Release();
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace woodtick
