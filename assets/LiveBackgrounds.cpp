// Backgrounds of the live views: b4.bmp (yearly energy balance) and b6.bmp
// (daily values page). The views draw their boxes, scale, bars and texts
// themselves; the pictures give the areas they land in a finished look.
#include <QPainter>

#include "PictureShapes.h"
#include "Pictures.h"

namespace {

constexpr QRgb Panel = 0xFFF4F2EC;
constexpr QRgb Grid = 0xFFC8C8C8;
constexpr QRgb MonthLine = 0xFFE4E4E4;

// Yearly energy balance geometry (as the chart draws it): base line y = 316,
// full scale 260 pixels above it, day n's bar at x = 2 n + 50 (days 1..366).
constexpr int BaseLine = 316;
constexpr int ScaleTop = BaseLine - 260;
constexpr int AxisLeft = 49;
constexpr int AxisRight = 786;
// Day-of-year before the first day of each month 2..12 in a 366-day year.
constexpr int MonthStarts[] = {31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335};

void DrawBalanceChartArea(QPainter& p) {
  SunkenPanel(p, AxisLeft, ScaleTop - 4, AxisRight, BaseLine, FrameLight);
  p.setPen(QColor::fromRgb(MonthLine));
  for (int start : MonthStarts) {
    const int x = 2 * (start + 1) + 50 - 1;
    p.drawLine(x, ScaleTop - 4, x, BaseLine - 1);
  }
  // Grid lines at the heights of the scale labels: 0, 1/4, 1/2, 3/4 and the full scale.
  for (int i = 0; i <= 4; ++i) {
    const int y = BaseLine - 65 * i;
    p.setPen(QColor::fromRgb(i == 0 ? FrameShadow : Grid));
    p.drawLine(AxisLeft, y, AxisRight, y);
    p.setPen(QColor::fromRgb(FrameShadow));
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
  QImage image = GreyPicture(793, 393);
  QPainter p(&image);
  Bevel(p, 0, 0, 792, 392, true);
  DrawBalanceChartArea(p);
  // The footer with the controller's clock.
  SunkenPanel(p, 4, 368, 140, 386, PictureGrey);
  return image;
}

QImage MakeDailyValuesBackground() {
  QImage image = GreyPicture(785, 505);
  QPainter p(&image);
  Bevel(p, 0, 0, 784, 504, true);
  for (const Box& b : ValueBoxes) {
    const int width = b.right - b.left + 1, height = b.bottom - b.top + 1;
    p.fillRect(b.left + 3, b.top + 3, width, height, QColor::fromRgb(FrameShadow));  // drop shadow
    p.fillRect(b.left, b.top, width, height, QColor::fromRgb(Panel));
  }
  // The meter list below its heading, and the plant check line.
  SunkenPanel(p, 36, 240, 770, 474, Panel);
  SunkenPanel(p, 36, 485, 770, 501, Panel);
  return image;
}
