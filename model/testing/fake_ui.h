// FakeUi: a scripted Ui for tests. It records every message box, beep,
// record-editor request and screen notification, answers confirmations
// from a queue, and runs test-supplied stand-ins for the Setup screen, the
// record editor and the template-name dialog.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/tally_model.h"
#include "model/ui.h"

namespace woodtick {

class FakeUi : public Ui {
 public:
  struct Beeped {
    int frequency_hz;
    int duration_ms;
    bool operator==(const Beeped&) const = default;
  };

  MessageAnswer ShowMessage(const Message& message) override {
    messages.push_back(message);
    if (on_message) on_message(message);
    busy_during_message = busy_during_message || busy_depth > 0;
    if (message.buttons == MessageButtons::kOk) return MessageAnswer::kOk;
    // Unscripted, the boxes that can end a loop answer with their way out.
    MessageAnswer answer = MessageAnswer::kOk;
    if (message.buttons == MessageButtons::kYesNo) answer = MessageAnswer::kYes;
    if (message.buttons == MessageButtons::kYesNoCancel ||
        message.buttons == MessageButtons::kRetryCancel) {
      answer = MessageAnswer::kCancel;
    }
    if (!answers.empty()) {
      answer = answers.front();
      answers.pop_front();
    }
    return answer;
  }
  void BeginBusy() override {
    ++busy_depth;
    ++busy_count;
  }
  void EndBusy() override { --busy_depth; }
  void Beep(int frequency_hz, int duration_ms) override {
    beeps.push_back({frequency_hz, duration_ms});
  }
  void RunRecordEditor(const RecordEditorRequest& request) override {
    editor_requests.push_back(request);
    if (record_editor) record_editor(request);
  }
  void RunSetupScreen(TallyModel& model, int num_populations) override {
    ++setup_runs;
    setup_populations = num_populations;
    if (setup_screen) setup_screen(model, *model.store(), num_populations);
  }
  std::optional<std::string> AskTemplateName() override {
    if (template_names.empty()) return std::nullopt;
    std::optional<std::string> name = std::move(template_names.front());
    template_names.pop_front();
    return name;
  }
  std::optional<std::string> AskSaveFileName(const std::string& suggested_path) override {
    save_suggestions.push_back(suggested_path);
    if (save_file_names.empty()) return std::nullopt;
    std::optional<std::string> name = std::move(save_file_names.front());
    save_file_names.pop_front();
    return name;
  }
  void ShowFileName(const std::string& display_name) override { shown_name = display_name; }
  void FileOpened() override { ++files_opened; }
  void EnableUntally() override { untally_enabled = true; }
  void ShowHitNumber(const std::string& text) override { hit_numbers.push_back(text); }
  void RedrawPopulationButtons() override { ++button_redraws; }

  // How many boxes with this title were shown.
  int CountTitled(const std::string& title) const {
    int n = 0;
    for (const Message& m : messages) n += m.title == title;
    return n;
  }
  // The texts of all messages shown, in order.
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const Message& m : messages) texts.push_back(m.text);
    return texts;
  }
  const Message* LastMessage() const { return messages.empty() ? nullptr : &messages.back(); }

  // --- script
  std::deque<MessageAnswer> answers;  // for Yes/No and OK/Cancel boxes; default Yes / OK
  std::deque<std::optional<std::string>> template_names;   // nullopt: Cancel
  std::deque<std::optional<std::string>> save_file_names;  // nullopt: Cancel
  std::function<void(const RecordEditorRequest&)> record_editor;
  std::function<void(TallyModel&, DataStore&, int)> setup_screen;
  std::function<void(const Message&)> on_message;  // while the box is up

  // --- record
  std::vector<Message> messages;
  std::vector<Beeped> beeps;
  std::vector<RecordEditorRequest> editor_requests;
  std::vector<std::string> hit_numbers;
  std::vector<std::string> save_suggestions;
  std::string shown_name;
  int busy_depth = 0;
  int busy_count = 0;
  bool busy_during_message = false;
  int files_opened = 0;
  bool untally_enabled = false;
  int button_redraws = 0;
  int setup_runs = 0;
  int setup_populations = -1;
};

}  // namespace woodtick
