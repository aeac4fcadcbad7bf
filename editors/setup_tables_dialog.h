// SetupTablesDialog ("Setup Data Tables"): lists the data tables of the open
// tally file and deletes, redefines or creates them. Runs inside the Setup
// screen, with the file held open and its views attached.
#pragma once

#include <QDialog>
#include <string>

#include "editors/define_columns_dialog.h"

class QComboBox;

namespace woodtick {

class TallyModel;

class SetupTablesDialog : public QDialog {
  Q_OBJECT

 public:
  // Works on the model's data tables and its tables-defined text.
  SetupTablesDialog(TallyModel& model, QWidget* parent);

  // The three buttons.
  void DeleteTable();
  void EditTable();
  void CreateTable();

 protected:
  // Centred once the window exists, so its frame is part of the sum.
  void showEvent(QShowEvent* event) override;

 private:
  // Fills the table list from the model's tables-defined text.
  void FillTableList();
  // The text of the selected entry; "" when none is selected.
  std::string SelectedTable() const;
  // Runs DefineColumnsDialog on exchange_ for a new table (`creating`: the
  // name may be typed) or an existing one; true when it closed with OK,
  // which it does only with texts the table can be built from.
  bool RunDefineColumns(bool creating, bool* columns_visited);
  // exchange_ as the table is built from it: blanks trimmed from the
  // column list and, for a new table, every blank gone from the name.
  void NormalizeExchange(bool creating);

  TallyModel& model_;
  ColumnsExchange exchange_;
  QComboBox* table_list_;
};

}  // namespace woodtick
