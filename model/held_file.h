// HeldFile: the tally file the model holds from its first open to its
// close: its path and names, the lock held on it, the checks on opening
// (lock, write test, structure check, buffered reopen) and the reopen with
// attached views for Setup. It is the only part that replaces the model's
// store. Its saves, and what happens when one fails, are SaveFailures'.
#pragma once

#include <memory>
#include <string>

#include "model/model_context.h"
#include "model/save_failures.h"

namespace woodtick {

class FileLock;

class HeldFile : private SaveFailures::File {
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

  // The saves of the file (SaveFailures).
  SaveFailures& saves() { return saves_; }
  int Commit() { return saves_.Commit(); }
  int Log(const std::string& msg, const std::string& level, const std::string& note) {
    return saves_.Log(msg, level, note);
  }
  void CountTally() { saves_.CountTally(); }

  bool is_open() const { return open_; }
  void set_open(bool open) { open_ = open; }
  bool startup() const { return startup_; }
  const std::string& path() const override { return path_; }
  const std::string& display_name() const { return display_name_; }
  const std::string& title() const { return title_; }
  const std::shared_ptr<FileLock>& lock() const { return held_lock_; }

 private:
  void MovedTo(const std::string& path) override;
  // Tells why the file at path_ cannot be opened (a FileOpenError cause).
  void TellUnopenable(const std::string& display_name, int cause);
  // Tells that the file at path_ cannot be written and why (an errno).
  void TellUnwritable(const std::string& display_name, int error);

  ModelContext& ctx_;
  Ui& ui_;
  SaveFailures saves_{ctx_, *this};
  // The open file's lock, held from the first open to the end of the run.
  std::shared_ptr<FileLock> held_lock_;

  std::string path_;
  std::string display_name_;
  std::string title_;
  bool startup_ = false;
  bool open_ = false;
};

}  // namespace woodtick
