#include "app/utilities_dialog.h"

#include <QLabel>
#include <QPushButton>

#include "app/summary_dialog.h"
#include "model/templates.h"
#include "model/utilities.h"
#include "widgets/controls.h"
#include "widgets/dialog_units.h"
#include "widgets/text.h"

namespace woodtick {

UtilitiesDialog::UtilitiesDialog(Utilities& utilities, Templates& templates, QWidget* parent)
    : QDialog(parent), utilities_(utilities), templates_(templates) {
  setObjectName(QStringLiteral("utilitiesDialog"));
  SetUpDialog(this, QStringLiteral("Utilities"));

  // Six commands 18 units apart above the log line.
  AddCommand("exportButton", QStringLiteral("&Export Data"), 6, &UtilitiesDialog::ExportData);
  AddCommand("resetButton", QStringLiteral("&Reset Counters"), 24, &UtilitiesDialog::ResetCounters);
  AddCommand("clearTablesButton", QStringLiteral("Clear &Data Tables"), 42,
             &UtilitiesDialog::ClearDataTables);
  AddCommand("clearLogButton", QStringLiteral("Clear Message &Log"), 60,
             &UtilitiesDialog::ClearMessageLog);
  AddCommand("templateButton", QStringLiteral("Create &Template"), 78,
             &UtilitiesDialog::CreateTemplate);
  AddCommand("summaryButton", QStringLiteral("&Summary"), 96, &UtilitiesDialog::ShowSummary);
  log_line_ = AddLabel(this, "messageLogLine", QString(), Qt::AlignHCenter, 7, 114, 149, 8);
  ShowLogLine();
  QPushButton* ok = AddButton(this, "okButton", QStringLiteral("OK"), 105, 137, 50, 14);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void UtilitiesDialog::AddCommand(const char* name, const QString& text, int y,
                                 void (UtilitiesDialog::*run)()) {
  connect(AddButton(this, name, text, 41, y, 80, 14), &QPushButton::clicked, this, run);
}

void UtilitiesDialog::ShowLogLine() { log_line_->setText(ToQString(utilities_.MessageLogLine())); }

void UtilitiesDialog::ExportData() {
  utilities_.ExportCsv();
  ShowLogLine();
}

void UtilitiesDialog::ResetCounters() {
  utilities_.ResetCountersCommand();
  ShowLogLine();
}

void UtilitiesDialog::ClearDataTables() {
  utilities_.ClearDataTablesCommand();
  ShowLogLine();
}

void UtilitiesDialog::ClearMessageLog() {
  if (utilities_.ClearMessageLogCommand()) {
    log_line_->setText(QLatin1String(Utilities::kMessageLogClearedLine));
  }
}

void UtilitiesDialog::CreateTemplate() {
  templates_.CreateTemplate();
  ShowLogLine();
}

void UtilitiesDialog::ShowSummary() {
  SummaryDialog summary(utilities_.Summary(), this);
  summary.exec();
}

void UtilitiesDialog::showEvent(QShowEvent* event) {
  CentreOverParent(this);
  QDialog::showEvent(event);
}

}  // namespace woodtick
