// EditDataDialog: the record editor. Shows one record of one view at a time
// in up to six labelled fields, with navigation, New and Delete, and writes
// every change to the store at once. What differs between its callers (the
// Setup screen's populations, Edit Data, a HIT's data entry) is its
// RecordEditorMode's to answer.
//
// For a HIT the Qt Ui calls
//     EditDataDialog::RunDataEntry(model, request, parent);
// with the RecordEditorRequest the model hands to Ui::RunRecordEditor. It
// returns when the editor has closed; the record is saved however it closes.
#pragma once

#include <QDialog>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "editors/record_editor_modes.h"
#include "model/column_types.h"
#include "model/records.h"
#include "model/ui.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace woodtick {

class TallyModel;

class EditDataDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kMaxFields = 6;

  // The editor on the records of the view in `slot` of the model's store,
  // starting at the record `mode` chooses.
  EditDataDialog(TallyModel& model, int slot, std::unique_ptr<RecordEditorMode> mode,
                 QWidget* parent);
  ~EditDataDialog() override;

  // Runs the data-entry editor modally for a HIT.
  static void RunDataEntry(TallyModel& model, const RecordEditorRequest& request, QWidget* parent);

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
  // What the dialog is doing, which decides whether a field losing the
  // focus is the user leaving it.
  enum class Activity {
    kEditing,       // the user works; leaving a field runs its check
    kPlacingFocus,  // showing a record moves the focus; nobody left a field
    kRefusing,      // a refused field is getting the focus back; every other
                    // check, and leaving the record, waits for it
    kClosed,        // the record is saved for good; no field is left again
  };

  void BuildControls();
  void Open();
  void ShowRecord();
  void SaveRecord();
  void Navigate(int target);
  // Run on saving however the dialog closes; once only.
  void Finish();
  bool HasCurrentRecord() const;
  // True when field `k` losing the focus for `reason` is the user leaving
  // it, which runs its check.
  bool UserLeftField(int k, Qt::FocusReason reason) const;
  // The mode's check of field `k`; false when the value was refused and the
  // focus goes back.
  bool CheckField(int k);
  // Every field check of the current record, as leaving it (OK, Enter,
  // Escape, closing, New, navigation) requires; false at the first refusal.
  bool CheckRecord();
  void RefuseField(int k, const Message& message);
  // The text field `k` stores when it passes its column's type and range.
  std::optional<std::string> StoredText(int k) const;
  // The texts of the six fields, top to bottom, joined by ", " (empty for
  // fields not shown).
  std::string FieldTexts() const;
  std::string ColumnName(int col) const;
  void SetNavigationEnabled(bool enabled);

  TallyModel& model_;
  Records records_;
  // The view's column names, in order.
  std::vector<std::string> column_names_;
  std::unique_ptr<RecordEditorMode> mode_;
  int current_record_ = 0;
  int record_count_ = 0;
  int shown_fields_ = 0;
  // A field the sampling rules read was left: they are rebuilt on closing.
  bool strategies_stale_ = false;
  Activity activity_ = Activity::kEditing;

  QLabel* header_;
  std::array<QLabel*, kMaxFields> captions_{};
  std::array<QLineEdit*, kMaxFields> fields_{};
  // What each field last held that its check accepted (or the record
  // showed): a refused value gives way to it.
  std::array<QString, kMaxFields> accepted_{};
  // Each field's column: its type and range (Text when none is held to).
  std::array<ColumnDefinition, kMaxFields> columns_{};
  QLabel* status_;
  QPushButton* first_;
  QPushButton* previous_;
  QPushButton* next_;
  QPushButton* last_;
  QPushButton* new_;
  QPushButton* delete_;
};

}  // namespace woodtick
