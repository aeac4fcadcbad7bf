#include "platform/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace woodtick {
namespace {

int Cause() { return errno != 0 ? errno : EIO; }

// Writes all of `data`, retrying short writes and interruptions.
int WriteAll(int fd, const char* data, size_t n) {
  while (n > 0) {
    ssize_t done = ::write(fd, data, n);
    if (done < 0) {
      if (errno == EINTR) continue;
      return Cause();
    }
    data += done;
    n -= static_cast<size_t>(done);
  }
  return 0;
}

int CopyContents(int in, int out) {
  char buffer[64 * 1024];
  for (;;) {
    ssize_t got = ::read(in, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      return Cause();
    }
    if (got == 0) break;
    if (int cause = WriteAll(out, buffer, static_cast<size_t>(got))) return cause;
  }
  return ::fsync(out) == 0 ? 0 : Cause();
}

}  // namespace

int CopyFileNoOverwrite(const std::string& from, const std::string& to) {
  int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return Cause();
  struct stat st;
  mode_t mode = ::fstat(in, &st) == 0 ? (st.st_mode & 0777) : 0644;
  // O_EXCL makes the existence test and the creation one step.
  int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode | S_IWUSR);
  if (out < 0) {
    int cause = Cause();
    ::close(in);
    return cause;
  }
  int cause = CopyContents(in, out);
  ::close(in);
  if (::close(out) != 0 && cause == 0) cause = Cause();
  if (cause != 0) ::unlink(to.c_str());
  return cause;
}

}  // namespace woodtick
