#include "app/summary_dialog.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <utility>

#include "model/text.h"
#include "widgets/dialog_units.h"
#include "widgets/text.h"

namespace woodtick {

SummaryDialog::SummaryDialog(TallySummary summary, QWidget* parent)
    : QDialog(parent), summary_(std::move(summary)) {
  setObjectName(QStringLiteral("summaryDialog"));
  SetUpDialog(this, QStringLiteral("Summary"));
  // A table of every unit and a chart need more than the common screen
  // size: it opens larger and may be resized.
  const QSize common = size();
  setMinimumSize(common);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
  resize(common.width() * 5 / 2, common.height() * 2);

  cells_ = SummaryTable(summary_);

  table_ = new QTableWidget(this);
  table_->setObjectName(QStringLiteral("summaryTable"));
  table_->setAccessibleName(QStringLiteral("Counts and HITs"));
  table_->setAccessibleDescription(
      QStringLiteral("Counts (C) and HITs (M) per population and unit, totals, and the share "
                     "measured beside the share aimed for"));
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setTabKeyNavigation(false);
  FillTable();

  chart_view_ = new QChartView(this);
  chart_view_->setObjectName(QStringLiteral("summaryChart"));
  chart_view_->setAccessibleName(QStringLiteral("Counts chart"));
  chart_view_->setAccessibleDescription(
      QStringLiteral("Bars of the counts per population in the current unit and in all units"));
  MakeChart();

  auto* copy = new QPushButton(QStringLiteral("&Copy Table"), this);
  copy->setObjectName(QStringLiteral("copyButton"));
  copy->setAccessibleDescription(QStringLiteral("Copies the table as tab-separated text"));
  connect(copy, &QPushButton::clicked, this, &SummaryDialog::CopyTable);
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  close->setObjectName(QStringLiteral("closeButton"));
  close->setAccessibleDescription(QStringLiteral("Closes the summary"));
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(copy);
  buttons->addStretch(1);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_, 1);
  layout->addWidget(chart_view_, 1);
  layout->addLayout(buttons);
}

void SummaryDialog::FillTable() {
  const int rows = static_cast<int>(cells_.size()) - 1;
  const int cols = cells_.empty() ? 0 : static_cast<int>(cells_[0].size());
  table_->setRowCount(std::max(0, rows));
  table_->setColumnCount(cols);
  for (int c = 0; c < cols; ++c) {
    table_->setHorizontalHeaderItem(c, new QTableWidgetItem(ToQString(cells_[0][c])));
  }
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      auto* item = new QTableWidgetItem(ToQString(cells_[r + 1][c]));
      item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                    : Qt::AlignRight | Qt::AlignVCenter);
      table_->setItem(r, c, item);
    }
  }
  table_->verticalHeader()->hide();
  table_->resizeColumnsToContents();
}

void SummaryDialog::MakeChart() {
  auto* current =
      new QBarSet(QStringLiteral("Unit %1").arg(ToQString(UnitText(summary_.cur_unit))));
  auto* all = new QBarSet(QStringLiteral("All units"));
  QStringList labels;
  int64_t highest = 0;
  const int unit = summary_.cur_unit - 1;
  for (const PopulationSummary& pop : summary_.populations) {
    const int64_t in_unit = unit >= 0 && unit < summary_.num_units ? pop.counts[unit] : 0;
    *current << static_cast<qreal>(in_unit);
    *all << static_cast<qreal>(pop.total_count);
    labels << ToQString(pop.label);
    highest = std::max(highest, pop.total_count);
  }
  auto* series = new QBarSeries;
  series->append(current);
  series->append(all);

  auto* chart = new QChart;
  chart->addSeries(series);
  auto* x = new QBarCategoryAxis;
  x->append(labels);
  chart->addAxis(x, Qt::AlignBottom);
  series->attachAxis(x);
  auto* y = new QValueAxis;
  y->setRange(0, std::max<int64_t>(highest, 1));
  y->setLabelFormat(QStringLiteral("%d"));
  y->applyNiceNumbers();
  chart->addAxis(y, Qt::AlignLeft);
  series->attachAxis(y);
  chart->legend()->setAlignment(Qt::AlignBottom);
  // The screen's own colours, so dark and high-contrast themes read.
  const QPalette& colours = palette();
  chart->setBackgroundBrush(colours.base());
  chart->legend()->setLabelColor(colours.color(QPalette::Text));
  for (QAbstractAxis* axis : {static_cast<QAbstractAxis*>(x), static_cast<QAbstractAxis*>(y)}) {
    axis->setLabelsColor(colours.color(QPalette::Text));
  }
  current->setColor(colours.color(QPalette::Highlight));
  all->setColor(colours.color(QPalette::Mid));
  chart->setFont(font());
  chart_view_->setChart(chart);
  chart_view_->setRenderHint(QPainter::Antialiasing);
}

QString SummaryDialog::TableText() const { return ToQString(TabSeparated(cells_)); }

void SummaryDialog::CopyTable() { QGuiApplication::clipboard()->setText(TableText()); }

void SummaryDialog::showEvent(QShowEvent* event) {
  CentreOverParent(this);
  QDialog::showEvent(event);
}

}  // namespace woodtick
