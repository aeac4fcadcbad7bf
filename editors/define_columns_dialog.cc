#include "editors/define_columns_dialog.h"

#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "model/table_definitions.h"
#include "widgets/controls.h"
#include "widgets/dialog_units.h"
#include "widgets/text.h"

namespace woodtick {
namespace {

// The screen grows below its designed height to hold the types table.
constexpr int kHeightDu = 205;
constexpr int kTypeColumn = 1, kMinColumn = 2, kMaxColumn = 3;
constexpr ColumnType kTypes[] = {ColumnType::kText, ColumnType::kWhole, ColumnType::kDecimal};

}  // namespace

DefineColumnsDialog::DefineColumnsDialog(ColumnsExchange* exchange, bool name_editable,
                                         QWidget* parent)
    : QDialog(parent), exchange_(exchange) {
  setObjectName("defineColumnsDialog");
  SetUpDialog(this, "Define Columns");
  const DialogUnits units(font());
  setFixedSize(units.ToPixelsX(kDialogWidthDu), units.ToPixelsY(kHeightDu));

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

  types_ = new QTableWidget(0, 4, this);
  types_->setObjectName("columnTypes");
  types_->setHorizontalHeaderLabels({"Column", "Type", "Min", "Max"});
  types_->verticalHeader()->hide();
  types_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  types_->horizontalHeader()->setSectionResizeMode(kTypeColumn, QHeaderView::ResizeToContents);
  types_->setAccessibleName("Column types");
  types_->setAccessibleDescription(
      "Each column's type (Text, Whole number or Decimal number) and, for numbers, its "
      "minimum and maximum");
  types_->installEventFilter(this);
  PlaceControl(types_, 7, 124, 147, 56);
  FillTypesTable();
  connect(columns_edit_, &QLineEdit::textChanged, this, &DefineColumnsDialog::FillTypesTable);

  QPushButton* ok = AddButton(this, "ok", "OK", 105, kHeightDu - 21, 50, 14);
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

void DefineColumnsDialog::FillTypesTable() {
  const std::vector<ColumnDefinition> known =
      types_->rowCount() > 0 ? TypedColumns() : exchange_->columns;
  const std::vector<ColumnDefinition> columns =
      DefinitionsForList(FromQString(columns_edit_->text()), known);
  types_->setRowCount(static_cast<int>(columns.size()));
  for (int row = 0; row < types_->rowCount(); ++row) {
    const ColumnDefinition& column = columns[row];
    auto* name = new QTableWidgetItem(ToQString(column.name));
    name->setFlags(Qt::ItemIsEnabled);
    types_->setItem(row, 0, name);
    auto* type = new QComboBox;
    for (ColumnType t : kTypes) type->addItem(TypeName(t));
    type->setCurrentIndex(static_cast<int>(column.type));
    type->setObjectName("columnType" + QString::number(row + 1));
    type->setAccessibleName(ToQString(column.name) + " type");
    type->setAccessibleDescription("Text, Whole number or Decimal number");
    // Unit, Num and Label are filled from the HIT as text.
    type->setEnabled(!IsFilledFromHit(RemoveBlanks(column.name)));
    connect(type, &QComboBox::activated, this, [this] { columns_visited_ = true; });
    types_->setCellWidget(row, kTypeColumn, type);
    types_->setItem(row, kMinColumn, new QTableWidgetItem(ToQString(column.min)));
    types_->setItem(row, kMaxColumn, new QTableWidgetItem(ToQString(column.max)));
  }
}

std::vector<ColumnDefinition> DefineColumnsDialog::TypedColumns() const {
  std::vector<ColumnDefinition> columns;
  for (int row = 0; row < types_->rowCount(); ++row) {
    auto text = [&](int col) {
      const QTableWidgetItem* item = types_->item(row, col);
      return item ? FromQString(item->text().trimmed()) : std::string();
    };
    const auto* type = static_cast<const QComboBox*>(types_->cellWidget(row, kTypeColumn));
    const ColumnType chosen = kTypes[type ? type->currentIndex() : 0];
    // A range belongs to numbers only.
    if (chosen == ColumnType::kText) {
      columns.push_back({text(0)});
    } else {
      columns.push_back({text(0), chosen, text(kMinColumn), text(kMaxColumn)});
    }
  }
  return columns;
}

bool DefineColumnsDialog::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == columns_edit_ || watched == types_) && event->type() == QEvent::FocusIn) {
    columns_visited_ = true;
  }
  return QDialog::eventFilter(watched, event);
}

void DefineColumnsDialog::done(int result) {
  exchange_->table_name = FromQString(name_edit_->text());
  exchange_->column_list = FromQString(columns_edit_->text());
  exchange_->columns = TypedColumns();
  if (result == QDialog::Accepted && accept_check_ && !accept_check_()) return;
  QDialog::done(result);
}

void DefineColumnsDialog::showEvent(QShowEvent* event) {
  CentreOverParent(this);
  QDialog::showEvent(event);
}

}  // namespace woodtick
