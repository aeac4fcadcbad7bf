#include "app/common/busy_cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace woodtick {

BusyCursor::BusyCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }

BusyCursor::~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }

}  // namespace woodtick
