#include "editors/setup_tables_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "editors/table_list_combo.h"
#include "model/table_definitions.h"
#include "model/tally_model.h"
#include "model/ui.h"
#include "widgets/controls.h"
#include "widgets/dialog_units.h"
#include "widgets/text.h"

namespace woodtick {
SetupTablesDialog::SetupTablesDialog(TallyModel& model, QWidget* parent)
    : QDialog(parent), model_(model) {
  setObjectName("setupTablesDialog");
  SetUpDialog(this, "Setup Data Tables");

  AddLabel(this, "existingTablesLabel", "Existing Tables:", Qt::AlignRight, 6, 12, 53, 8);
  table_list_ = CreateTableCombo(this, "tableList", 62, 10, 88, 53);

  connect(AddButton(this, "deleteTable", "&Delete this Table", 46, 42, 69, 14),
          &QPushButton::clicked, this, &SetupTablesDialog::DeleteTable);
  connect(AddButton(this, "editTable", "&Edit this Table", 46, 61, 69, 14), &QPushButton::clicked,
          this, &SetupTablesDialog::EditTable);
  connect(AddButton(this, "createTable", "&Create New Table", 46, 80, 69, 14),
          &QPushButton::clicked, this, &SetupTablesDialog::CreateTable);
  QPushButton* ok = AddButton(this, "ok", "OK", 103, 136, 50, 14);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  FillTableList();
}

void SetupTablesDialog::FillTableList() { FillTableCombo(table_list_, model_.tables_defined()); }

std::string SetupTablesDialog::SelectedTable() const {
  const int index = table_list_->currentIndex();
  return index < 0 ? std::string() : FromQString(table_list_->itemText(index));
}

void SetupTablesDialog::NormalizeExchange(bool creating) {
  if (creating) exchange_.table_name = RemoveBlanks(TrimBlanks(exchange_.table_name));
  exchange_.column_list = TrimBlanks(exchange_.column_list);
}

bool SetupTablesDialog::RunDefineColumns(bool creating, bool* columns_visited) {
  DefineColumnsDialog dialog(&exchange_, creating, this);
  dialog.set_accept_check([this, creating, &dialog] {
    // An existing table whose list was never entered stays as it is.
    if (!creating && !dialog.columns_visited()) return true;
    const ColumnsExchange typed = exchange_;
    NormalizeExchange(creating);
    const std::string problem = model_.data_tables().CheckDefinition(
        creating, exchange_.table_name,
        DefinitionsForList(exchange_.column_list, exchange_.columns));
    exchange_ = typed;
    if (problem.empty()) return true;
    model_.ui().Warn(problem, "Warning");
    return false;
  });
  const bool accepted = dialog.exec() == QDialog::Accepted;
  *columns_visited = dialog.columns_visited();
  return accepted;
}

void SetupTablesDialog::DeleteTable() {
  const std::string name = SelectedTable();
  // An empty name would match the first view of the file when dropping.
  if (name.empty()) return;
  DataTables& tables = model_.data_tables();
  Ui& ui = model_.ui();
  const int records = tables.RecordCount(name);
  if (records > 0 && !ui.Confirm(name + " contains " + std::to_string(records) +
                                     " records.\nAre you sure you wish to delete it?",
                                 "Confirm Delete")) {
    return;
  }
  exchange_.table_name = name;
  int populations = 0;
  {
    BusyCursor busy(ui);
    populations = tables.DeleteTable(name);
  }
  if (populations > 0) {
    ui.Warn("The '" + name + "' table was assigned to " + std::to_string(populations) +
                " populations. You must update them with an existing table before tallying.",
            "Warning");
  }
  FillTableList();
}

void SetupTablesDialog::EditTable() {
  const std::string name = SelectedTable();
  if (name.empty()) return;
  DataTables& tables = model_.data_tables();
  Ui& ui = model_.ui();
  const int records = tables.RecordCount(name);
  if (records > 0) {
    const Message confirm{name + " contains " + std::to_string(records) +
                              " records.\nAll data will be lost from a column that is renamed "
                              "or removed.",
                          "Confirm Edit", MessageIcon::kExclamation, MessageButtons::kOkCancel};
    if (ui.ShowMessage(confirm) != MessageAnswer::kOk) return;
  }
  exchange_.table_name = name;
  exchange_.columns = tables.Columns(name);
  exchange_.column_list = tables.ColumnList(name);
  bool visited = false;
  const bool accepted = RunDefineColumns(false, &visited);
  if (!visited) return;
  if (!accepted) {
    FillTableList();
    return;
  }
  NormalizeExchange(false);
  std::string refusal;
  {
    BusyCursor busy(ui);
    refusal =
        tables.RedefineTable(name, DefinitionsForList(exchange_.column_list, exchange_.columns));
  }
  if (!refusal.empty()) ui.Warn(refusal, "Column Not Changed");
  FillTableList();
}

void SetupTablesDialog::CreateTable() {
  Ui& ui = model_.ui();
  exchange_ = ColumnsExchange();
  bool visited = false;
  if (RunDefineColumns(true, &visited)) {
    NormalizeExchange(true);
    BusyCursor busy(ui);
    model_.data_tables().CreateTable(exchange_.table_name,
                                     DefinitionsForList(exchange_.column_list, exchange_.columns));
  }
  BusyCursor busy(ui);
  model_.Commit();
  FillTableList();
}

void SetupTablesDialog::showEvent(QShowEvent* event) {
  CentreOverParent(this);
  QDialog::showEvent(event);
}

}  // namespace woodtick
