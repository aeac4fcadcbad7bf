// The saves of the held file: a failure is told once per streak, a file
// that has left its path while open (deleted, renamed, moved or replaced)
// is offered to be saved again, and the save before the close is not let
// go quietly.
#include "model/held_file.h"
#include "model/text.h"
#include "platform/file_name_text.h"

namespace woodtick {

int HeldFile::Commit() {
  in_save_ = true;
  int result = ctx_.store->Commit();
  in_save_ = false;
  return AfterSave(result);
}

int HeldFile::Log(const std::string& msg, const std::string& level, const std::string& note) {
  in_save_ = true;
  int result = ctx_.store->LogMessage(msg, level, note);
  in_save_ = false;
  return AfterSave(result);
}

void HeldFile::TellCommitFailure(const std::string& text) {
  last_failure_ = text;
  if (commit_failing_ || closing_) return;
  commit_failing_ = true;
  ui_.ShowMessage({text + "\n\nMake sure the disk has room and the tally file can be written (for "
                          "example that its drive is still connected). You are told again only "
                          "after a save has succeeded, and always when the file is closed.",
                   "Data Not Saved", MessageIcon::kExclamation, MessageButtons::kOk});
}

int HeldFile::AfterSave(int result) {
  if (result == kStoreFileMoved && !moved_declined_) result = SaveMovedFile();
  if (result == kStoreOk) {
    commit_failing_ = false;
    moved_declined_ = false;
    unsaved_tallies_ = 0;
  }
  return result;
}

int HeldFile::SaveMovedFile() {
  std::string name = FileNameText(path_);
  // Why the file is offered stays the same when a try to save it fails.
  const std::string moved = last_failure_;
  for (;;) {
    MessageAnswer answer = ui_.ShowMessage(
        {moved + "\n\nYes: save the data as " + name +
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

int HeldFile::SaveHeldDataAs(const std::string& path) {
  int result = ctx_.store->SaveAs(path);
  if (result == kStoreFileUnreadable) {
    ui_.Warn("The data cannot be saved there.\n" + ctx_.store->LastError() +
                 "\nWoodtick never writes over a file it has not opened; choose a new name.",
             "Data Not Saved");
  }
  if (result != kStoreOk) return result;
  path_ = path;
  std::string file_name(BaseName(path));
  display_name_ = FileNameText(file_name);
  size_t dot = file_name.find_last_of('.');
  title_ = dot == std::string::npos ? file_name : file_name.substr(0, dot);
  held_lock_ = ctx_.store->lock();
  ui_.ShowFileName(display_name_);
  ui_.Inform("All of the data has been saved to this file:\n" + FileNameText(path), "Data Saved");
  return result;
}

void HeldFile::SaveBeforeClosing() {
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
