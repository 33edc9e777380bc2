#include "PictureShapes.h"

#include <QLinearGradient>

#include "Pictures.h"

QImage GreyPicture(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(PictureGrey);
  return image;
}

void Bevel(QPainter& p, int left, int top, int right, int bottom, bool raised) {
  p.setPen(QColor::fromRgb(raised ? FrameLight : FrameShadow));
  p.drawLine(left, top, right, top);
  p.drawLine(left, top, left, bottom);
  p.setPen(QColor::fromRgb(raised ? FrameShadow : FrameLight));
  p.drawLine(right, top, right, bottom);
  p.drawLine(left, bottom, right, bottom);
}

void SunkenPanel(QPainter& p, int left, int top, int right, int bottom, QRgb fill) {
  p.fillRect(left, top, right - left + 1, bottom - top + 1, QColor::fromRgb(fill));
  Bevel(p, left - 1, top - 1, right + 1, bottom + 1, false);
}

void EtchedLine(QPainter& p, int left, int right, int y) {
  p.setPen(QColor::fromRgb(FrameShadow));
  p.drawLine(left, y, right, y);
  p.setPen(QColor::fromRgb(FrameLight));
  p.drawLine(left, y + 1, right, y + 1);
}

void VerticalGradient(QPainter& p, int left, int top, int right, int bottom, QRgb topColor, QRgb bottomColor) {
  QLinearGradient gradient(0, top, 0, bottom + 1);
  gradient.setColorAt(0, QColor::fromRgb(topColor));
  gradient.setColorAt(1, QColor::fromRgb(bottomColor));
  p.fillRect(left, top, right - left + 1, bottom - top + 1, gradient);
}
