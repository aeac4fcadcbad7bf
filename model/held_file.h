// HeldFile: the tally file the model holds from its first open to its
// close. It opens the file (lock, write test, structure check, buffered
// reopen), reopens it with attached views for Setup, commits and logs with
// their failure handling, offers to save a file that has left its path,
// and makes the last save before the close.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "model/model_context.h"

namespace woodtick {

class FileLock;

class HeldFile {
 public:
  explicit HeldFile(ModelContext& ctx);
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

  std::unique_ptr<DataStore> NewStore();

  void SetChosenFile(const std::string& path, const std::string& display_name,
                     const std::string& title);
  void SetStartupFile(const std::string& path);

  // The file's part of opening: the in-use and write tests (on the first
  // open only), the structure check on the file's own views, then the
  // buffered reopen with every view. False, with the store unchanged and
  // a message shown (`busy` released first), when the file cannot be used.
  bool Open(BusyCursor& busy);
  // Saves, then reopens the file with attached views for the Setup screen.
  // False, with a message shown, when it cannot.
  bool OpenForSetup();
  // Saves and closes the file after the Setup screen, leaving a new store
  // for the reopen.
  void CloseAfterSetup();
  // Logs "Tally File Closed", makes the last save (told until the user lets
  // it go) and closes the store; then lets the store and the lock go.
  void Close();

  // Commits the store; a failure is told once per streak of failures. When
  // the file has left its path, offers to save the held data there again or
  // under another name.
  int Commit();
  // LogMessage on the store (which commits), ending a failure streak too.
  int Log(const std::string& msg, const std::string& level, const std::string& note);
  // One more tally that the next successful save secures.
  void CountTally() { ++unsaved_tallies_; }

  // While one lives, failed commits are not told (its owner tells them).
  class QuietCommitFailures {
   public:
    explicit QuietCommitFailures(HeldFile& file)
        : file_(file), was_(std::exchange(file.commit_failing_, true)) {}
    ~QuietCommitFailures() { file_.commit_failing_ = was_; }

   private:
    HeldFile& file_;
    bool was_;
  };

  bool is_open() const { return open_; }
  void set_open(bool open) { open_ = open; }
  bool startup() const { return startup_; }
  const std::string& path() const { return path_; }
  const std::string& display_name() const { return display_name_; }
  const std::string& title() const { return title_; }
  const std::shared_ptr<FileLock>& lock() const { return held_lock_; }

 private:
  class Reporter;

  void TellCommitFailure(const std::string& text);
  // What to do with a result of the store's Commit or LogMessage: a moved
  // file is offered SaveMovedFile, success ends a failure streak.
  int AfterSave(int result);
  // Asks whether to save the held data as the old path again (Yes), under
  // another name (No) or not now (Cancel); the answer of the store's SaveAs.
  int SaveMovedFile();
  int SaveHeldDataAs(const std::string& path);
  // Tells why the file at path_ cannot be opened (a FileOpenError cause).
  void TellUnopenable(const std::string& display_name, int cause);
  // Tells that the file at path_ cannot be written and why (an errno).
  void TellUnwritable(const std::string& display_name, int error);
  // The last save before the file closes: retried for as long as the user asks.
  void SaveBeforeClosing();

  ModelContext& ctx_;
  Ui& ui_;
  std::unique_ptr<Reporter> reporter_;
  bool commit_failing_ = false;  // inside a streak of failed commits
  bool closing_ = false;         // the last save: failures are told by SaveBeforeClosing
  bool in_save_ = false;         // inside Commit or Log: a moved file is offered there
  bool moved_declined_ = false;  // "not now" to saving a moved file: not asked again until
                                 // the close or a Retry there
  std::string last_failure_;     // the store's text of the last failed save
  int unsaved_tallies_ = 0;      // tallies since the last successful save
  // The open file's lock, held from the first open to the end of the run.
  std::shared_ptr<FileLock> held_lock_;

  std::string path_;
  std::string display_name_;
  std::string title_;
  bool startup_ = false;
  bool open_ = false;
};

}  // namespace woodtick
