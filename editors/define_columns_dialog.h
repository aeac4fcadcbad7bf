// DefineColumnsDialog ("Define Columns"): asks for a data table's name and
// its comma-separated column names, for the Setup Data Tables screen.
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;

namespace woodtick {

// The texts the dialog shares with its owner: read when it opens, written
// back whichever way it closes (8-bit texts, as the store holds them).
struct ColumnsExchange {
  std::string table_name;
  std::string column_list;
};

class DefineColumnsDialog : public QDialog {
  Q_OBJECT

 public:
  // The name box is enabled only when `name_editable` is set.
  DefineColumnsDialog(ColumnsExchange* exchange, bool name_editable, QWidget* parent);

  // Whether the column list box ever had the keyboard focus.
  bool columns_visited() const { return columns_visited_; }

  void done(int result) override;

 protected:
  // Centred once the window exists, so its frame is part of the sum.
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  ColumnsExchange* exchange_;
  bool columns_visited_ = false;
  QLineEdit* name_edit_;
  QLineEdit* columns_edit_;
};

}  // namespace woodtick
