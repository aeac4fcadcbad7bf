#include "widgets/message_box.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <vector>

#include "widgets/dialog_units.h"

namespace woodtick {

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

}  // namespace woodtick
