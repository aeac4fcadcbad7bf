// SpecifyUnitsDialog ("Specify Units"): asks for the number of units; OK
// applies it, Escape leaves it unchanged.
#pragma once

#include <QDialog>

class QLineEdit;

namespace woodtick {

class TallyModel;

class SpecifyUnitsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit SpecifyUnitsDialog(TallyModel& model, QWidget* parent = nullptr);

  void Apply();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  TallyModel& model_;
  QLineEdit* units_box_;
};

}  // namespace woodtick
