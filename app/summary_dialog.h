// SummaryDialog ("Summary"), opened from Utilities: for the open file, the
// counts and HITs of every population in every unit with their totals, the
// measured share beside the share each sampling method aims for, and a bar
// chart of the counts per population in the current unit and in all units.
// It only reads; "Copy Table" puts the table on the clipboard as
// tab-separated text.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "model/tally_summary.h"

class QChartView;
class QTableWidget;

namespace woodtick {

class SummaryDialog : public QDialog {
  Q_OBJECT

 public:
  // Shows `summary` (Utilities::Summary of the open file).
  explicit SummaryDialog(TallySummary summary, QWidget* parent = nullptr);

  const TallySummary& summary() const { return summary_; }
  QTableWidget* table() const { return table_; }
  QChartView* chart_view() const { return chart_view_; }
  // The table as the clipboard gets it.
  QString TableText() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FillTable();
  void MakeChart();
  void CopyTable();

  TallySummary summary_;
  std::vector<std::vector<std::string>> cells_;
  QTableWidget* table_;
  QChartView* chart_view_;
};

}  // namespace woodtick
