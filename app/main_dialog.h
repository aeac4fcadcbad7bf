// MainDialog: the program's hub. It owns the TallyModel of the one tally
// file opened per run, opens every other screen over itself, and carries
// the hidden key box through which every tally reaches ProcessKey.
#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "model/tally_model.h"

class QLineEdit;
class QPushButton;

namespace woodtick {

class QtUi;
class TallyDialog;

class MainDialog : public QDialog {
  Q_OBJECT

 public:
  struct Options {
    std::string command_line_file;                   // the file to open at start, or empty
    std::vector<std::string> command_line_problems;  // told after the banner
    bool show_banner = true;                         // the About box before the main screen
    TallyModelOptions model;
  };

  explicit MainDialog(Options options, QWidget* parent = nullptr);
  ~MainDialog() override;

  // The start-up steps: the About banner, then the command-line file.
  void Initialise();

  TallyModel& model() { return *model_; }
  QtUi& ui() { return *ui_; }

  // Writes the hidden key box; each write runs ProcessKey at once. What the
  // last key did.
  TallyResult WriteKeyBox(const std::string& text);

  // The model's notices (through QtUi).
  void ShowFileName(const std::string& display_name);
  void FileOpened();
  void EnableUntally();

  // The buttons' commands.
  void SelectTallyFile();
  void Setup();
  void EditData();
  void Tally();
  void Utilities();
  void About();
  void Untally();

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  // Exit, Escape and the window's close: the last save runs (and may be
  // retried) while the main screen is still shown.
  void done(int result) override;

 private:
  void OnKeyBoxEdited(const QString& text);

  Options options_;
  std::unique_ptr<QtUi> ui_;  // outlives the model, which calls it when closing
  std::unique_ptr<TallyModel> model_;

  QPushButton* select_file_;
  QLineEdit* file_name_;
  QPushButton* setup_;
  QPushButton* edit_data_;
  QPushButton* tally_;
  QPushButton* utilities_;
  QPushButton* about_;
  QPushButton* untally_;
  QPushButton* help_;
  QPushButton* exit_;
  QLineEdit* key_box_;
};

}  // namespace woodtick
