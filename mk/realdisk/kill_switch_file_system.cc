#include "mk/realdisk/kill_switch_file_system.h"

#include <signal.h>

namespace mk {
namespace {

using Op = KillSwitchFileSystem::Op;

class SwitchedFile : public RandomAccessFile {
 public:
  SwitchedFile(std::unique_ptr<RandomAccessFile> base, KillSwitchFileSystem* fs)
      : base_(std::move(base)), fs_(fs) {}

  Status Size(uint64_t* size) override { return base_->Size(size); }
  Status Read(uint64_t offset, size_t n, char* dst) override { return base_->Read(offset, n, dst); }
  Status Write(uint64_t offset, std::string_view data) override {
    return fs_->Admit(Op::kWrite) ? base_->Write(offset, data) : NoSpace();
  }
  Status Truncate(uint64_t size) override {
    return fs_->Admit(Op::kTruncate) ? base_->Truncate(size) : NoSpace();
  }
  Status Sync() override { return fs_->Admit(Op::kSync) ? base_->Sync() : NoSpace(); }

 private:
  static Status NoSpace() { return Status::IOError("cannot write: No space left on device"); }
  std::unique_ptr<RandomAccessFile> base_;
  KillSwitchFileSystem* fs_;
};

}  // namespace

void KillSwitchFileSystem::Arm(int at, Action action) {
  at_ = at;
  ops_.clear();
  action_ = action;
}

bool KillSwitchFileSystem::Admit(Op op) {
  ops_.push_back(op);
  const int n = static_cast<int>(ops_.size());
  if (at_ <= 0 || n < at_ || (n > at_ && action_ != Action::kDiskFull)) return true;
  if (action_ == Action::kKill) raise(SIGKILL);
  return false;
}

Status KillSwitchFileSystem::OpenFile(const std::string& path, bool create,
                                      std::unique_ptr<RandomAccessFile>* out) {
  std::unique_ptr<RandomAccessFile> file;
  Status s = DefaultFileSystem()->OpenFile(path, create, &file);
  if (!s.ok()) return s;
  *out = std::make_unique<SwitchedFile>(std::move(file), this);
  return Status::Ok();
}

}  // namespace mk
