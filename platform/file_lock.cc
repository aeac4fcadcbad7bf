#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace woodtick {
namespace {

int ErrnoOr(int fallback) { return errno != 0 ? errno : fallback; }

// Takes the exclusive lock on `f` without waiting. Closes `f` on failure.
int LockOrClose(int f) {
  while (::flock(f, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    // A lock held elsewhere is always kFileSharingViolation, whatever errno
    // value this system uses, so callers test one code.
    int cause = (errno == EWOULDBLOCK || errno == EAGAIN) ? kFileSharingViolation : ErrnoOr(EIO);
    ::close(f);
    return cause;
  }
  return kFileOpenOk;
}

// Opens `path` and takes the exclusive lock without waiting. On success *fd
// holds the locked descriptor; otherwise the cause code is returned and no
// descriptor stays open.
int OpenLocked(const std::string& path, int* fd) {
  *fd = -1;
  // O_NONBLOCK: opening a FIFO must not wait for a writer. It has no effect
  // on the regular files that get past the type test below.
  int f = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (f < 0) return errno == ENOENT ? kFileNotFound : ErrnoOr(EIO);
  struct stat st;
  if (::fstat(f, &st) != 0) {
    int cause = ErrnoOr(EIO);
    ::close(f);
    return cause;
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(f);
    return S_ISDIR(st.st_mode) ? EISDIR : kFileNotRegular;
  }
  int cause = LockOrClose(f);
  if (cause == kFileOpenOk) *fd = f;
  return cause;
}

}  // namespace

int FileOpenError(const std::string& path) {
  int fd;
  int cause = OpenLocked(path, &fd);
  if (fd >= 0) ::close(fd);  // closing drops the lock
  return cause;
}

std::string FileOpenErrorText(int cause) {
  switch (cause) {
    case kFileOpenOk:
      return "it can be opened";
    case kFileNotFound:
      return "it does not exist";
    case kFileSharingViolation:
      return "it is in use by another application";
    case kFileNotRegular:
      return "it is not a regular file (it is a FIFO, a device or a socket)";
    case EISDIR:
      return "it is a folder";
    case ELOOP:
      return "it is a symbolic link that leads round in a loop";
    default:
      return std::strerror(cause);
  }
}

bool IsFileInUse(const std::string& path) { return FileOpenError(path) == kFileSharingViolation; }

int FileWriteError(const std::string& path) {
  int f = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (f < 0) return ErrnoOr(EIO);
  ::close(f);
  return 0;
}

SystemFileLock::~SystemFileLock() { Release(); }

int SystemFileLock::Acquire(const std::string& path) {
  Release();
  return OpenLocked(path, &fd_);
}

int SystemFileLock::CreateAndAcquire(const std::string& path) {
  Release();
  int f = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (f < 0) return ErrnoOr(EIO);
  // Nobody else can know the new file's descriptor yet, so this cannot fail
  // on a held lock; should it fail otherwise, the empty file goes again.
  int cause = LockOrClose(f);
  if (cause != kFileOpenOk) {
    ::unlink(path.c_str());
    return cause;
  }
  fd_ = f;
  return kFileOpenOk;
}

void SystemFileLock::Release() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

HeldPath SystemFileLock::Check(const std::string& path) const {
  if (fd_ < 0) return HeldPath::kNotHeld;
  struct stat held, named;
  if (::fstat(fd_, &held) != 0) return HeldPath::kMissing;
  if (::stat(path.c_str(), &named) != 0) return HeldPath::kMissing;
  if (held.st_dev != named.st_dev || held.st_ino != named.st_ino) return HeldPath::kOtherFile;
  return HeldPath::kSameFile;
}

}  // namespace woodtick
