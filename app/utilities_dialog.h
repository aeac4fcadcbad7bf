// UtilitiesDialog ("Utilities"): the whole-file operations: export, reset
// the counters, clear the data tables or the log, make a template, and the
// read-only Summary.
#pragma once

#include <QDialog>

class QLabel;

namespace woodtick {

class Templates;
class Utilities;

class UtilitiesDialog : public QDialog {
  Q_OBJECT

 public:
  UtilitiesDialog(Utilities& utilities, Templates& templates, QWidget* parent = nullptr);

  QLabel* log_line() const { return log_line_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void AddCommand(const char* name, const QString& text, int y, void (UtilitiesDialog::*run)());
  void ExportData();
  void ResetCounters();
  void ClearDataTables();
  void ClearMessageLog();
  void CreateTemplate();
  void ShowSummary();
  // The log line with the log's size now: every command but Summary logs.
  void ShowLogLine();

  Utilities& utilities_;
  Templates& templates_;
  QLabel* log_line_;
};

}  // namespace woodtick
