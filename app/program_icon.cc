#include "app/program_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace woodtick {
namespace {

QPixmap DrawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const double s = size / 32.0;
  painter.setPen(QPen(QColor(0x2e, 0x5e, 0x2a), 1.5 * s));
  painter.setBrush(QColor(0x6a, 0xa8, 0x4f));
  painter.drawEllipse(QRectF(1.5 * s, 1.5 * s, 29 * s, 29 * s));
  QPainterPath tick;
  tick.moveTo(8 * s, 17 * s);
  tick.lineTo(14 * s, 23 * s);
  tick.lineTo(25 * s, 9 * s);
  painter.setPen(QPen(Qt::white, 4 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(tick);
  return pixmap;
}

}  // namespace

QIcon ProgramIcon() {
  static const QIcon icon = [] {
    QIcon made;
    for (int size : {16, 32, 48}) made.addPixmap(DrawIcon(size));
    return made;
  }();
  return icon;
}

}  // namespace woodtick
