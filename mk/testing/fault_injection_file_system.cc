#include "mk/testing/fault_injection_file_system.h"

#include <algorithm>
#include <utility>

namespace mk {

struct FaultInjectionFileSystem::State {
  bool armed = false;
  int allowed = 0;  // operations that still succeed once armed
  Error error = Error::kCrash;
  Tear tear = Tear::kNone;
  bool drop_unsynced = false;
  bool stopped = false;  // a fault fired; every later operation fails

  bool room_limited = false;
  uint64_t room = 0;  // bytes files may still grow by, when limited

  bool fail_open = false;
  Error open_error = Error::kAccess;

  bool fired = false;
  int writes = 0;
  int syncs = 0;
  int truncates = 0;
  uint64_t bytes_written = 0;
  std::vector<Event> events;
};

namespace {

constexpr uint64_t kSector = 512;

class FaultFile : public RandomAccessFile {
 public:
  FaultFile(std::unique_ptr<RandomAccessFile> base,
            std::shared_ptr<FaultInjectionFileSystem::State> state)
      : base_(std::move(base)), state_(std::move(state)) {}

  Status Size(uint64_t* size) override { return base_->Size(size); }
  Status Read(uint64_t offset, size_t n, char* dst) override { return base_->Read(offset, n, dst); }

  Status Write(uint64_t offset, std::string_view data) override {
    using Op = FaultInjectionFileSystem::Op;
    if (Status s = Admit(Op::kWrite, offset, data); !s.ok()) return s;
    uint64_t growth = 0;
    if (Status s = Grow(offset, data.size(), &growth); !s.ok()) return s;
    if (Status s = Remember(offset, data.size()); !s.ok()) return s;
    if (Status s = base_->Write(offset, data); !s.ok()) return s;
    state_->room -= growth;
    state_->writes++;
    state_->bytes_written += data.size();
    state_->events.push_back({Op::kWrite, offset, data.size()});
    return Status::Ok();
  }

  Status Truncate(uint64_t size) override {
    using Op = FaultInjectionFileSystem::Op;
    if (Status s = Admit(Op::kTruncate, size, {}); !s.ok()) return s;
    if (Status s = RememberTruncate(size); !s.ok()) return s;
    if (Status s = base_->Truncate(size); !s.ok()) return s;
    state_->truncates++;
    state_->events.push_back({Op::kTruncate, size, 0});
    return Status::Ok();
  }

  Status Sync() override {
    using Op = FaultInjectionFileSystem::Op;
    if (Status s = Admit(Op::kSync, 0, {}); !s.ok()) return s;
    if (Status s = base_->Sync(); !s.ok()) return s;
    undo_.clear();
    state_->syncs++;
    state_->events.push_back({Op::kSync, 0, 0});
    return Status::Ok();
  }

 private:
  // What to put back to undo one unsynced operation.
  struct Undo {
    uint64_t offset;
    std::string bytes;
    uint64_t size;  // the file's size before the operation
  };

  // Like the real file system, the message leaves naming the file to the
  // engine.
  Status Fail(FaultInjectionFileSystem::Error error) {
    return Status::IOError(FaultInjectionFileSystem::ErrorText(error));
  }

  // Decides whether the operation may go ahead; fires the armed fault.
  Status Admit(FaultInjectionFileSystem::Op op, uint64_t offset, std::string_view data) {
    State& st = *state_;
    if (st.stopped) return Fail(st.error);
    if (!st.armed) return Status::Ok();
    if (st.allowed > 0) {
      st.allowed--;
      return Status::Ok();
    }
    st.fired = true;
    st.stopped = true;
    if (op == FaultInjectionFileSystem::Op::kWrite) {
      size_t keep = TornLength(offset, data.size());
      if (keep > 0 && Remember(offset, keep).ok()) {
        (void)base_->Write(offset, data.substr(0, keep));
      }
    }
    if (st.drop_unsynced) RollBack();
    return Fail(st.error);
  }

  // How much the write makes the file grow; fails when that is more than
  // the room left.
  Status Grow(uint64_t offset, size_t n, uint64_t* growth) {
    *growth = 0;
    State& st = *state_;
    if (!st.room_limited) return Status::Ok();
    uint64_t size = 0;
    if (Status s = base_->Size(&size); !s.ok()) return s;
    if (offset + n > size) *growth = offset + n - size;
    if (*growth > st.room) {
      st.fired = true;
      *growth = 0;
      return Fail(FaultInjectionFileSystem::Error::kNoSpace);
    }
    return Status::Ok();
  }

