// SetupDialog: prepares a tally: the number of units, the populations, the
// data tables and the four options. It runs inside RunSetup with the file
// held open; every control writes its setting at once and closing commits.
#pragma once

#include <QDialog>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace woodtick {

class TallyModel;
class TallySettings;

class SetupDialog : public QDialog {
  Q_OBJECT

 public:
  SetupDialog(TallyModel& model, int num_populations, QWidget* parent = nullptr);
  ~SetupDialog() override;  // commits

  // The buttons and controls.
  void ChangeUnits();
  void SetupPopulations();
  void SetupDataTables();
  // "Import Populations…": a species list chosen in a file dialog, shown
  // before it is added; ImportPopulationsFrom is the same past the dialog.
  void ImportPopulations();
  void ImportPopulationsFrom(const QString& path);
  void SaveIntervalChosen(int position);
  void SoundClicked();
  void CountsOnButtonsClicked();
  // Also run after every change of populations or data tables.
  void ShowNumBoxClicked();

  // All populations share one data table and it has a "Num" column;
  // warns and fails otherwise.
  bool ShowNumBoxAllowed();

  int num_populations() const { return num_populations_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowPopulationCount();
  void Warn(const std::string& text);

  // The table editors work on the whole model; everything else is the
  // settings part's.
  TallyModel& model_;
  TallySettings& settings_;
  int num_populations_;

  QLabel* num_units_;
  QPushButton* change_;
  QLabel* num_pops_;
  QPushButton* data_tables_;
  QPushButton* populations_;
  QComboBox* save_interval_;
  QCheckBox* sound_;
  QCheckBox* counts_on_buttons_;
  QCheckBox* show_num_box_;
};

}  // namespace woodtick
