#include "app/qt_ui.h"

#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QGuiApplication>

#include "app/create_template_dialog.h"
#include "app/main_dialog.h"
#include "app/setup_dialog.h"
#include "app/tally_dialog.h"
#include "editors/edit_data_dialog.h"
#include "widgets/message_box.h"
#include "widgets/text.h"
#include "widgets/tone_player.h"

namespace woodtick {

QWidget* QtUi::DialogParent() const {
  // A HIT's record editor over the tally screen is not modal itself.
  if (tally_ && tally_->record_editor() && QApplication::activeModalWidget() == tally_) {
    return tally_->record_editor();
  }
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return main_;
}

MessageAnswer QtUi::ShowMessage(const Message& message) {
  return ShowMessageBox(DialogParent(), message);
}

void QtUi::BeginBusy() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }

void QtUi::EndBusy() { QGuiApplication::restoreOverrideCursor(); }

void QtUi::Beep(int frequency_hz, int duration_ms) {
  TonePlayer::Instance().Play(frequency_hz, duration_ms);
}

void QtUi::RunRecordEditor(const RecordEditorRequest& request) {
  if (!main_) return;
  if (tally_ && tally_->isVisible()) {
    tally_->RunRecordEditor(request);
    return;
  }
  EditDataDialog::RunDataEntry(main_->model(), request, DialogParent());
}

void QtUi::RunSetupScreen(TallyModel& model, int num_populations) {
  SetupDialog dialog(model, num_populations, DialogParent());
  dialog.exec();
}

std::optional<std::string> QtUi::AskTemplateName() {
  CreateTemplateDialog dialog(DialogParent());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.file_name();
}

std::optional<std::string> QtUi::AskSaveFileName(const std::string& suggested_path) {
  QFileDialog dialog(DialogParent());
  dialog.setObjectName(QStringLiteral("saveFileDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(QStringLiteral("Tally Files (*.tal)"));
  dialog.setDefaultSuffix(QStringLiteral("tal"));
  // The model refuses an existing file itself: it never writes over one.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.selectFile(FromFileName(suggested_path));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return ToFileName(dialog.selectedFiles().first());
}

void QtUi::ShowFileName(const std::string& display_name) {
  if (main_) main_->ShowFileName(display_name);
}

void QtUi::FileOpened() {
  if (main_) main_->FileOpened();
}

void QtUi::EnableUntally() {
  if (main_) main_->EnableUntally();
}

void QtUi::ShowHitNumber(const std::string& text) {
  if (tally_) tally_->ShowHitNumber(ToQString(text));
}

void QtUi::RedrawPopulationButtons() {
  if (tally_) tally_->LayoutButtons();
}

}  // namespace woodtick
