#include "editors/define_columns_dialog.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "widgets/controls.h"
#include "widgets/dialog_units.h"
#include "widgets/text.h"

namespace woodtick {
DefineColumnsDialog::DefineColumnsDialog(ColumnsExchange* exchange, bool name_editable,
                                         QWidget* parent)
    : QDialog(parent), exchange_(exchange) {
  setObjectName("defineColumnsDialog");
  SetUpDialog(this, "Define Columns");

  AddLabel(this, "tableNameLabel", "Table Name:", Qt::AlignLeft, 7, 7, 42, 8);
  name_edit_ = AddEdit(this, "tableName", 53, 4, 77, 14);
  name_edit_->setText(ToQString(exchange_->table_name));
  name_edit_->setEnabled(name_editable);

  // "seperated": the program's exact words, kept as users know them.
  AddLabel(this, "columnsLabel", "Columns in Table, seperated by commas:", Qt::AlignLeft, 7, 26,
           147, 8);
  columns_edit_ = AddEdit(this, "columnList", 7, 36, 147, 14);
  columns_edit_->setText(ToQString(exchange_->column_list));
  columns_edit_->installEventFilter(this);

  AddLabel(this, "limitLabel", "You can define up to 6 columns.", Qt::AlignLeft, 11, 56, 132, 8);
  AddLabel(this, "specialLabel",
           "\"Unit\", \"Num\", and \"Label\" are special column names. If used, they will "
           "automatically fill the sample's:",
           Qt::AlignLeft, 11, 69, 132, 26);
  AddLabel(this, "unitLabel", "Unit: unit number", Qt::AlignLeft, 36, 95, 54, 8);
  AddLabel(this, "numLabel", "Num: sample number", Qt::AlignLeft, 36, 104, 67, 8);
  AddLabel(this, "labelLabel", "Label: population label", Qt::AlignLeft, 36, 114, 72, 8);

  QPushButton* ok = AddButton(this, "ok", "OK", 105, 136, 50, 14);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  // Entering the column list is what marks an edit as wanted, so the list
  // must not take the focus by itself when the name box is disabled.
  if (name_editable) {
    name_edit_->setFocus();
  } else {
    ok->setFocus();
  }
}

bool DefineColumnsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == columns_edit_ && event->type() == QEvent::FocusIn) columns_visited_ = true;
  return QDialog::eventFilter(watched, event);
}

void DefineColumnsDialog::done(int result) {
  exchange_->table_name = FromQString(name_edit_->text());
  exchange_->column_list = FromQString(columns_edit_->text());
  if (result == QDialog::Accepted && accept_check_ && !accept_check_()) return;
  QDialog::done(result);
}

void DefineColumnsDialog::showEvent(QShowEvent* event) {
  CentreOverParent(this);
  QDialog::showEvent(event);
}

}  // namespace woodtick
