#include "app/qt_ui.h"

#include <QApplication>
#include <QCursor>
#include <QFile>
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
namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kInformation:
      return QMessageBox::Information;
    case MessageIcon::kExclamation:
      return QMessageBox::Warning;
    case MessageIcon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

QWidget* QtUi::DialogParent() const {
  // A HIT's record editor over the tally screen is not modal itself.
  if (tally_ && tally_->record_editor() && QApplication::activeModalWidget() == tally_) {
    return tally_->record_editor();
  }
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return main_;
}

MessageAnswer QtUi::ShowMessage(const Message& message) {
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  if (message.buttons == MessageButtons::kYesNo) buttons = QMessageBox::Yes | QMessageBox::No;
  if (message.buttons == MessageButtons::kOkCancel) buttons = QMessageBox::Ok | QMessageBox::Cancel;
  if (message.buttons == MessageButtons::kYesNoCancel) {
    buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  if (message.buttons == MessageButtons::kRetryCancel) {
    buttons = QMessageBox::Retry | QMessageBox::Cancel;
  }
  switch (ShowMessageBox(DialogParent(), ToQtIcon(message.icon), ToQString(message.title),
                         ToQString(message.text), buttons)) {
    case QMessageBox::Yes:
      return MessageAnswer::kYes;
    case QMessageBox::No:
      return MessageAnswer::kNo;
    case QMessageBox::Cancel:
      return MessageAnswer::kCancel;
    case QMessageBox::Retry:
      return MessageAnswer::kRetry;
    default:
      break;
  }
  // A box closed without a choice answers as its safe button.
  if (message.buttons == MessageButtons::kYesNo) return MessageAnswer::kNo;
  if (message.buttons == MessageButtons::kYesNoCancel ||
      message.buttons == MessageButtons::kRetryCancel) {
    return MessageAnswer::kCancel;
  }
  return MessageAnswer::kOk;
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

void QtUi::RunSetupScreen(TallyModel& model, DataStore& store, int num_populations) {
  SetupDialog dialog(model, store, num_populations, DialogParent());
  dialog.exec();
}

std::optional<std::string> QtUi::AskTemplateName() {
  CreateTemplateDialog dialog(DialogParent());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.name();
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
  dialog.selectFile(QFile::decodeName(suggested_path.c_str()));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
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