  size_t TornLength(uint64_t offset, size_t n) const {
    switch (state_->tear) {
      case FaultInjectionFileSystem::Tear::kNone:
        return 0;
      case FaultInjectionFileSystem::Tear::kHalf:
        return n / 2;
      case FaultInjectionFileSystem::Tear::kSectors: {
        uint64_t cut = (offset + n / 2) / kSector * kSector;
        return cut > offset ? static_cast<size_t>(cut - offset) : 0;
      }
    }
    return 0;
  }

  using State = FaultInjectionFileSystem::State;

  Status Remember(uint64_t offset, size_t n) {
    if (!state_->drop_unsynced) return Status::Ok();
    uint64_t size = 0;
    if (Status s = base_->Size(&size); !s.ok()) return s;
    Undo undo{offset, {}, size};
    if (offset < size) {
      undo.bytes.resize(static_cast<size_t>(std::min<uint64_t>(n, size - offset)));
      if (Status s = base_->Read(offset, undo.bytes.size(), undo.bytes.data()); !s.ok()) {
        return s;
      }
    }
    undo_.push_back(std::move(undo));
    return Status::Ok();
  }

  Status RememberTruncate(uint64_t new_size) {
    if (!state_->drop_unsynced) return Status::Ok();
    uint64_t size = 0;
    if (Status s = base_->Size(&size); !s.ok()) return s;
    return new_size < size ? Remember(new_size, size - new_size) : Remember(size, 0);
  }

  void RollBack() {
    for (auto it = undo_.rbegin(); it != undo_.rend(); ++it) {
      (void)base_->Truncate(it->size);
      if (!it->bytes.empty()) (void)base_->Write(it->offset, it->bytes);
    }
    undo_.clear();
  }

  std::unique_ptr<RandomAccessFile> base_;
  std::shared_ptr<State> state_;
  std::vector<Undo> undo_;  // unsynced operations, oldest first
};

}  // namespace

FaultInjectionFileSystem::FaultInjectionFileSystem(FileSystem* base)
    : base_(base), state_(std::make_shared<State>()) {}

FaultInjectionFileSystem::~FaultInjectionFileSystem() = default;

Status FaultInjectionFileSystem::OpenFile(const std::string& path, bool create,
                                          std::unique_ptr<RandomAccessFile>* out) {
  if (state_->fail_open) {
    return Status::IOError("cannot open: " + ErrorText(state_->open_error));
  }
  std::unique_ptr<RandomAccessFile> file;
  if (Status s = base_->OpenFile(path, create, &file); !s.ok()) return s;
  *out = std::make_unique<FaultFile>(std::move(file), state_);
  return Status::Ok();
}

void FaultInjectionFileSystem::StopAfter(int ops, Error error, Tear tear, bool drop_unsynced) {
  State& st = *state_;
  st.armed = true;
  st.allowed = ops;
  st.error = error;
  st.tear = tear;
  st.drop_unsynced = drop_unsynced;
  st.stopped = false;
  st.fired = false;
}

void FaultInjectionFileSystem::FailOpen(Error error) {
  state_->fail_open = true;
  state_->open_error = error;
}

void FaultInjectionFileSystem::LimitRoom(uint64_t bytes) {
  state_->room_limited = true;
  state_->room = bytes;
  state_->fired = false;
}

void FaultInjectionFileSystem::Disarm() {
  State& st = *state_;
  st.armed = false;
  st.room_limited = false;
  st.stopped = false;
  st.fail_open = false;
  st.drop_unsynced = false;
}

void FaultInjectionFileSystem::ResetCounters() {
  State& st = *state_;
  st.writes = st.syncs = st.truncates = 0;
  st.bytes_written = 0;
  st.events.clear();
}

bool FaultInjectionFileSystem::fired() const { return state_->fired; }
int FaultInjectionFileSystem::writes() const { return state_->writes; }
int FaultInjectionFileSystem::syncs() const { return state_->syncs; }
int FaultInjectionFileSystem::truncates() const { return state_->truncates; }
uint64_t FaultInjectionFileSystem::bytes_written() const { return state_->bytes_written; }
const std::vector<FaultInjectionFileSystem::Event>& FaultInjectionFileSystem::events() const {
  return state_->events;
}

std::string FaultInjectionFileSystem::ErrorText(Error error) {
  switch (error) {
    case Error::kCrash:
      return "cannot write: simulated crash";
    case Error::kNoSpace:
      return "cannot write: No space left on device";
    case Error::kIo:
      return "cannot write: Input/output error";
    case Error::kAccess:
      return "Permission denied";
  }
  return "failure";
}

}  // namespace mk
