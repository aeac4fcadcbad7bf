#include "app/summary_dialog.h"

#include <gtest/gtest.h>

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "app/main_dialog.h"
#include "app/testing/app_fixture.h"
#include "app/utilities_dialog.h"
#include "model/tally_model.h"

namespace woodtick {
namespace {

class SummaryDialogTest : public AppTest {};

// The counts of the sample file, read from the file itself, against the
// screen's table, chart and clipboard text.
TEST_F(SummaryDialogTest, ShowsTheFilesCountsTotalsAndSharesAndCopiesThem) {
  const QString path = CopyTallyFile(QStringLiteral(WOODTICK_TESTDATA "/mk/sample.tal"));
  const int units = 3;
  std::vector<std::vector<std::string>> counts, hits;
  for (int u = 1; u <= units; ++u) {
    const std::string unit = QStringLiteral("%1").arg(u, 3, 10, QLatin1Char('0')).toStdString();
    counts.push_back(ReadColumn(path, "Tally", "U" + unit + "Count"));
    hits.push_back(ReadColumn(path, "Tally", "U" + unit + "Hit"));
  }
  const std::vector<std::string> labels = ReadColumn(path, "Tally", "Label");
  ASSERT_EQ(labels.size(), 3u);
  auto main = OpenMain(path);
  ASSERT_TRUE(main->model().is_open());
  ASSERT_EQ(main->model().settings().num_units(), units);

  UtilitiesDialog utilities(main->model().utilities(), main->model().templates(), main.get());
  QPushButton* open_summary = Child<QPushButton>(&utilities, QStringLiteral("summaryButton"));
  QTableWidget* table = nullptr;
  QString copied;
  std::vector<qreal> current_bars, all_bars;
  WhenModal(QStringLiteral("summaryDialog"), [&](QWidget* screen) {
    auto* summary = static_cast<SummaryDialog*>(screen);
    table = summary->table();
    const int rows = table->rowCount();
    int64_t grand = 0;
    for (int p = 0; p < static_cast<int>(labels.size()); ++p) {
      EXPECT_EQ(table->item(p, 0)->text().toStdString(), labels[p]);
      int64_t total = 0, total_hits = 0;
      for (int u = 0; u < units; ++u) {
        EXPECT_EQ(table->item(p, 2 + 2 * u)->text().toStdString(), counts[u][p]);
        EXPECT_EQ(table->item(p, 3 + 2 * u)->text().toStdString(), hits[u][p]);
        total += std::stoll(counts[u][p]);
        total_hits += std::stoll(hits[u][p]);
      }
      EXPECT_EQ(table->item(p, 2 + 2 * units)->text(), QString::number(total));
      EXPECT_EQ(table->item(p, 3 + 2 * units)->text(), QString::number(total_hits));
      EXPECT_EQ(table->item(p, 4 + 2 * units)->text(),
                QString::number(100.0 * total_hits / total, 'f', 1) + QLatin1Char('%'));
      grand += total;
    }
    EXPECT_EQ(rows, static_cast<int>(labels.size()) + 1);
    EXPECT_EQ(table->item(rows - 1, 0)->text(), QStringLiteral("Total"));
    EXPECT_EQ(table->item(rows - 1, 2 + 2 * units)->text(), QString::number(grand));
    EXPECT_EQ(table->editTriggers(), QAbstractItemView::NoEditTriggers);

    auto* series = static_cast<QBarSeries*>(summary->chart_view()->chart()->series().at(0));
    for (int i = 0; i < series->barSets().at(0)->count(); ++i) {
      current_bars.push_back(series->barSets().at(0)->at(i));
      all_bars.push_back(series->barSets().at(1)->at(i));
    }
    Child<QPushButton>(screen, QStringLiteral("copyButton"))->click();
    copied = QGuiApplication::clipboard()->text();
    QTest::keyClick(screen, Qt::Key_Escape);
  });
  open_summary->click();
  ASSERT_NE(table, nullptr);
  ASSERT_EQ(current_bars.size(), labels.size());
  const int cur = main->model().settings().cur_unit() - 1;
  for (size_t p = 0; p < labels.size(); ++p) {
    EXPECT_EQ(current_bars[p], std::stod(counts[cur][p]));
    int64_t total = 0;
    for (int u = 0; u < units; ++u) total += std::stoll(counts[u][p]);
    EXPECT_EQ(all_bars[p], static_cast<qreal>(total));
  }
  const QStringList lines = copied.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), static_cast<int>(labels.size()) + 2);
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Population\tKey\t001 C\t001 M")));
  EXPECT_TRUE(lines[1].startsWith(QString::fromStdString(labels[0] + "\t")));
}

}  // namespace
}  // namespace woodtick
