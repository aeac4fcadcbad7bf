// EditDataDialog: the record editor. Shows one record of one view at a time
// in up to six labelled fields, with navigation, New and Delete, and writes
// every change to the store at once. Three callers use it:
//
//   populations  the Setup screen, on the Tally view, from the first row;
//   edit data    Select The Table to Edit, on a data table, from the last row;
//   data entry   a HIT, on the record just appended to the population's data
//                table, with Unit, Label (and Num) filled from the HIT.
//
// For a HIT the Qt Ui calls
//     EditDataDialog::RunDataEntry(model, request, parent);
// with the RecordEditorRequest the model hands to Ui::RunRecordEditor. It
// returns when the editor has closed; the record is saved however it closes.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>

#include "model/ui.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace woodtick {

class DataStore;
class TallyModel;

enum class EditDataMode { kPopulations, kEditData, kDataEntry };

class EditDataDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kMaxFields = 6;
  static constexpr int kMaxPopulations = 20;

  // Populations or edit-data mode on the view in `slot` of `store`,
  // starting at `record` (edit-data mode moves to the last record).
  EditDataDialog(TallyModel& model, DataStore& store, int slot, int record, EditDataMode mode,
                 QWidget* parent);
  // Data-entry mode on request.row of request.slot in *request.store.
  EditDataDialog(TallyModel& model, const RecordEditorRequest& request, QWidget* parent);
  ~EditDataDialog() override;

  // Runs the data-entry editor modally for a HIT.
  static void RunDataEntry(TallyModel& model, const RecordEditorRequest& request, QWidget* parent);

  // Populations mode: told +1 or -1 whenever a population is added or
  // deleted, for the Setup screen's own count. The dialog already keeps the
  // model's count (TallyModel::ChangeNumPopulations); do not repeat it here.
  void SetPopulationCountChanged(std::function<void(int)> changed) {
    population_count_changed_ = std::move(changed);
  }

  int current_record() const { return current_record_; }
  int record_count() const { return record_count_; }

  // The buttons.
  void GoFirst();
  void GoPrevious();
  void GoNext();
  void GoLast();
  void NewRecord();
  void DeleteRecord();

  void done(int result) override;

 protected:
  // Centred once the window exists, so its frame is part of the sum.
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void Open();
  void ShowRecord();
  void SaveRecord();
  void Navigate(int target);
  // Run on saving however the dialog closes; once only.
  void Finish();
  // The checks of the Key and DatTable fields, run when field `k` loses the
  // focus; false when the value was refused and the focus goes back.
  bool CheckField(int k);
  // Every field check of the current record, as leaving it (OK, Enter,
  // Escape, closing, New, navigation) requires; false at the first refusal.
  bool CheckRecord();
  // The Label of another population whose Key is `key` in any letter case
  // ("in record N" when it has none); "" when no other has it.
  std::string PopulationWithKey(const std::string& key) const;
  void RefuseField(int k, const Message& message);
  std::string ColumnName(int col) const;
  std::string ViewName() const;
  void SetNavigationEnabled(bool enabled);

  TallyModel& model_;
  DataStore& store_;
  int slot_;
  int current_record_;
  int record_count_ = 0;
  int column_count_ = 0;
  int shown_fields_ = 0;
  EditDataMode mode_;
  // Data entry.
  std::string unit_text_;
  std::string label_text_;
  bool fill_from_hit_ = false;
  bool fill_num_ = false;
  std::string hit_number_text_;

  bool populations_changed_ = false;
  bool finished_ = false;
  // A refused field is being given the focus back; other checks wait.
  bool refocusing_ = false;
  // The dialog itself is placing the focus (showing a record).
  bool moving_focus_ = false;
  std::function<void(int)> population_count_changed_;

  QLabel* header_;
  std::array<QLabel*, kMaxFields> captions_{};
  std::array<QLineEdit*, kMaxFields> fields_{};
  QLabel* status_;
  QPushButton* first_;
  QPushButton* previous_;
  QPushButton* next_;
  QPushButton* last_;
  QPushButton* new_;
  QPushButton* delete_;
};

}  // namespace woodtick
