// DefineColumnsDialog ("Define Columns"): asks for a data table's name, its
// comma-separated column names and, in rows below them, each column's
// type (Text, Whole number, Decimal number) and range, for the Setup Data
// Tables screen.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "model/column_types.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace woodtick {

// The texts the dialog shares with its owner: read when it opens, written
// back whichever way it closes (8-bit texts, as the store holds them).
struct ColumnsExchange {
  std::string table_name;
  std::string column_list;
  // Each column's type and range; the list above decides which columns
  // there are, a column it does not name here is Text.
  std::vector<ColumnDefinition> columns;
};

class DefineColumnsDialog : public QDialog {
  Q_OBJECT

 public:
  // The name box is enabled only when `name_editable` is set.
  DefineColumnsDialog(ColumnsExchange* exchange, bool name_editable, QWidget* parent);

  // Whether the column list box, or a control of the types, ever had the
  // keyboard focus.
  bool columns_visited() const { return columns_visited_; }

  // Asked on OK, once the typed texts are in the exchange: false refuses
  // them (the check tells the user why) and the screen stays open with
  // everything typed, to be corrected.
  void set_accept_check(std::function<bool()> check) { accept_check_ = std::move(check); }

  void done(int result) override;

 protected:
  // Centred once the window exists, so its frame is part of the sum.
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The type rows follow the column list; a column keeps what was
  // chosen for it while its name stays.
  void FillTypesTable();
  std::vector<ColumnDefinition> TypedColumns() const;

  ColumnsExchange* exchange_;
  bool columns_visited_ = false;
  std::function<bool()> accept_check_;
  QLineEdit* name_edit_;
  QLineEdit* columns_edit_;
  // The controls of one column's row below the list.
  struct TypeRow {
    QLabel* name;
    QComboBox* type;
    QLineEdit* min;
    QLineEdit* max;
  };
  QWidget* types_;
  std::vector<TypeRow> rows_;
  QPushButton* ok_ = nullptr;
};

}  // namespace woodtick
