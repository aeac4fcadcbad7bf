// SelectTableDialog ("Select The Table to Edit"): chooses a data table and
// opens the record editor on it, from the main screen's Edit Data button.
#pragma once

#include <QDialog>

class QComboBox;

namespace woodtick {

class TallyModel;

class SelectTableDialog : public QDialog {
  Q_OBJECT

 public:
  // Lists the model's data tables; edits their records through the model.
  SelectTableDialog(TallyModel& model, QWidget* parent);

  // "Edit this Table": the record editor on the named table, then a commit.
  void EditTable();

 protected:
  // Centred once the window exists, so its frame is part of the sum.
  void showEvent(QShowEvent* event) override;

 private:
  TallyModel& model_;
  QComboBox* table_list_;
};

}  // namespace woodtick
