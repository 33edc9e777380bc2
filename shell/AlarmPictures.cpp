#include "shell/AlarmPictures.h"

#include <QPainter>

namespace {

// The sign on a 16 x 16 grid, scaled to the picture.
void DrawSign(QPainter& painter, AlarmLook look) {
  painter.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  switch (look) {
    case AlarmLook::Fine: painter.drawPolyline(QPolygonF({{4.5, 8.5}, {7, 11}, {11.5, 5}})); break;
    case AlarmLook::Fault:
      painter.drawLine(QPointF(8, 3.5), QPointF(8, 9));
      painter.drawPoint(QPointF(8, 12));
      break;
    case AlarmLook::LinkLost:
      painter.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
      painter.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
      break;
    case AlarmLook::Unwatched: painter.drawLine(QPointF(4.5, 8), QPointF(11.5, 8)); break;
    case AlarmLook::Waiting:
      for (const double x : {4.5, 8.0, 11.5}) painter.drawPoint(QPointF(x, 8));
      break;
  }
}

}  // namespace

QColor AlarmColour(AlarmLook look) {
  switch (look) {
    case AlarmLook::Fine: return QColor(0x2E, 0x9D, 0x3A);
    case AlarmLook::Fault: return QColor(0xD3, 0x2F, 0x2F);
    case AlarmLook::LinkLost: return QColor(0x50, 0x50, 0x50);
    case AlarmLook::Unwatched: return QColor(0xF0, 0xA0, 0x00);
    case AlarmLook::Waiting: break;
  }
  return QColor(0x6A, 0x8C, 0xB4);
}

QImage AlarmPicture(AlarmLook look, int size) {
  // Opaque to the edge: a tray without a compositor shows transparent pixels black.
  QImage picture(size, size, QImage::Format_RGB32);
  picture.fill(AlarmColour(look));
  QPainter painter(&picture);
  painter.scale(size / 16.0, size / 16.0);
  painter.setRenderHint(QPainter::Antialiasing);
  DrawSign(painter, look);
  return picture;
}

QIcon AlarmIcon(AlarmLook look) {
  QIcon icon;
  for (const int size : {16, 22, 24, 32, 48, 64}) icon.addPixmap(QPixmap::fromImage(AlarmPicture(look, size)));
  return icon;
}
