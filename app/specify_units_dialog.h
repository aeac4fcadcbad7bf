// SpecifyUnitsDialog ("Specify Units"): asks for the number of units; OK
// applies it, Escape leaves it unchanged.
#pragma once

#include <QDialog>

class QLineEdit;

namespace woodtick {

class TallySettings;

class SpecifyUnitsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit SpecifyUnitsDialog(TallySettings& settings, QWidget* parent = nullptr);

  void Apply();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  TallySettings& settings_;
  QLineEdit* units_box_;
};

}  // namespace woodtick
