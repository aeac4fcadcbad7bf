#include "model/held_file.h"

#include <cstring>
#include <tuple>
#include <utility>

#include "model/file_in_use_warning.h"
#include "model/sampling/sampling_strategies.h"
#include "model/text.h"
#include "platform/env.h"
#include "platform/file_name_text.h"

namespace woodtick {
namespace {

// The title of the box that says a file cannot be opened for `cause`.
std::string UnopenableTitle(int cause) {
  switch (cause) {
    case kFileNotFound:
      return "File Not Found";
    case kFileSharingViolation:
      return "File Already Open";
    case EISDIR:
    case ELOOP:
    case kFileNotRegular:
      return "Not a Tally File";
    default:
      return "File Cannot Be Opened";
  }
}

// The name shown for the file at `path`, and its title (the name without
// its extension). The title names the CSV export, so it keeps the file
// system's bytes.
std::pair<std::string, std::string> NamesOf(const std::string& path) {
  std::string file_name(BaseName(path));
  size_t dot = file_name.find_last_of('.');
  return {FileNameText(file_name), dot == std::string::npos ? file_name : file_name.substr(0, dot)};
}

}  // namespace

HeldFile::HeldFile(ModelContext& ctx) : ctx_(ctx), ui_(ctx.ui) { ctx_.store = NewStore(); }

HeldFile::~HeldFile() = default;

std::unique_ptr<DataStore> HeldFile::NewStore() {
  return std::make_unique<DataStore>(saves_.reporter(), &ctx_.env);
}

void HeldFile::MovedTo(const std::string& path) {
  path_ = path;
  std::tie(display_name_, title_) = NamesOf(path);
  held_lock_ = ctx_.store->lock();
  ui_.ShowFileName(display_name_);
}

void HeldFile::SetChosenFile(const std::string& path, const std::string& display_name,
                             const std::string& title) {
  path_ = path;
  display_name_ = display_name;
  title_ = title;
}

void HeldFile::SetStartupFile(const std::string& path) {
  startup_ = true;
  path_ = path;
}

bool HeldFile::Open(BusyCursor& busy) {
  std::string display_name = display_name_;
  std::string title = title_;
  if (startup_) std::tie(display_name, title) = NamesOf(path_);
  // The lock taken here is held until Close; a reopen (after Setup) goes on
  // with the one already held.
  std::shared_ptr<FileLock> lock = held_lock_;
  if (lock == nullptr) {
    lock = ctx_.env.NewLock();
    int cause = lock->Acquire(path_);
    if (cause != kFileOpenOk) {
      busy.Release();
      TellUnopenable(display_name, cause);
      return false;
    }
    // Every tally is saved as it is made: a file that cannot take them is
    // refused now, not after the first tallies are lost.
    int write_error = ctx_.env.FileWriteError(path_);
    if (write_error != 0) {
      busy.Release();
      TellUnwritable(display_name, write_error);
      return false;
    }
  }

  // Check the structure on the file's own views first: a refused file is
  // closed without a commit, so it stays exactly as it was.
  auto store = NewStore();
  std::string missing;
  int opened = store->Open(path_, false, lock);
  if (opened == kStoreOk) {
    StandardSlots slots = woodtick::OpenAllViews(*store, false);
    missing = FindMissingStructure(*store, slots);
    store->Close(false);
  }
  if (opened != kStoreOk) {
    busy.Release();
    std::string recover;
    if (store->LastOpenFoundDamage()) {
      recover = "\nAn earlier state of it may still be sound: woodtick-cli recover " +
                display_name + " NEW-FILE writes the newest one it finds to NEW-FILE.";
    }
    ui_.Warn(display_name + " cannot be read as a tally file.\n" + store->LastError() +
                 "\nThe file has not been changed." + recover,
             "Not a Tally File");
    return false;
  }
  if (!missing.empty()) {
    busy.Release();
    ui_.Warn(display_name + " is not a tally file that Woodtick can open.\nIt lacks: " + missing +
                 ".\nThe file has not been changed.",
             "Not a Tally File");
    return false;
  }
  opened = store->Open(path_, true, lock);
  if (opened != kStoreOk) {
    busy.Release();
    ui_.Warn(display_name + " could not be opened again.\n" + store->LastError(),
             "Not a Tally File");
    return false;
  }
  held_lock_ = lock;

  display_name_ = display_name;
  title_ = title;
  ui_.ShowFileName(display_name_);
  ctx_.store = std::move(store);
  ctx_.OpenAllViews(true);
  ctx_.store->Close(true);
  return true;
}

bool HeldFile::OpenForSetup() {
  BusyCursor busy(ui_);
  // Closing drops the buffered views: only a file that holds them may close.
  if (Commit() != kStoreOk) {
    busy.Release();
    ui_.Warn(
        "Setup cannot open while the tally file cannot be saved.\nYour data is still "
        "held in memory. Make sure the disk has room and the tally file can be written, "
        "then try again.",
        "Setup Not Opened");
    return false;
  }
  ctx_.store->Close(false);
  ctx_.store = NewStore();
  if (ctx_.store->Open(path_, false, held_lock_) != kStoreOk) {
    busy.Release();
    ui_.Warn("Setup cannot open the tally file.\n" + ctx_.store->LastError(), "Setup Not Opened");
    open_ = false;
    return false;
  }
  ctx_.OpenAllViews(false);
  return true;
}

void HeldFile::CloseAfterSetup() {
  Commit();
  ctx_.store->Close(false);
  ctx_.store = NewStore();
}

void HeldFile::Close() {
  if (open_ && ctx_.store != nullptr) {
    SaveFailures::Closing closing(saves_);
    Log("Tally File Closed", "I", "");
    saves_.SaveBeforeClosing();
    const StandardSlots& s = ctx_.view_slots;
    for (int slot : {s.tally, s.globals, s.dictionary, s.buffer, s.message_log}) {
      if (slot >= 0) ctx_.store->ReleaseView(slot);
    }
    ctx_.store->Close(false);
  }
  open_ = false;
  ctx_.store.reset();
  held_lock_.reset();
}

void HeldFile::TellUnopenable(const std::string& display_name, int cause) {
  if (cause == kFileSharingViolation) {
    WarnFileInUse(ui_, display_name);
    return;
  }
  ui_.Warn(display_name + " cannot be opened: " + FileOpenErrorText(cause) + ".",
           UnopenableTitle(cause));
}

void HeldFile::TellUnwritable(const std::string& display_name, int error) {
  ui_.Warn(display_name + " cannot be written: " + std::strerror(error) +
               ".\nWoodtick saves every tally into the tally file as it is made, so it opens "
               "only a file it can write. Make the file writable, or copy it to a disk that "
               "can be written, and open it again.\nThe file has not been changed.",
           "File Cannot Be Written");
}

}  // namespace woodtick
