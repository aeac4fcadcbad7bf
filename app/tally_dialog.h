// TallyDialog: the screen the operator counts on. One button per
// population in a grid that follows the window's shape, the unit list, a
// status line and the optional number box. Every key pressed on it (Enter,
// Escape and the arrows included) and every button click is one tally,
// written into the main screen's key box, which runs ProcessKey.
//
// The screen opens at the common screen size and may be resized and
// maximized with the window frame; the grid and the captions follow every
// resize, and the size is remembered for the next showing. The top row
// (unit list, status line, number box) grows with the window, and so does
// a HIT's record editor over it. A HIT flashes the tallied button; an
// invalid key shows the status line as a warning with the key's name.
//
// Every key that reaches this screen is a tally, in the order pressed: keys
// that arrive while a HIT's record editor is still opening, or in the
// moment after it appears, are kept and tallied after it closes; the editor
// takes only the keys that can answer it.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QStringList>
#include <array>
#include <deque>
#include <memory>
#include <string>

#include "app/button_grid.h"
#include "app/hit_flash.h"
#include "model/tallying.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace woodtick {

class EditDataDialog;
class MainDialog;
class TallyModel;
class TallySettings;
class Tallying;
struct RecordEditorRequest;

// A key pressed this soon after a HIT's record editor has appeared cannot
// be an answer to it (a person needs longer to see it): it was typed ahead
// and is a tally.
inline constexpr int kRecordEditorNoticeMs = 200;

class TallyDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TallyDialog(MainDialog* owner);
  ~TallyDialog() override;

  // Places the population buttons over the button area with their
  // captions; also the model's redraw after a unit change.
  void LayoutButtons();
  // The caption of button i (from 1) with the counts ProcessKey left.
  void RefreshButtonCaption(int i);
  // The number box shows the last hit number of the selected unit.
  void RefreshHitNumber();
  // The number box shows `text` (the model's notice after a HIT).
  void ShowHitNumber(const QString& text);

  // A HIT's record editor over this screen: the HIT shows first, keys
  // already on their way are kept as tallies, and the editor takes the
  // keyboard only once it has appeared. Returns when it closes.
  void RunRecordEditor(const RecordEditorRequest& request);
  // That editor, grown with this screen, not yet shown.
  std::unique_ptr<EditDataDialog> MakeRecordEditor(const RecordEditorRequest& request);
  // The record editor open over this screen; null when none.
  EditDataDialog* record_editor() const { return editor_; }
  // It has been shown, active, for kRecordEditorNoticeMs: keys are its own.
  bool record_editor_takes_keys();

  // The area the buttons share, in client pixels.
  QRect ButtonArea() const;
  // Forgets the remembered window size (the next showing opens at the
  // common screen size).
  static void ForgetWindowSize();

  Orientation orientation() const { return orientation_; }
  bool editing_number() const { return editing_number_; }
  QPushButton* population_button(int i) const { return buttons_[i - 1]; }
  QLabel* status_line() const { return status_; }
  const HitFlash& hit_flash() const { return flash_; }
  // How much the top row and a HIT's record editor are grown, from 1.
  double growth() const { return growth_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  // One key or click to tally, and how the status line names its key.
  struct Keystroke {
    std::string key;
    QString name;
  };
  static Keystroke KeystrokeOf(const QKeyEvent& key);

  // The record editor of a HIT works on the whole model; the screen
  // itself on the tallying and the settings parts.
  TallyModel& model() const;
  Tallying& tallying() const;
  const TallySettings& settings() const;
  void ButtonClicked(int i);
  // Tallies `keystroke`, or keeps it for its turn while a tally is running.
  void Tally(const Keystroke& keystroke);
  // Status line, flash, warning and caption after a tally.
  void ShowTallyResult(const TallyResult& result);
  // While a tally runs: keeps what is meant as a tally, holds back the rest
  // of this screen's input; true when `event` is taken.
  bool HoldInput(QWidget* widget, QEvent* event);
  // The grown font of the top row, for the window's size.
  void UpdateGrowth();
  // The number box and the status line keep their distance from the right
  // edge; the status line takes the width between.
  void PlaceTopRow();
  // The buttons over the grid cells, captions fitted to them.
  void PlaceButtons();
  void FitCaption(int j);
  void FitStatus();
  void RestoreWindowSize();
  void SaveWindowSize();
  void UnitActivated(int index);
  void NumberBoxLeft();

  MainDialog* owner_;
  QLabel* unit_caption_;
  QLabel* status_;
  QComboBox* unit_list_;
  QLabel* num_label_;
  QLineEdit* number_box_;
  std::array<QPushButton*, kMaxPopulationButtons> buttons_{};
  std::array<std::string, kMaxPopulationButtons> button_key_;
  std::array<QString, kMaxPopulationButtons> button_label_;
  // The lines under the label: "[key]" and, with counts, "C:" and "M:".
  std::array<QStringList, kMaxPopulationButtons> button_lines_;
  int shown_buttons_ = 0;
  // The captions' common point size: the largest at which all fit.
  double caption_points_ = 0;
  QString status_head_;  // the label part of the status text, elided first
  QString status_tail_;
  HitFlash flash_;
  Orientation orientation_ = Orientation::kWide;
  bool editing_number_ = false;
  bool num_box_shown_ = false;
  double growth_ = 1;
  int button_top_ = 35;
  // Keystrokes waiting for the tally in progress to end, oldest first.
  std::deque<Keystroke> waiting_;
  Keystroke current_;
  bool tallying_ = false;
  bool shown_early_ = false;  // the running tally was shown before its editor
  EditDataDialog* editor_ = nullptr;
  QElapsedTimer editor_shown_;  // since it appeared with the keyboard
};

}  // namespace woodtick
