#include "editors/define_columns_dialog.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "model/table_definitions.h"
#include "widgets/controls.h"
#include "widgets/dialog_units.h"
#include "widgets/text.h"

namespace woodtick {
namespace {

// The screen grows below its designed height to hold a row of controls for
// each of the six columns a table may have.
constexpr int kTypesTopDu = 124, kTypesHeightDu = 100;
constexpr int kHeightDu = kTypesTopDu + kTypesHeightDu + 27;
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

  // One row per column: its name, then type, minimum and maximum, in the
  // order Tab visits them.
  types_ = new QWidget(this);
  types_->setObjectName("columnTypes");
  types_->setAccessibleName("Column types");
  types_->setAccessibleDescription(
      "Each column's type (Text, Whole number or Decimal number) and, for numbers, its "
      "minimum and maximum");
  auto* grid = new QGridLayout(types_);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setVerticalSpacing(2);
  const char* headings[] = {"Column", "Type", "Min", "Max"};
  for (int col = 0; col < 4; ++col) grid->addWidget(new QLabel(headings[col], types_), 0, col);
  grid->setColumnStretch(kMinColumn, 1);
  grid->setColumnStretch(kMaxColumn, 1);
  PlaceControl(types_, 7, kTypesTopDu, 147, kTypesHeightDu);
  connect(columns_edit_, &QLineEdit::textChanged, this, &DefineColumnsDialog::FillTypesTable);

  ok_ = AddButton(this, "ok", "OK", 105, kHeightDu - 21, 50, 14);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  FillTypesTable();

  // Entering the column list is what marks an edit as wanted, so the list
  // must not take the focus by itself when the name box is disabled.
  if (name_editable) {
    name_edit_->setFocus();
  } else {
    ok_->setFocus();
  }
}

void DefineColumnsDialog::FillTypesTable() {
  const std::vector<ColumnDefinition> known = rows_.empty() ? exchange_->columns : TypedColumns();
  const std::vector<ColumnDefinition> columns =
      DefinitionsForList(FromQString(columns_edit_->text()), known);
  for (const TypeRow& row : rows_) {
    delete row.name;
    delete row.type;
    delete row.min;
    delete row.max;
  }
  rows_.clear();
  auto* grid = static_cast<QGridLayout*>(types_->layout());
  QWidget* previous = columns_edit_;
  for (const ColumnDefinition& column : columns) {
    const QString name = ToQString(column.name);
    TypeRow row{new QLabel(name, types_), new QComboBox(types_), new QLineEdit(types_),
                new QLineEdit(types_)};
    const int at = static_cast<int>(rows_.size()) + 1;
    for (ColumnType t : kTypes) row.type->addItem(TypeName(t));
    row.type->setCurrentIndex(static_cast<int>(column.type));
    row.type->setObjectName("columnType" + QString::number(at));
    row.type->setAccessibleName(name + " type");
    row.type->setAccessibleDescription("Text, Whole number or Decimal number");
    row.min->setText(ToQString(column.min));
    row.max->setText(ToQString(column.max));
    row.min->setObjectName("columnMin" + QString::number(at));
    row.max->setObjectName("columnMax" + QString::number(at));
    row.min->setAccessibleName(name + " minimum");
    row.max->setAccessibleName(name + " maximum");
    row.min->setAccessibleDescription("The lowest number allowed; empty for no limit");
    row.max->setAccessibleDescription("The highest number allowed; empty for no limit");
    // Unit, Num and Label are filled from the HIT as text.
    row.type->setEnabled(!IsFilledFromHit(RemoveBlanks(column.name)));
    auto ranged = [row] {
      const bool number = row.type->currentIndex() != static_cast<int>(ColumnType::kText);
      row.min->setEnabled(number);
      row.max->setEnabled(number);
    };
    ranged();
    connect(row.type, &QComboBox::currentIndexChanged, this, ranged);
    grid->addWidget(row.name, at, 0);
    grid->addWidget(row.type, at, kTypeColumn);
    grid->addWidget(row.min, at, kMinColumn);
    grid->addWidget(row.max, at, kMaxColumn);
    for (QWidget* w : std::initializer_list<QWidget*>{row.type, row.min, row.max}) {
      w->installEventFilter(this);
      setTabOrder(previous, w);
      previous = w;
    }
    rows_.push_back(row);
  }
  grid->setRowStretch(static_cast<int>(rows_.size()) + 1, 1);
  if (ok_ != nullptr) setTabOrder(previous, ok_);
}

std::vector<ColumnDefinition> DefineColumnsDialog::TypedColumns() const {
  std::vector<ColumnDefinition> columns;
  for (const TypeRow& row : rows_) {
    const std::string name = FromQString(row.name->text());
    const ColumnType chosen = kTypes[row.type->currentIndex()];
    // A range belongs to numbers only.
    if (chosen == ColumnType::kText) {
      columns.push_back({name});
    } else {
      columns.push_back({name, chosen, FromQString(row.min->text().trimmed()),
                         FromQString(row.max->text().trimmed())});
    }
  }
  return columns;
}

bool DefineColumnsDialog::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == columns_edit_ || types_->isAncestorOf(qobject_cast<QWidget*>(watched))) &&
      event->type() == QEvent::FocusIn) {
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
