#include "editors/select_table_dialog.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "editors/edit_data_dialog.h"
#include "editors/table_list_combo.h"
#include "model/data_tables.h"
#include "model/tally_model.h"
#include "model/ui.h"
#include "widgets/controls.h"
#include "widgets/dialog_units.h"
#include "widgets/text.h"

namespace woodtick {

SelectTableDialog::SelectTableDialog(TallyModel& model, QWidget* parent)
    : QDialog(parent), model_(model) {
  setObjectName("selectTableDialog");
  SetUpDialog(this, "Select The Table to Edit");

  AddLabel(this, "selectTableLabel", "Select the Table to Edit:", Qt::AlignLeft, 8, 8, 80, 8);
  table_list_ = CreateTableCombo(this, "tableList", 9, 21, 85, 45);

  connect(AddButton(this, "editTable", "Edit this Table", 99, 20, 56, 14), &QPushButton::clicked,
          this, &SelectTableDialog::EditTable);
  connect(AddButton(this, "cancel", "Cancel", 5, 137, 50, 14), &QPushButton::clicked, this,
          &QDialog::reject);
  QPushButton* ok = AddButton(this, "ok", "OK", 105, 137, 50, 14);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  FillTableCombo(table_list_, model_.tables_defined());
  table_list_->view()->setMinimumWidth(30);
}

void SelectTableDialog::EditTable() {
  const std::string name = FromQString(table_list_->currentText());
  if (!name.empty()) {
    if (const int slot = model_.data_tables().FindView(name); slot >= 0) {
      EditDataDialog editor(model_, slot, std::make_unique<EditDataMode>(), this);
      editor.exec();
    }
  }
  BusyCursor busy(model_.ui());
  model_.Commit();
}

void SelectTableDialog::showEvent(QShowEvent* event) {
  CentreOverParent(this);
  QDialog::showEvent(event);
}

}  // namespace woodtick
