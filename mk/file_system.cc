#include "mk/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace mk {
namespace {

Status Errno(const std::string& what) { return Status::Error(what + ": " + std::strerror(errno)); }

class PosixFile : public RandomAccessFile {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
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
      if (got == 0) return Status::Error("cannot read: unexpected end of file");
      dst += got;
      offset += static_cast<uint64_t>(got);
      n -= static_cast<size_t>(got);
    }
    return Status::Ok();
  }

  Status Write(uint64_t offset, std::string_view data) override {
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
    if (ftruncate(fd_, static_cast<off_t>(size)) != 0) return Errno("cannot set the file size");
    return Status::Ok();
  }

  Status Sync() override {
    if (fdatasync(fd_) != 0) return Errno("cannot flush to disk");
    return Status::Ok();
  }

 private:
  int fd_;
};

class PosixFileSystem : public FileSystem {
 public:
  Status OpenFile(const std::string& path, bool create,
                  std::unique_ptr<RandomAccessFile>* out) override {
    int flags = O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0);
    int fd;
    do {
      fd = open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return Errno("cannot open");
    out->reset(new PosixFile(fd));
    return Status::Ok();
  }
};

}  // namespace

FileSystem* DefaultFileSystem() {
  static PosixFileSystem fs;
  return &fs;
}

}  // namespace mk
