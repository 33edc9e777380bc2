// Backgrounds of the history charts (b1, b2, b3, b5) and the splash picture.
// The charts draw their grid, scales, bars, curves and texts themselves; these
// pictures give the areas they land in a finished look. Every position below
// follows the coordinates the draw routines use.
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

#include "PictureShapes.h"
#include "Pictures.h"

namespace {

constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb PlotGap = 0xFFEDEBE6;      // between the daily chart's day panels
constexpr QRgb StatusStrip = 0xFFE2DFD8;  // behind footer and legend
constexpr QRgb WallTop = 0xFFE9EEF6;      // back wall of the bar charts, top to bottom
constexpr QRgb WallBottom = 0xFFFDFDFE;
constexpr QRgb SideWall = 0xFFDCE2EC;
constexpr QRgb Floor = 0xFFC4C8D0;
constexpr QRgb GridLine = 0xFFB4B8C0;
constexpr QRgb AxisLine = 0xFF707070;

void Line(QPainter& p, QRgb color, int x1, int y1, int x2, int y2) {
  p.setPen(QColor::fromRgb(color));
  p.drawLine(x1, y1, x2, y2);
}

void Polygon(QPainter& p, QRgb color, std::initializer_list<QPoint> points) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor::fromRgb(color));
  p.drawPolygon(points.begin(), static_cast<int>(points.size()));
  p.setBrush(Qt::NoBrush);
}

// A raised frame round the part of the picture that its window shows.
void Frame(QPainter& p, int shownWidth, int shownHeight) { Bevel(p, 0, 0, shownWidth - 1, shownHeight - 1, true); }

// ---- Daily chart: three day panels between x = 56 and 723, y = 48 and 300.

constexpr int DayPanelLeft[3] = {56, 288, 520};
constexpr int DayPanelWidth = 203;

void DrawDayPanels(QPainter& p) {
  SunkenPanel(p, 56, 48, 723, 300, PlotGap);
  for (int left : DayPanelLeft) p.fillRect(left, 48, DayPanelWidth + 1, 253, QColor::fromRgb(White));
}

// ---- Bar charts with depth: a floor, a left side wall and a back wall, with
// a grid line for every tenth of the scale running along both walls.

struct WallChart {
  int left, right;     // front edge of the floor
  int baseline, full;  // y of zero and of the full scale at the front
  int depthX, depthY;  // how far the walls lie behind the front
  int panelTop, panelBottom;
};

constexpr WallChart MonthlyWalls{88, 700, 251, 74, 11, 11, 54, 254};
constexpr WallChart YearlyWalls{100, 704, 279, 95, 13, 12, 74, 282};

int GridY(const WallChart& c, int k) {
  return c.baseline - static_cast<int>(std::lround((c.baseline - c.full) * k / 10.0));
}

void DrawWallChart(QPainter& p, const WallChart& c) {
  const int backLeft = c.left + c.depthX, backRight = c.right + c.depthX;
  const int wallTop = c.full - c.depthY - 8, backBase = c.baseline - c.depthY;
  SunkenPanel(p, c.left - 8, c.panelTop, backRight + 8, c.panelBottom, White);
  VerticalGradient(p, backLeft, wallTop, backRight, backBase, WallTop, WallBottom);
  Polygon(p, SideWall, {{c.left, c.baseline}, {backLeft, backBase}, {backLeft, wallTop}, {c.left, wallTop + c.depthY}});
  Polygon(p, Floor, {{c.left, c.baseline}, {backLeft, backBase}, {backRight, backBase}, {c.right, c.baseline}});
  for (int k = 0; k <= 10; ++k) {
    const int y = GridY(c, k);
    const QRgb color = k == 0 ? AxisLine : GridLine;
    Line(p, color, c.left, y, backLeft, y - c.depthY);
    Line(p, color, backLeft, y - c.depthY, backRight, y - c.depthY);
    Line(p, AxisLine, c.left - 5, y, c.left - 1, y);  // tick at the scale
  }
  // Edges of the walls and the floor.
  Line(p, AxisLine, c.left, c.baseline, c.left, wallTop + c.depthY);
  Line(p, AxisLine, c.left, c.baseline, c.right, c.baseline);
  Line(p, AxisLine, backLeft, backBase, backLeft, wallTop);
  Line(p, AxisLine, c.right, c.baseline, backRight, backBase);
  Line(p, GridLine, backRight, backBase, backRight, wallTop);
}

// ---- Plant yield chart: flat bars on y = 282, 214 pixels for the full scale.

constexpr int YieldBaseline = 282;
constexpr int YieldTop = YieldBaseline - 214;

// A white plot panel with a grid line at every scale step.
void DrawFlatChart(QPainter& p, int left, int right, int steps) {
  SunkenPanel(p, left, YieldTop - 6, right, YieldBaseline, White);
  for (int k = 0; k <= steps; ++k) {
    const int y = YieldBaseline - static_cast<int>(std::lround(214.0 * k / steps));
    Line(p, k == 0 ? AxisLine : GridLine, left, y, right, y);
    Line(p, AxisLine, left - 6, y, left - 2, y);
  }
}

// ---- Splash picture: a sunny sky over a field with a row of solar panels.

