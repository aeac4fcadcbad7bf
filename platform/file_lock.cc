#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace woodtick {
namespace {

// Opens `path` and takes the exclusive lock without waiting. On success *fd
// holds the locked descriptor; otherwise the cause code is returned and no
// descriptor stays open.
int OpenLocked(const std::string& path, int* fd) {
  *fd = -1;
  int f = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (f < 0) {
    if (errno == ENOENT) return kFileNotFound;
    return errno != 0 ? errno : EIO;
  }
  struct stat st;
  if (::fstat(f, &st) != 0 || S_ISDIR(st.st_mode)) {
    int cause = S_ISDIR(st.st_mode) ? EISDIR : errno;
    ::close(f);
    return cause != 0 ? cause : EIO;
  }
  while (::flock(f, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    // A lock held elsewhere is always kFileSharingViolation, whatever errno
    // value this system uses, so callers test one code.
    int cause = (errno == EWOULDBLOCK || errno == EAGAIN) ? kFileSharingViolation : errno;
    ::close(f);
    return cause != 0 ? cause : EIO;
  }
  *fd = f;
  return kFileOpenOk;
}

}  // namespace

int FileOpenError(const std::string& path) {
  int fd;
  int cause = OpenLocked(path, &fd);
  if (fd >= 0) ::close(fd);  // closing drops the lock
  return cause;
}

bool IsFileInUse(const std::string& path) { return FileOpenError(path) == kFileSharingViolation; }

FileLock::~FileLock() { Release(); }

int FileLock::Acquire(const std::string& path) {
  Release();
  return OpenLocked(path, &fd_);
}

void FileLock::Release() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

}  // namespace woodtick
