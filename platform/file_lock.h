// The "held by another program" test and the advisory lock behind it.
//
// A program that has a tally file open keeps an exclusive advisory lock
// (flock) on it; another program (or another FileLock in this one) that
// tries the same lock sees the file as held. Only regular files can be
// locked: a folder, FIFO, device or socket is refused at once, without
// waiting for a writer (a FIFO would otherwise block the open).
#pragma once

#include <string>

namespace woodtick {

// Cause codes of FileOpenError.
inline constexpr int kFileOpenOk = 0;
inline constexpr int kFileNotFound = 2;
inline constexpr int kFileSharingViolation = 11;
// The name leads to something other than a regular file or a folder (a
// FIFO, a device, a socket). No errno has this value.
inline constexpr int kFileNotRegular = -1;

// 0 when the file could be opened for exclusive reading; 2 when it does not
// exist; 11 when another holder has it locked; EISDIR for a folder, ELOOP
// for a symbolic-link loop, kFileNotRegular for other special files; another
// non-zero code (the errno) for any other failure. Takes and drops the lock
// at once.
[[nodiscard]] int FileOpenError(const std::string& path);
// Why a file could not be opened, for messages: "it is a folder" ...
std::string FileOpenErrorText(int cause);
// True only for a file held by another holder (a missing file is not held).
bool IsFileInUse(const std::string& path);
// 0 when the file can be opened for writing, else the errno saying why not
// (EACCES, EROFS ...). Writes nothing.
[[nodiscard]] int FileWriteError(const std::string& path);

// What a holder finds at the path of the file it holds.
enum class HeldPath {
  kSameFile,   // the path still names the held file
  kMissing,    // nothing is at the path any more (deleted, renamed, moved)
  kOtherFile,  // another file has taken the path
  kNotHeld,    // no lock is held
};

// Holds the exclusive lock on a file until Release or destruction. An
// interface, so tests can hold locks on files that live only in memory.
class FileLock {
 public:
  virtual ~FileLock() = default;

  // 0, or the cause code of FileOpenError.
  [[nodiscard]] virtual int Acquire(const std::string& path) = 0;
  // Creates `path` (which must not exist) and locks it in one step, so no
  // other program can take the new file first. 0, EEXIST, or another errno.
  [[nodiscard]] virtual int CreateAndAcquire(const std::string& path) = 0;
  virtual void Release() = 0;
  virtual bool held() const = 0;
  // Compares the held file with what `path` names now.
  virtual HeldPath Check(const std::string& path) const = 0;
};

// The lock on a real file: flock on an open descriptor, which other
// programs honour.
class SystemFileLock final : public FileLock {
 public:
  SystemFileLock() = default;
  ~SystemFileLock() override;
  SystemFileLock(const SystemFileLock&) = delete;
  SystemFileLock& operator=(const SystemFileLock&) = delete;

  int Acquire(const std::string& path) override;
  int CreateAndAcquire(const std::string& path) override;
  void Release() override;
  bool held() const override { return fd_ >= 0; }
  // Compares the held descriptor's device and inode with what `path` names now.
  HeldPath Check(const std::string& path) const override;

 private:
  int fd_ = -1;
};

}  // namespace woodtick
