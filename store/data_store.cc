// DataStore: construction, the slot catalogue, opening, committing and
// closing. Cells, selections, table definitions and the log live in the
// data_store_*.cc files beside this one.
#include "store/data_store.h"

#include <unistd.h>

#include <cstdio>
#include <utility>

#include "mk/field.h"
#include "mk/known_files.h"
#include "platform/file_name_text.h"

namespace woodtick {

DataStore::DataStore(StoreReporter* reporter, Env* env)
    : reporter_(reporter), env_(env != nullptr ? env : SystemEnv()) {}

DataStore::~DataStore() {
  if (state_ != StoreState::kClosed) Close(false);
}

int DataStore::state() const {
  switch (state_) {
    case StoreState::kClosed:
      return -1;
    case StoreState::kFileOpen:
      return 1;
    case StoreState::kBufferedViews:
      return 2;
    case StoreState::kNothingBuffered:
      return 3;
  }
  return -1;
}

int DataStore::Open(const std::string& path, bool buffered, std::shared_ptr<FileLock> held) {
  // Reopening the file this store has open keeps its lock: no gap in which
  // another program could take the file.
  if (held == nullptr && lock_ != nullptr && lock_->Check(path) == HeldPath::kSameFile)
    held = lock_;
  if (state_ != StoreState::kClosed) Close(false);
  buffered_mode_ = buffered;

  // The lock is the in-use test: taking it at once leaves no gap in which a
  // second program could open the file too.
  int cause = kFileOpenOk;
  if (held != nullptr && held->held()) {
    if (held->Check(path) != HeldPath::kSameFile) {
      last_error_ = FileNameText(path) + " is no longer the file Woodtick holds open.";
      return kStoreFileMoved;
    }
    lock_ = std::move(held);
  } else {
    lock_ = env_->NewLock();
    cause = lock_->Acquire(path);
    if (cause == kFileSharingViolation) {
      lock_.reset();
      return kStoreFileHeld;
    }
    if (cause != kFileOpenOk && cause != kFileNotFound) {
      // A folder, a FIFO or a file that cannot be read: the engine is never
      // asked, so nothing waits on a FIFO.
      lock_.reset();
      last_error_ = FileNameText(path) + ": " + FileOpenErrorText(cause);
      return kStoreFileUnreadable;
    }
  }
  path_ = path;
  storage_.reset();
  std::unique_ptr<mk::Storage> storage;
  mk::Status status = mk::Storage::Open(path, &storage, env_->files());
  last_open_found_damage_ = status.code() == mk::Status::Code::kCorruption;
  if (!status.ok()) {
    lock_.reset();
    last_error_ = status.message();
    return kStoreFileUnreadable;
  }
  if (cause == kFileNotFound && lock_->Acquire(path) == kFileSharingViolation) {
    lock_.reset();
    return kStoreFileHeld;  // another program took the file we just created
  }
  storage_ = std::move(storage);
  state_ = StoreState::kFileOpen;
  BuildViewList();
  return kStoreOk;
}

int DataStore::Close(bool keep_buffered) {
  if (state_ == StoreState::kClosed) return kStoreClosed;
  if (keep_buffered) {
    const bool kept = ReleaseSlots(true);
    ReleaseStorage();
    state_ = kept ? StoreState::kBufferedViews : StoreState::kNothingBuffered;
    return kStoreOk;
  }
  const int result = SaveBufferedViews();
  ReleaseSlots(false);
  ReleaseStorage();
  ReleaseFile();
  return result;
}

int DataStore::SaveBufferedViews() {
  for (const Slot& slot : slots_) {
    if (slot.named && slot.buffered) return Commit();
  }
  return kStoreOk;
}

bool DataStore::ReleaseSlots(bool keep_buffered) {
  bool kept = false;
  for (int i = 0; i < kNumSlots; ++i) {
    if (!slots_[i].named) continue;
    // A selection is never buffered itself: it goes with the file even when
    // its base is kept, as it would outlive the rows it shows.
    if (keep_buffered && slots_[i].buffered) {
      kept = true;
    } else {
      FreeSlot(i);
    }
  }
  return kept;
}

void DataStore::ReleaseStorage() {
  view_list_.clear();
  storage_.reset();
}

void DataStore::ReleaseFile() {
  state_ = StoreState::kClosed;
  lock_.reset();
  env_->files()->known_files().Forget(path_);
}

int DataStore::Commit() {
  if (state_ == StoreState::kClosed) {
    // "Committing ata": the program's exact words, kept as users know them.
    ReportError("Committing ata", kStoreClosed);
    return kStoreClosed;
  }
  // Never write to a path whose file this store does not hold: the engine
  // would create a new file there or write into another program's file.
  HeldPath where = lock_ != nullptr ? lock_->Check(path_) : HeldPath::kSameFile;
  if (where == HeldPath::kMissing || where == HeldPath::kOtherFile) {
    return ReportFileMoved(where == HeldPath::kOtherFile);
  }
  std::unique_ptr<mk::Storage> temporary;
  mk::Storage* storage = storage_.get();
  if (storage == nullptr) {
    mk::Status status = mk::Storage::Open(path_, &temporary, env_->files());
    if (!status.ok()) return ReportCommitFailure(status.message());
    storage = temporary.get();
  }
  for (int i = 0; i < kNumSlots; ++i) {
    // With the file let go, a view missing from the file can only mean the
    // file was replaced behind our back; the copy is then the only data left.
    if (slots_[i].named && slots_[i].buffered) SaveBufferedView(storage, i, temporary != nullptr);
  }
  return CommitStorage(storage);
}

void DataStore::SaveBufferedView(mk::Storage* storage, int slot, bool recreate_missing) {
  const Slot& s = slots_[slot];
  mk::View file_view;
  if (storage->HasView(s.name)) {
    file_view = storage->GetView(s.name);
  } else if (recreate_missing) {
    file_view = storage->GetAs(s.name + "[" + s.view.Description() + "]");
  } else {
    return;  // dropped from the file while its copy was open: nothing to write into
  }
  // Columns are matched by name, so the copy replaces the file view's rows whole.
  file_view.SetSize(0);
  file_view.InsertRowsAt(0, s.view);
}

int DataStore::CommitStorage(mk::Storage* storage) {
  mk::Status status = storage->Commit();
  if (!status.ok()) return ReportCommitFailure(status.message());
  return kStoreOk;
}

int DataStore::SaveAs(const std::string& path) {
  if (state_ == StoreState::kClosed) return kStoreClosed;
  if (storage_ != nullptr) return kStoreUnsupported;
  std::shared_ptr<FileLock> lock = env_->NewLock();
  int made = lock->CreateAndAcquire(path);
  if (made != kFileOpenOk) {
    last_error_ = FileNameText(path) + ": " + FileOpenErrorText(made);
    return kStoreFileUnreadable;
  }
  std::string old_path = std::exchange(path_, path);
  std::shared_ptr<FileLock> old_lock = std::exchange(lock_, lock);
  int result = Commit();
  if (result != kStoreOk) {
    // Only this store knows the new file: it goes, and the store stays as it was.
    env_->RemoveFile(path);
    path_ = old_path;
    lock_ = old_lock;
  }
  return result;
}

int DataStore::ReportFileMoved(bool replaced) {
  std::string name = FileNameText(path_);
  if (reporter_ != nullptr) {
    reporter_->FileMoved(
        "The tally file " + name + " is no longer where it was opened: " +
        (replaced ? "another file has taken its name" : "it has been deleted, renamed or moved") +
        ".\nNothing has been written to " + name + ". The data is still held in memory.");
  }
  return kStoreFileMoved;
}

int DataStore::ReportCommitFailure(const std::string& cause) {
  if (reporter_ != nullptr) {
    reporter_->CommitFailed("The tally file " + FileNameText(path_) + " could not be saved.\n" +
                            cause +
                            "\nThe data is still held in memory and will be written again at "
                            "the next save.");
  }
  return kStoreCommitFailed;
}

int DataStore::OpenAView(const std::string& name, bool buffered) {
  if (state_ == StoreState::kClosed) return kStoreClosed;
  const bool file_open = state_ == StoreState::kFileOpen;
  int open_slot = -1;
  bool is_open = CheckForView(name, &open_slot);
  if (is_open && file_open) {
    int released = ReleaseView(open_slot);
    if (released < 0) return released;
  }
  // With the file let go the view list is empty: only an open slot answers.
  if (ViewExistsInFile(name) < 0) {
    return (is_open && !file_open) ? open_slot : kStoreNotFound;
  }
  int slot = LowestFreeSlot();
  if (slot < 0) return kStoreNoFreeSlot;
  slots_[slot].name = name;
  slots_[slot].named = true;
  if (buffered) {
    if (LoadBufferedView(name, slot) < 0) {
      // Never leave an empty slot marked buffered: a Commit would empty the file's view.
      FreeSlot(slot);
      return kStoreNoFreeSlot;
    }
    slots_[slot].buffered = true;
  } else {
    slots_[slot].view = storage_->GetView(name);
  }
  return slot;
}

int DataStore::OpenOrAddView(const std::string& description, bool buffered) {
  const std::string name = description.substr(0, description.find('['));
  if (state_ == StoreState::kFileOpen && ViewExistsInFile(name) < 0) {
    storage_->GetAs(description);
    int listed = BuildViewList();
    if (listed < 0) return listed;
  }
  return OpenAView(name, buffered);
}

int DataStore::LoadBufferedView(const std::string& name, int slot) {
  int temp = GetViewIndex("Temp");
  if (temp < 0) return kStoreNoFreeSlot;
  slots_[temp].view = storage_->GetView(name);
  mk::View copy = slots_[temp].view.Clone();
  copy.InsertRowsAt(0, slots_[temp].view);
  slots_[slot].view = copy;
  FreeSlot(temp);
  return slot;
}

int DataStore::FindView(std::string_view name) {
  int slot = -1;
  return CheckForView(name, &slot) ? slot : kStoreNotFound;
}

bool DataStore::CheckForView(std::string_view name, int* slot) {
  if (state_ == StoreState::kClosed) {
    ReportError("Checking for view", kStoreClosed);
    *slot = kStoreClosed;
    return false;
  }
  bool found = false;
  for (int i = 0; i < kNumSlots; ++i) {
    if (slots_[i].named && slots_[i].name == name) {
      *slot = i;
      found = true;
    }
  }
  return found;
}

int DataStore::ReleaseView(int slot) {
  if (state_ == StoreState::kClosed) return kStoreClosed;
  if (!ValidSlot(slot)) return kStoreSlotRange;
  if (!slots_[slot].named) return kStoreSlotAlreadyFree;
  if (slots_[slot].buffered) {
    int committed = Commit();
    if (committed != kStoreOk)
      return committed;  // keep the only copy of what did not reach the file
  }
  FreeSlot(slot);
  return kStoreOk;
}

void DataStore::FreeSlot(int slot) {
  const uint64_t next = slots_[slot].occupant + 1;
  slots_[slot] = Slot();
  slots_[slot].occupant = next;
}

int DataStore::LowestFreeSlot() const {
  for (int i = 0; i < kNumSlots; ++i) {
    if (!slots_[i].named) return i;
  }
  return kStoreNoFreeSlot;
}

int DataStore::GetViewIndex(const std::string& name) {
  if (state_ == StoreState::kClosed) {
    ReportError("In Get View Index", kStoreClosed);
    return kStoreClosed;
  }
  int slot = LowestFreeSlot();
  if (slot < 0) return kStoreNoFreeSlot;
  slots_[slot].name = name;
  slots_[slot].named = true;
  return slot;
}

int DataStore::BuildViewList() {
  view_list_.clear();
  if (state_ == StoreState::kClosed) {
    ReportError("Building List of Views", kStoreClosed);
    return kStoreClosed;
  }
  if (storage_ == nullptr) return kStoreOk;
  for (const std::string& name : storage_->ViewNames()) {
    if (!view_list_.empty()) view_list_ += ", ";
    view_list_ += name;
  }
  return kStoreOk;
}

int DataStore::ViewExistsInFile(std::string_view name) {
  std::string rest = view_list_;
  std::string token;
  while (!rest.empty()) {
    size_t start = view_list_.size() - rest.size();
    size_t lead = rest.find_first_not_of(" \t\r\n");
    NextToken(&rest, &token, ",[]:");
    if (mk::SameName(token, name)) return static_cast<int>(start + lead);
  }
  return kStoreNotFound;
}

void DataStore::ReportError(const std::string& context, int code) {
  std::string text;
  if (code != 0) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "Internal Error.\nPlease Contact Developer.\nError # %d\n",
                  code);
    text = buffer;
  } else {
    text = "Operation completed successfully.\n";
  }
  text += context;
  if (reporter_ != nullptr) reporter_->InternalError(text);
}

mk::View DataStore::View(int slot) const {
  return SlotInUse(slot) ? slots_[slot].view : mk::View();
}

}  // namespace woodtick
