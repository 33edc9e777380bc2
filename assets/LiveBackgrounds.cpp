// Backgrounds of the live views: b4.bmp (yearly energy balance) and b6.bmp
// (daily values page). The views draw their boxes, scale, bars and texts
// themselves; the pictures give the areas they land in a finished look.
#include <QPainter>

#include "Pictures.h"

namespace {

constexpr QRgb Light = 0xFFFFFFFF;
constexpr QRgb Shadow = 0xFF808080;
constexpr QRgb Panel = 0xFFF4F2EC;
constexpr QRgb Grid = 0xFFC8C8C8;
constexpr QRgb MonthLine = 0xFFE4E4E4;

QImage Grey(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(PictureGrey);
  return image;
}

// A two-tone frame: light on the top and left, shadow on the bottom and right
// (raised), or the other way round (sunken). The rectangle's corners are inclusive.
void Bevel(QPainter& p, int left, int top, int right, int bottom, bool raised) {
  p.setPen(QColor::fromRgb(raised ? Light : Shadow));
  p.drawLine(left, top, right, top);
  p.drawLine(left, top, left, bottom);
  p.setPen(QColor::fromRgb(raised ? Shadow : Light));
  p.drawLine(right, top, right, bottom);
  p.drawLine(left, bottom, right, bottom);
}

// A sunken panel whose inside covers the given rectangle (corners inclusive).
void SunkenPanel(QPainter& p, int left, int top, int right, int bottom, QRgb fill) {
  p.fillRect(left, top, right - left + 1, bottom - top + 1, QColor::fromRgb(fill));
  Bevel(p, left - 1, top - 1, right + 1, bottom + 1, false);
}

// Yearly energy balance geometry (as the chart draws it): base line y = 316,
// full scale 260 pixels above it, day n's bar at x = 2 n + 50 (days 1..366).
constexpr int BaseLine = 316;
constexpr int ScaleTop = BaseLine - 260;
constexpr int AxisLeft = 49;
constexpr int AxisRight = 786;
// Day-of-year before the first day of each month 2..12 in a 366-day year.
constexpr int MonthStarts[] = {31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335};

void DrawBalanceChartArea(QPainter& p) {
  SunkenPanel(p, AxisLeft, ScaleTop - 4, AxisRight, BaseLine, Light);
  p.setPen(QColor::fromRgb(MonthLine));
  for (int start : MonthStarts) {
    const int x = 2 * (start + 1) + 50 - 1;
    p.drawLine(x, ScaleTop - 4, x, BaseLine - 1);
  }
  // Grid lines at the heights of the scale labels: 0, 1/4, 1/2, 3/4 and the full scale.
  for (int i = 0; i <= 4; ++i) {
    const int y = BaseLine - 65 * i;
    p.setPen(QColor::fromRgb(i == 0 ? Shadow : Grid));
    p.drawLine(AxisLeft, y, AxisRight, y);
    p.setPen(QColor::fromRgb(Shadow));
    p.drawLine(AxisLeft - 5, y, AxisLeft - 2, y);
  }
}

// Daily values page: the five boxes the page outlines, the meter list and the
// plant check line.
struct Box {
  int left, top, right, bottom;
};
constexpr Box ValueBoxes[] = {
    {40, 55, 250, 210}, {283, 55, 493, 130}, {283, 171, 493, 210}, {523, 55, 733, 130}, {523, 171, 733, 210}};

}  // namespace

QImage MakeYearBalanceBackground() {
  QImage image = Grey(793, 393);
  QPainter p(&image);
  Bevel(p, 0, 0, 792, 392, true);
  DrawBalanceChartArea(p);
  // The footer with the controller's clock.
  SunkenPanel(p, 4, 368, 140, 386, PictureGrey);
  return image;
}

QImage MakeDailyValuesBackground() {
  QImage image = Grey(785, 505);
  QPainter p(&image);
  Bevel(p, 0, 0, 784, 504, true);
  for (const Box& b : ValueBoxes) {
    const int width = b.right - b.left + 1, height = b.bottom - b.top + 1;
    p.fillRect(b.left + 3, b.top + 3, width, height, QColor::fromRgb(Shadow));  // drop shadow
    p.fillRect(b.left, b.top, width, height, QColor::fromRgb(Panel));
  }
  // The meter list below its heading, and the plant check line.
  SunkenPanel(p, 36, 240, 770, 474, Panel);
  SunkenPanel(p, 36, 485, 770, 501, Panel);
  return image;
}