void DrawSun(QPainter& p, QPointF centre, double radius) {
  QRadialGradient glow(centre, radius * 3.2);
  glow.setColorAt(0, QColor(255, 250, 210, 200));
  glow.setColorAt(1, QColor(255, 250, 210, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(glow);
  p.drawEllipse(centre, radius * 3.2, radius * 3.2);
  p.setPen(QPen(QColor(255, 214, 90), 4, Qt::SolidLine, Qt::RoundCap));
  for (int i = 0; i < 12; ++i) {
    const double a = i * M_PI / 6;
    p.drawLine(centre + QPointF(std::cos(a), std::sin(a)) * radius * 1.35,
               centre + QPointF(std::cos(a), std::sin(a)) * radius * 1.8);
  }
  QRadialGradient disc(centre - QPointF(radius * 0.3, radius * 0.3), radius * 1.3);
  disc.setColorAt(0, QColor(255, 252, 200));
  disc.setColorAt(1, QColor(255, 196, 40));
  p.setPen(Qt::NoPen);
  p.setBrush(disc);
  p.drawEllipse(centre, radius, radius);
}

// One tilted module: a quadrilateral split into a grid of cells.
void DrawModule(QPainter& p, QPointF topLeft, QPointF topRight, QPointF bottomRight, QPointF bottomLeft) {
  const QPointF corners[4] = {topLeft, topRight, bottomRight, bottomLeft};
  QLinearGradient face(topLeft, bottomRight);
  face.setColorAt(0, QColor(52, 84, 150));
  face.setColorAt(0.45, QColor(28, 48, 104));
  face.setColorAt(1, QColor(16, 30, 72));
  p.setPen(QPen(QColor(196, 200, 208), 2.5));
  p.setBrush(face);
  p.drawPolygon(corners, 4);
  p.setPen(QPen(QColor(120, 150, 205, 150), 1));
  constexpr int Columns = 6, Rows = 4;
  for (int i = 1; i < Columns; ++i) {
    const double t = static_cast<double>(i) / Columns;
    p.drawLine(topLeft + (topRight - topLeft) * t, bottomLeft + (bottomRight - bottomLeft) * t);
  }
  for (int i = 1; i < Rows; ++i) {
    const double t = static_cast<double>(i) / Rows;
    p.drawLine(topLeft + (bottomLeft - topLeft) * t, topRight + (bottomRight - topRight) * t);
  }
}

void DrawPanelRow(QPainter& p) {
  // Modules along a line receding to the right, tilted towards the sun.
  for (int i = 0; i < 5; ++i) {
    const double x = 60 + i * 132, scale = 1.0 - i * 0.08;
    const double w = 120 * scale, h = 72 * scale, lean = 34 * scale;
    const double bottom = 292 - i * 13;
    const QPointF bl(x, bottom), br(x + w, bottom - 6 * scale);
    const QPointF tl(x + lean, bottom - h), tr(x + w + lean, bottom - h - 6 * scale);
    p.setPen(QPen(QColor(90, 92, 96), 3 * scale));
    p.drawLine(tl + QPointF(4, 8), QPointF(tl.x() + 4, bottom + 18 * scale));
    p.drawLine(tr + QPointF(-4, 8), QPointF(tr.x() - 4, bottom + 12 * scale));
    DrawModule(p, tl, tr, br, bl);
  }
}

// The splash window writes its two lines centred between y = 330 and 405; a
// light plaque keeps them readable over the meadow.
void DrawTextPlaque(QPainter& p) {
  p.setPen(QPen(QColor(255, 255, 255, 220), 1.5));
  p.setBrush(QColor(255, 255, 255, 165));
  p.drawRoundedRect(QRectF(176, 326, 440, 84), 14, 14);
}

}  // namespace

QImage MakeDailyChartBackground() {
  QImage image = GreyPicture(784, 397);
  QPainter p(&image);
  Frame(p, 784, 397);
  DrawDayPanels(p);
  SunkenPanel(p, 5, 366, 778, 391, StatusStrip);
  return image;
}

QImage MakeMonthlyChartBackground() {
  QImage image = GreyPicture(752, 320);
  QPainter p(&image);
  Frame(p, 745, 320);  // the window shows its picture from x = 8 on
  DrawWallChart(p, MonthlyWalls);
  return image;
}

QImage MakeYearlyChartBackground() {
  QImage image = GreyPicture(771, 359);
  QPainter p(&image);
  Frame(p, 771, 359);
  DrawWallChart(p, YearlyWalls);
  return image;
}

QImage MakeYieldChartBackground() {
  QImage image = GreyPicture(778, 380);
  QPainter p(&image);
  Frame(p, 777, 377);              // the picture control is smaller than the picture
  DrawFlatChart(p, 84, 574, 11);   // 0 .. 165 kWh/kWp in steps of 15
  DrawFlatChart(p, 690, 740, 12);  // 0 .. 1200 kWh/kWp in steps of 100
  return image;
}

QImage MakeSplashPicture() {
  QImage image(792, 432, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  VerticalGradient(p, 0, 0, 791, 260, 0xFF2D6CC0, 0xFFB8D8F2);
  VerticalGradient(p, 0, 260, 791, 431, 0xFF7DB04A, 0xFF3E7A2A);
  // A soft hill line over the horizon.
  QPainterPath hill(QPointF(0, 236));
  hill.cubicTo(200, 206, 420, 250, 792, 218);
  hill.lineTo(792, 432);
  hill.lineTo(0, 432);
  hill.closeSubpath();
  QLinearGradient grass(0, 210, 0, 432);
  grass.setColorAt(0, QColor(120, 170, 80));
  grass.setColorAt(1, QColor(58, 112, 40));
  p.fillPath(hill, grass);
  DrawSun(p, QPointF(650, 90), 40);
  DrawPanelRow(p);
  DrawTextPlaque(p);
  p.setRenderHint(QPainter::Antialiasing, false);
  Frame(p, 792, 432);
  return image;
}
