#include "widgets/message_box.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>

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
  // Any busy cursor of the operation in progress gives way to the arrow.
  const bool busy = QGuiApplication::overrideCursor() != nullptr;
  if (busy) QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
  const auto answer = static_cast<QMessageBox::StandardButton>(box.exec());
  if (busy) QGuiApplication::restoreOverrideCursor();
  return answer;
}

}  // namespace woodtick
