#include "app/utilities_dialog.h"

#include <QLabel>
#include <QPushButton>

#include "app/summary_dialog.h"
#include "model/tally_model.h"
#include "widgets/controls.h"
#include "widgets/dialog_units.h"
#include "widgets/text.h"

namespace woodtick {

UtilitiesDialog::UtilitiesDialog(TallyModel* model, QWidget* parent)
    : QDialog(parent), model_(model) {
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

void UtilitiesDialog::ShowLogLine() { log_line_->setText(ToQString(model_->MessageLogLine())); }

void UtilitiesDialog::ExportData() {
  model_->ExportCsv();
  ShowLogLine();
}

void UtilitiesDialog::ResetCounters() {
  model_->ResetCountersCommand();
  ShowLogLine();
}

void UtilitiesDialog::ClearDataTables() {
  model_->ClearDataTablesCommand();
  ShowLogLine();
}

void UtilitiesDialog::ClearMessageLog() {
  if (model_->ClearMessageLogCommand()) {
    log_line_->setText(QLatin1String(TallyModel::kMessageLogClearedLine));
  }
}

void UtilitiesDialog::CreateTemplate() {
  model_->CreateTemplate();
  ShowLogLine();
}

void UtilitiesDialog::ShowSummary() {
  SummaryDialog summary(model_, this);
  summary.exec();
}

void UtilitiesDialog::showEvent(QShowEvent* event) {
  CentreOverParent(this);
  QDialog::showEvent(event);
}

}  // namespace woodtick
