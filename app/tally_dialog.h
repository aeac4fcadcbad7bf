// TallyDialog: the screen the operator counts on. One button per
// population in a grid that follows the window's shape, the unit list, a
// status line and the optional number box. Every key pressed on it (Enter,
// Escape and the arrows included) and every button click is one tally,
// written into the main screen's key box, which runs ProcessKey.
#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "app/button_grid.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace woodtick {

class MainDialog;
class TallyModel;

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

  // Tallies one key code as a key press does.
  void TallyKey(int virtual_key);
  // The area the buttons share, in client pixels.
  QRect ButtonArea() const;

  Orientation orientation() const { return orientation_; }
  bool editing_number() const { return editing_number_; }
  QPushButton* population_button(int i) const { return buttons_[i - 1]; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  TallyModel& model() const;
  void ButtonClicked(int i);
  void AfterTally();
  void UnitActivated(int index);
  void NumberBoxLeft();

  MainDialog* owner_;
  QLabel* status_;
  QComboBox* unit_list_;
  QLabel* num_label_;
  QLineEdit* number_box_;
  std::array<QPushButton*, kMaxPopulationButtons> buttons_{};
  std::array<std::string, kMaxPopulationButtons> button_key_;
  std::array<std::string, kMaxPopulationButtons> button_base_;
  Orientation orientation_ = Orientation::kWide;
  bool editing_number_ = false;
  bool num_box_shown_ = false;
};

}  // namespace woodtick
