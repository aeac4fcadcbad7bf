#include "mk/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "mk/known_files.h"

namespace mk {
namespace {

// The failure errno describes: a missing file is not found, anything else
// the file system refused or failed.
Status Errno(const std::string& what) {
  std::string message = what + ": " + std::strerror(errno);
  return errno == ENOENT ? Status::NotFound(std::move(message))
                         : Status::IOError(std::move(message));
}

class PosixFile : public RandomAccessFile {
 public:
  PosixFile(int fd, bool read_only) : fd_(fd), read_only_(read_only) {}
  ~PosixFile() override { close(fd_); }

  Status Size(uint64_t* size) override {
    struct stat st;
    if (fstat(fd_, &st) != 0) return Errno("cannot get the file size");
    *size = static_cast<uint64_t>(st.st_size);
    return Status::Ok();
  }

  bool Identify(FileIdentity* out) override {
    struct stat st;
    if (fstat(fd_, &st) != 0) return false;
    out->device = static_cast<uint64_t>(st.st_dev);
    out->inode = static_cast<uint64_t>(st.st_ino);
    out->mtime_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    out->size = static_cast<uint64_t>(st.st_size);
    return true;
  }

  Status Read(uint64_t offset, size_t n, char* dst) override {
    while (n > 0) {
      ssize_t got = pread(fd_, dst, n, static_cast<off_t>(offset));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return Errno("cannot read");
      if (got == 0) return Status::IOError("cannot read: unexpected end of file");
      dst += got;
      offset += static_cast<uint64_t>(got);
      n -= static_cast<size_t>(got);
    }
    return Status::Ok();
  }

  Status Write(uint64_t offset, std::string_view data) override {
    if (read_only_) return ReadOnly();
    while (!data.empty()) {
      ssize_t put = pwrite(fd_, data.data(), data.size(), static_cast<off_t>(offset));
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) return Errno("cannot write");
      data.remove_prefix(static_cast<size_t>(put));
      offset += static_cast<uint64_t>(put);
    }
    return Status::Ok();
  }

  Status Truncate(uint64_t size) override {
    if (read_only_) return ReadOnly();
    if (ftruncate(fd_, static_cast<off_t>(size)) != 0) return Errno("cannot set the file size");
    return Status::Ok();
  }

  Status Sync() override {
    if (read_only_) return ReadOnly();
    if (fdatasync(fd_) != 0) return Errno("cannot flush to disk");
    return Status::Ok();
  }

 private:
  static Status ReadOnly() { return Status::IOError("opened read-only, not written"); }

  int fd_;
  bool read_only_;
};

// What a file that is not a regular file is, for the message refusing it.
const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe (FIFO)";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "not a regular file";
}

Status NotRegular(mode_t mode) {
  return Status::NotSupported(std::string("not a datafile: this is ") + KindOf(mode) +
                              ", and a datafile is a regular file");
}

class PosixFileSystem : public FileSystem {
 public:
  explicit PosixFileSystem(bool read_only) : read_only_(read_only) {}

  // Only regular files are datafiles. A named pipe or a device would make
  // the open or every read wait for another program, so they are refused
  // before they are opened, and the open itself never waits (O_NONBLOCK)
  // in case the path changed in between.
  Status OpenFile(const std::string& path, bool create,
                  std::unique_ptr<RandomAccessFile>* out) override {
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return NotRegular(st.st_mode);
    int flags = (read_only_ ? O_RDONLY : O_RDWR | (create ? O_CREAT : 0)) | O_CLOEXEC | O_NONBLOCK;
    int fd;
    do {
      fd = open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0 && errno == EISDIR) return NotRegular(S_IFDIR);
    if (fd < 0) return Errno("cannot open");
    st.st_mode = S_IFREG;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      Status s = S_ISREG(st.st_mode) ? Errno("cannot open") : NotRegular(st.st_mode);
      close(fd);
      return s;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    out->reset(new PosixFile(fd, read_only_));
    return Status::Ok();
  }

 private:
  bool read_only_;
};

}  // namespace

FileSystem::FileSystem() : known_files_(std::make_unique<KnownFiles>()) {}
FileSystem::~FileSystem() = default;

// Never destroyed: what they know of files must outlive every store that
// may still let a file go while the program ends.
FileSystem* DefaultFileSystem() {
  static PosixFileSystem* fs = new PosixFileSystem(false);
  return fs;
}

FileSystem* ReadOnlyFileSystem() {
  static PosixFileSystem* fs = new PosixFileSystem(true);
  return fs;
}

}  // namespace mk
