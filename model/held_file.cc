// The model and the file it holds: why a file cannot be opened, the save
// that must not fail quietly at the close, and a file that has left its
// path while open (deleted, renamed, moved or replaced).
#include <cstring>

#include "model/file_in_use_warning.h"
#include "model/tally_model.h"
#include "model/text.h"
#include "platform/file_lock.h"
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

}  // namespace

void TallyModel::TellUnopenable(const std::string& display_name, int cause) {
  if (cause == kFileSharingViolation) {
    WarnFileInUse(ui_, display_name);
    return;
  }
  ui_.Warn(display_name + " cannot be opened: " + FileOpenErrorText(cause) + ".",
           UnopenableTitle(cause));
}

void TallyModel::TellUnwritable(const std::string& display_name, int error) {
  ui_.Warn(display_name + " cannot be written: " + std::strerror(error) +
               ".\nWoodtick saves every tally into the tally file as it is made, so it opens "
               "only a file it can write. Make the file writable, or copy it to a disk that "
               "can be written, and open it again.\nThe file has not been changed.",
           "File Cannot Be Written");
}

int TallyModel::AfterSave(int result) {
  if (result == kStoreFileMoved && !moved_declined_) result = SaveMovedFile();
  if (result == kStoreOk) {
    commit_failing_ = false;
    moved_declined_ = false;
    unsaved_tallies_ = 0;
  }
  return result;
}

int TallyModel::SaveMovedFile() {
  std::string name = FileNameText(path_);
  for (;;) {
    MessageAnswer answer = ui_.ShowMessage(
        {last_failure_ + "\n\nYes: save the data as " + name +
             " again.\nNo: save the data under another name.\nCancel: not now (nothing is "
             "saved; you are asked again when the file is closed).",
         "Tally File Moved", MessageIcon::kExclamation, MessageButtons::kYesNoCancel});
    std::optional<std::string> target;
    if (answer == MessageAnswer::kYes) target = path_;
    if (answer == MessageAnswer::kNo) {
      target = ui_.AskSaveFileName(path_);
      if (!target) continue;
    }
    if (!target) {
      moved_declined_ = true;
      return kStoreFileMoved;
    }
    int result = SaveHeldDataAs(*target);
    if (result == kStoreOk) return result;
  }
}

int TallyModel::SaveHeldDataAs(const std::string& path) {
  int result = store_->SaveAs(path);
  if (result == kStoreFileUnreadable) {
    ui_.Warn("The data cannot be saved there.\n" + store_->LastError() +
                 "\nWoodtick never writes over a file it has not opened; choose a new name.",
             "Data Not Saved");
  }
  if (result != kStoreOk) return result;
  path_ = path;
  std::string file_name(BaseName(path));
  display_name_ = FileNameText(file_name);
  size_t dot = file_name.find_last_of('.');
  title_ = dot == std::string::npos ? file_name : file_name.substr(0, dot);
  held_lock_ = store_->lock();
  ui_.ShowFileName(display_name_);
  ui_.Inform("All of the data has been saved to this file:\n" + FileNameText(path), "Data Saved");
  return result;
}

void TallyModel::SaveBeforeClosing() {
  int result = Commit();
  while (result != kStoreOk) {
    std::string lost = unsaved_tallies_ > 0
                           ? "the last " + DecimalText(unsaved_tallies_) +
                                 (unsaved_tallies_ == 1 ? " tally" : " tallies") +
                                 " and every record typed or changed since the last successful save"
                           : "every record typed or changed and every setting made since the last "
                             "successful save";
    MessageAnswer answer = ui_.ShowMessage(
        {last_failure_ +
             "\n\nRetry: save again (first make room on the disk, reconnect its drive or make "
             "the file writable).\nCancel: close without saving; lost are " +
             lost + ".",
         "Data Not Saved", MessageIcon::kExclamation, MessageButtons::kRetryCancel});
    if (answer != MessageAnswer::kRetry) return;
    moved_declined_ = false;  // a file still away is offered again
    result = Commit();
  }
}

}  // namespace woodtick
