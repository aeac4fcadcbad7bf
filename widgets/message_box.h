// Modal message boxes: the icon, title, text and buttons the model asks for.
// The wait cursor comes down while a box is up and goes back up after it.
#pragma once

#include <QMessageBox>
#include <QString>

#include "model/ui.h"

class QWidget;

namespace woodtick {

// Object names of the box and its buttons, so tests can find and answer it.
inline constexpr const char* kMessageBoxName = "messageBox";

QMessageBox::StandardButton ShowMessageBox(
    QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
    QMessageBox::StandardButtons buttons = QMessageBox::Ok,
    QMessageBox::StandardButton default_button = QMessageBox::NoButton);

// The box of a model's Message over `parent`: its icon, title, text,
// buttons and default button. A box closed without a choice answers with
// its safe button (No, Cancel).
MessageAnswer ShowMessageBox(QWidget* parent, const Message& message);

}  // namespace woodtick
