// QtUi: the model's Ui shown with Qt. Message boxes, the wait cursor,
// tones, the record editor of a HIT, the Setup and Create Template screens,
// and the notices the model gives the main and tally screens.
#pragma once

#include <functional>

#include "model/ui.h"

class QWidget;

namespace woodtick {

class MainDialog;
class TallyDialog;

class QtUi : public Ui {
 public:
  explicit QtUi(MainDialog* main = nullptr) : main_(main) {}

  // The tally screen while it is shown; null otherwise.
  void set_tally_dialog(TallyDialog* tally) { tally_ = tally; }
  TallyDialog* tally_dialog() const { return tally_; }

  MessageAnswer ShowMessage(const Message& message) override;
  void BeginBusy() override;
  void EndBusy() override;
  void Beep(int frequency_hz, int duration_ms) override;
  void RunRecordEditor(const RecordEditorRequest& request) override;
  void RunSetupScreen(TallyModel& model, int num_populations) override;
  std::optional<std::string> AskTemplateName() override;
  std::optional<std::string> AskSaveFileName(const std::string& suggested_path) override;
  void ShowFileName(const std::string& display_name) override;
  void FileOpened() override;
  void EnableUntally() override;
  void ShowHitNumber(const std::string& text) override;
  void RedrawPopulationButtons() override;

  // The window new screens and message boxes sit over: the active modal
  // screen, else the main screen.
  QWidget* DialogParent() const;

 private:
  MainDialog* main_;
  TallyDialog* tally_ = nullptr;
};

}  // namespace woodtick
