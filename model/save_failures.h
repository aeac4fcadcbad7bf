// SaveFailures: the saves of the held tally file and what happens when one
// fails. A failure is told once per streak of failures; a file that has
// left its path while open (deleted, renamed, moved or replaced) is offered
// to be saved again, there or under another name; and the last save before
// the close is not let go quietly: it is retried for as long as the user
// asks, telling what would be lost.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "model/model_context.h"
#include "store/store_reporter.h"

namespace woodtick {

class SaveFailures {
 public:
  // The file the saves go to, as the one holding it knows it.
  class File {
   public:
    virtual const std::string& path() const = 0;
    // The held data now lives at `path` (saved there by the store, which
    // holds its lock).
    virtual void MovedTo(const std::string& path) = 0;

   protected:
    ~File() = default;
  };

  SaveFailures(ModelContext& ctx, File& file);
  ~SaveFailures();
  SaveFailures(const SaveFailures&) = delete;
  SaveFailures& operator=(const SaveFailures&) = delete;

  // What a store of the held file reports to.
  StoreReporter* reporter();

  // Commits the store; a failure is told once per streak of failures. When
  // the file has left its path, offers to save the held data there again or
  // under another name. A store result code, for callers that act on a
  // failure beyond telling it.
  int Commit();
  // LogMessage on the store (which commits), ending a failure streak too.
  int Log(const std::string& msg, const std::string& level, const std::string& note);
  // One more tally that the next successful save secures.
  void CountTally() { ++unsaved_tallies_; }
  // The last save before the file closes, inside a Closing: retried for as
  // long as the user asks.
  void SaveBeforeClosing();

  // While one lives, failed commits are not told (its owner tells them).
  class Quiet {
   public:
    explicit Quiet(SaveFailures& saves)
        : saves_(saves), was_(std::exchange(saves.commit_failing_, true)) {}
    ~Quiet() { saves_.commit_failing_ = was_; }

   private:
    SaveFailures& saves_;
    bool was_;
  };
  // While one lives the file is closing: failures are told by
  // SaveBeforeClosing, and a file that left its path is offered once more.
  class Closing {
   public:
    explicit Closing(SaveFailures& saves) : saves_(saves) {
      saves_.closing_ = true;
      saves_.moved_declined_ = false;
    }
    ~Closing() { saves_.closing_ = false; }

   private:
    SaveFailures& saves_;
  };

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

  ModelContext& ctx_;
  Ui& ui_;
  File& file_;
  std::unique_ptr<Reporter> reporter_;
  bool commit_failing_ = false;  // inside a streak of failed commits
  bool closing_ = false;         // the last save: failures are told by SaveBeforeClosing
  bool in_save_ = false;         // inside Commit or Log: a moved file is offered there
  bool moved_declined_ = false;  // "not now" to saving a moved file: not asked again until
                                 // the close or a Retry there
  std::string last_failure_;     // the store's text of the last failed save
  int unsaved_tallies_ = 0;      // tallies since the last successful save
};

}  // namespace woodtick
