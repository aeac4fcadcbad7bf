#include "editors/select_table_dialog.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "app/common/dialog_units.h"
#include "app/common/text.h"
#include "editors/edit_data_dialog.h"
#include "editors/table_list_combo.h"
#include "model/tally_model.h"
#include "model/ui.h"

namespace woodtick {

SelectTableDialog::SelectTableDialog(TallyModel& model, QWidget* parent)
    : QDialog(parent), model_(model) {
  setObjectName("selectTableDialog");
  SetUpDialog(this, "Select The Table to Edit");

  auto* label = new QLabel("Select the Table to Edit:", this);
  label->setObjectName("selectTableLabel");
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  PlaceControl(label, 8, 8, 80, 8);
  table_list_ = CreateTableCombo(this, "tableList", 9, 21, 85, 45);

  auto* edit = new QPushButton("Edit this Table", this);
  edit->setObjectName("editTable");
  PlaceControl(edit, 99, 20, 56, 14);
  connect(edit, &QPushButton::clicked, this, &SelectTableDialog::EditTable);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("cancel");
  PlaceControl(cancel, 5, 137, 50, 14);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("ok");
  ok->setDefault(true);
  PlaceControl(ok, 105, 137, 50, 14);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  CentreOverParent(this);
  FillTableCombo(table_list_, model_.tables_defined());
  table_list_->view()->setMinimumWidth(30);
}

void SelectTableDialog::EditTable() {
  DataStore& store = *model_.store();
  const std::string name = FromQString(table_list_->currentText());
  if (!name.empty()) {
    if (const int slot = store.FindView(name); slot >= 0) {
      EditDataDialog editor(model_, store, slot, 0, EditDataMode::kEditData, this);
      editor.exec();
    }
  }
  BusyCursor busy(model_.ui());
  model_.Commit();
}

}  // namespace woodtick
