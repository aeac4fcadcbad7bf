#include "widgets/message_box.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <utility>
#include <vector>

#include "widgets/dialog_units.h"
#include "widgets/text.h"

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

QMessageBox::StandardButtons ToQtButtons(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::kOk:
      break;
    case MessageButtons::kYesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::kOkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::kYesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::kRetryCancel:
      return QMessageBox::Retry | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

// Each answer and the button that gives it.
constexpr std::pair<MessageAnswer, QMessageBox::StandardButton> kAnswerButtons[] = {
    {MessageAnswer::kOk, QMessageBox::Ok},       {MessageAnswer::kCancel, QMessageBox::Cancel},
    {MessageAnswer::kYes, QMessageBox::Yes},     {MessageAnswer::kNo, QMessageBox::No},
    {MessageAnswer::kRetry, QMessageBox::Retry},
};

QMessageBox::StandardButton ToQtButton(std::optional<MessageAnswer> answer) {
  for (const auto& [a, button] : kAnswerButtons) {
    if (answer == a) return button;
  }
  return QMessageBox::NoButton;
}

}  // namespace

QMessageBox::StandardButton ShowMessageBox(QWidget* parent, QMessageBox::Icon icon,
                                           const QString& title, const QString& text,
                                           QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton default_button) {
  if (!parent) parent = QApplication::activeModalWidget();
  QMessageBox box(icon, title, text, buttons, parent);
  box.setObjectName(kMessageBoxName);
  box.setFont(DialogFont());
  if (default_button != QMessageBox::NoButton) box.setDefaultButton(default_button);
  // The wait cursor of the operation in progress comes down, every level of
  // it, while the box is up, and goes back up for the rest of the operation.
  std::vector<QCursor> taken_down;
  while (const QCursor* cursor = QGuiApplication::overrideCursor()) {
    taken_down.push_back(*cursor);
    QGuiApplication::restoreOverrideCursor();
  }
  const auto answer = static_cast<QMessageBox::StandardButton>(box.exec());
  for (auto it = taken_down.rbegin(); it != taken_down.rend(); ++it) {
    QGuiApplication::setOverrideCursor(*it);
  }
  return answer;
}

MessageAnswer ShowMessageBox(QWidget* parent, const Message& message) {
  const QMessageBox::StandardButton pressed = ShowMessageBox(
      parent, ToQtIcon(message.icon), ToQString(message.title), ToQString(message.text),
      ToQtButtons(message.buttons), ToQtButton(message.default_answer));
  for (const auto& [answer, button] : kAnswerButtons) {
    if (pressed == button && button != QMessageBox::Ok) return answer;
  }
  if (message.buttons == MessageButtons::kYesNo) return MessageAnswer::kNo;
  if (message.buttons == MessageButtons::kYesNoCancel ||
      message.buttons == MessageButtons::kRetryCancel) {
    return MessageAnswer::kCancel;
  }
  return MessageAnswer::kOk;
}

}  // namespace woodtick
