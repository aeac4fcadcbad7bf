#include "model/save_failures.h"

#include "model/text.h"
#include "platform/file_name_text.h"

namespace woodtick {

// Turns the store's reports into message boxes.
class SaveFailures::Reporter : public StoreReporter {
 public:
  explicit Reporter(SaveFailures& saves) : saves_(saves) {}
  void InternalError(const std::string& text) override {
    saves_.ui_.ShowMessage({text, kProgramTitle, MessageIcon::kExclamation, MessageButtons::kOk});
  }
  void CommitFailed(const std::string& text) override { saves_.TellCommitFailure(text); }
  void FileMoved(const std::string& text) override {
    saves_.last_failure_ = text;
    // The model's own saves offer to save the data elsewhere instead.
    if (!saves_.in_save_) saves_.TellCommitFailure(text);
  }

 private:
  SaveFailures& saves_;
};

SaveFailures::SaveFailures(ModelContext& ctx, File& file)
    : ctx_(ctx), ui_(ctx.ui), file_(file), reporter_(std::make_unique<Reporter>(*this)) {}

SaveFailures::~SaveFailures() = default;

StoreReporter* SaveFailures::reporter() { return reporter_.get(); }

int SaveFailures::Commit() {
  in_save_ = true;
  int result = ctx_.store->Commit();
  in_save_ = false;
  return AfterSave(result);
}

int SaveFailures::Log(const std::string& msg, const std::string& level, const std::string& note) {
  in_save_ = true;
  int result = ctx_.store->LogMessage(msg, level, note);
  in_save_ = false;
  return AfterSave(result);
}

void SaveFailures::TellCommitFailure(const std::string& text) {
  last_failure_ = text;
  if (commit_failing_ || closing_) return;
  commit_failing_ = true;
  ui_.ShowMessage({text + "\n\nMake sure the disk has room and the tally file can be written (for "
                          "example that its drive is still connected). You are told again only "
                          "after a save has succeeded, and always when the file is closed.",
                   "Data Not Saved", MessageIcon::kExclamation, MessageButtons::kOk});
}

int SaveFailures::AfterSave(int result) {
  if (result == kStoreFileMoved && !moved_declined_) result = SaveMovedFile();
  if (result == kStoreOk) {
    commit_failing_ = false;
    moved_declined_ = false;
    unsaved_tallies_ = 0;
  }
  return result;
}

int SaveFailures::SaveMovedFile() {
  const std::string path = file_.path();
  std::string name = FileNameText(path);
  // Why the file is offered stays the same when a try to save it fails.
  const std::string moved = last_failure_;
  for (;;) {
    MessageAnswer answer = ui_.ShowMessage(
        {moved + "\n\nYes: save the data as " + name +
             " again.\nNo: save the data under another name.\nCancel: not now (nothing is "
             "saved; you are asked again when the file is closed).",
         "Tally File Moved", MessageIcon::kExclamation, MessageButtons::kYesNoCancel});
    std::optional<std::string> target;
    if (answer == MessageAnswer::kYes) target = path;
    if (answer == MessageAnswer::kNo) {
      target = ui_.AskSaveFileName(path);
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

int SaveFailures::SaveHeldDataAs(const std::string& path) {
  int result = ctx_.store->SaveAs(path);
  if (result == kStoreFileUnreadable) {
    ui_.Warn("The data cannot be saved there.\n" + ctx_.store->LastError() +
                 "\nWoodtick never writes over a file it has not opened; choose a new name.",
             "Data Not Saved");
  }
  if (result != kStoreOk) return result;
  file_.MovedTo(path);
  ui_.Inform("All of the data has been saved to this file:\n" + FileNameText(path), "Data Saved");
  return result;
}

void SaveFailures::SaveBeforeClosing() {
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
