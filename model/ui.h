// Ui: everything the tally model needs from the screens, in one interface.
//
// The model never shows a window. Message boxes, confirmations, the busy
// cursor, beeps, the record editor opened by a HIT, the Setup screen run by
// RunSetup, the name asked by Create Template and the few things the model
// tells the main and tally screens all pass through here. The Qt program
// implements it; tests use model/testing/fake_ui.h.
//
// Texts are 8-bit Windows-1252 bytes, as the tally file holds them.
#pragma once

#include <optional>
#include <string>

namespace woodtick {

class DataStore;
class TallyModel;

// The caption of boxes titled with the program's name.
inline constexpr const char* kProgramTitle = "Woodtick";

enum class MessageIcon {
  kNone,
  kInformation,  // results
  kExclamation,  // warnings and confirmations of destructive actions
};

enum class MessageButtons { kOk, kYesNo, kOkCancel, kYesNoCancel, kRetryCancel };

enum class MessageAnswer { kOk, kCancel, kYes, kNo, kRetry };

struct Message {
  std::string text;
  std::string title;
  MessageIcon icon = MessageIcon::kExclamation;
  MessageButtons buttons = MessageButtons::kOk;
  // The button Enter presses; unset, the first of `buttons`.
  std::optional<MessageAnswer> default_answer = std::nullopt;
};

// What the record editor needs when a HIT adds a data record: it opens in
// data-entry mode on `row` of the view in `slot` of `store`, prefilling the
// columns "Unit" and "Label", and "Num" when `fill_num` is set.
struct RecordEditorRequest {
  DataStore* store = nullptr;
  int slot = -1;
  int row = -1;
  std::string unit_text;        // the current unit, "%03d"
  std::string label;            // the population's Label
  bool fill_num = false;        // the tally screen shows its Num box (ShowNumBox)
  std::string hit_number_text;  // what the Num box shows
};

class Ui {
 public:
  virtual ~Ui() = default;

  // --- message boxes (modal; the busy cursor is never up while one shows)
  virtual MessageAnswer ShowMessage(const Message& message) = 0;

  // --- the wait cursor; calls nest. Use BusyCursor rather than these.
  virtual void BeginBusy() = 0;
  virtual void EndBusy() = 0;

  // A tone of `frequency_hz` for `duration_ms`. Must return at once: tones
  // play one after another in the order asked, while the next key is
  // already being processed.
  virtual void Beep(int frequency_hz, int duration_ms) = 0;

  // The record editor in data-entry mode, modal; returns when it closes.
  virtual void RunRecordEditor(const RecordEditorRequest& request) = 0;

  // The Setup screen, modal, while the model holds the file open for it,
  // with `num_populations` Tally rows. `model` is the owner whose parts the
  // screen reads and writes.
  virtual void RunSetupScreen(TallyModel& model, int num_populations) = 0;

  // The Create Tally Template screen: the typed name on OK (at most 30
  // characters), as the file system spells it, since it names the file;
  // nothing on Cancel.
  virtual std::optional<std::string> AskTemplateName() = 0;

  // A file-save dialog for a new tally file, starting at `suggested_path`:
  // the chosen path as the file system spells it, nothing on Cancel.
  virtual std::optional<std::string> AskSaveFileName(const std::string& suggested_path) = 0;

  // --- what the model tells the screens
  // Opening has passed the in-use test: show the display name and enable
  // Setup, Edit Data, Tally and Utilities.
  virtual void ShowFileName(const std::string& display_name) = 0;
  // Opening finished: the file is open, "Select Tally File" goes off.
  virtual void FileOpened() = 0;
  // A key reached the key box: the Untally command goes on (and stays on).
  virtual void EnableUntally() = 0;
  // The hit number changed (a HIT, or a unit change with ShowNumBox on):
  // the tally screen's Num box shows `text`.
  virtual void ShowHitNumber(const std::string& text) = 0;
  // The current unit changed with ShowCountsOnButtons on: the tally screen
  // lays its population buttons out again with the new unit's counts.
  virtual void RedrawPopulationButtons() = 0;

  // Convenience wrappers over ShowMessage.
  void Warn(const std::string& text, const std::string& title);
  void Inform(const std::string& text, const std::string& title);
  // Exclamation icon, Yes and No, No the default: what is confirmed
  // destroys data, so a stray Enter must not. True for Yes.
  bool Confirm(const std::string& text, const std::string& title);
};

// Holds the wait cursor for a scope; Release() takes it down early (before a
// message box) and is safe to call twice.
class BusyCursor {
 public:
  explicit BusyCursor(Ui& ui) : ui_(&ui) { ui_->BeginBusy(); }
  ~BusyCursor() { Release(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;

  void Release() {
    if (ui_ != nullptr) ui_->EndBusy();
    ui_ = nullptr;
  }

 private:
  Ui* ui_;
};

}  // namespace woodtick
