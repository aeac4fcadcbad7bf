#include "platform/testing/memory_env.h"

#include <cerrno>
#include <string_view>

namespace woodtick {
namespace {

using Fault = mk::FaultInjectionFileSystem;

// The errno a failure of the fault layer or of a memory file stands for.
int ErrnoOf(const mk::Status& status) {
  const std::string& text = status.message();
  if (text.ends_with(Fault::ErrorText(Fault::Error::kNoSpace))) return ENOSPC;
  if (text.ends_with(Fault::ErrorText(Fault::Error::kAccess))) return EACCES;
  return EIO;
}

class MemoryLock final : public FileLock {
 public:
  MemoryLock(mk::MemoryFileSystem* disk, std::set<uint64_t>* locked)
      : disk_(disk), locked_(locked) {}
  ~MemoryLock() override { Release(); }

  int Acquire(const std::string& path) override {
    Release();
    uint64_t id = disk_->FileId(path);
    if (id == 0) return kFileNotFound;
    if (!locked_->insert(id).second) return kFileSharingViolation;
    id_ = id;
    return kFileOpenOk;
  }
  int CreateAndAcquire(const std::string& path) override {
    Release();
    if (disk_->HasFile(path)) return EEXIST;
    disk_->SetFile(path, {});
    return Acquire(path);
  }
  void Release() override {
    if (id_ != 0) locked_->erase(id_);
    id_ = 0;
  }
  bool held() const override { return id_ != 0; }
  HeldPath Check(const std::string& path) const override {
    if (id_ == 0) return HeldPath::kNotHeld;
    uint64_t named = disk_->FileId(path);
    if (named == 0) return HeldPath::kMissing;
    return named == id_ ? HeldPath::kSameFile : HeldPath::kOtherFile;
  }

 private:
  mk::MemoryFileSystem* disk_;
  std::set<uint64_t>* locked_;
  uint64_t id_ = 0;  // the held file's identity; 0 when none
};

}  // namespace

MemoryEnv::MemoryEnv() = default;
MemoryEnv::~MemoryEnv() = default;

std::unique_ptr<FileLock> MemoryEnv::NewLock() {
  return std::make_unique<MemoryLock>(&disk_, &locked_);
}

int MemoryEnv::FileOpenError(const std::string& path) {
  uint64_t id = disk_.FileId(path);
  if (id == 0) return kFileNotFound;
  return locked_.count(id) > 0 ? kFileSharingViolation : kFileOpenOk;
}

int MemoryEnv::FileWriteError(const std::string& path) {
  if (!disk_.HasFile(path)) return ENOENT;
  return disk_.IsReadOnly(path) ? EACCES : 0;
}

int MemoryEnv::CopyFileNoOverwrite(const std::string& from, const std::string& to) {
  if (!disk_.HasFile(from)) return ENOENT;
  if (disk_.HasFile(to)) return EEXIST;
  if (copy_error_ != 0) return copy_error_;
  std::unique_ptr<mk::RandomAccessFile> out;
  mk::Status status = faults_.OpenFile(to, true, &out);
  if (!status.ok()) return ErrnoOf(status);
  status = out->Write(0, disk_.GetFile(from));
  if (status.ok()) status = out->Sync();
  if (status.ok()) return 0;
  out.reset();
  disk_.RemoveFile(to);
  return ErrnoOf(status);
}

int MemoryEnv::RemoveFile(const std::string& path) { return disk_.RemoveFile(path) ? 0 : ENOENT; }

}  // namespace woodtick
