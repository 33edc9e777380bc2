#include "views/history/ChartConventions.h"

#include <algorithm>

#include "protocol/Cp1252.h"
#include "store/PlantStore.h"
#include "views/Canvas.h"
#include "views/Form.h"
#include "views/Picture.h"

namespace {

struct Point {
  int x, y;
};

// The outline strokes of a bar, starting at its first point.
void Stroke(Canvas& canvas, const Point* points, int count) {
  canvas.MoveTo(points[0].x, points[0].y);
  for (int i = 1; i < count; ++i) canvas.LineTo(points[i].x, points[i].y);
}

void DrawBarValue(Canvas& canvas, const BarGeometry& g, int left, int value) {
  canvas.SetFontColor(Colors::Blue);
  canvas.SetBrushStyle(BrushStyle::Clear);
  canvas.TextOut(left - 10, g.baseline + g.labelDy, FormatText("   %d", value));
  canvas.SetFontColor(Colors::Black);
}

}  // namespace

BarGeometry MonthlyBar(uint32_t monthChartMax) {
  return {251, 23, 177, monthChartMax, 11, 11, 23, 23, FlatBarFill::BelowTop};
}
BarGeometry YearlyBar(uint32_t yearChartMax) {
  return {279, 24, 184, yearChartMax, 13, 12, 23, 23, FlatBarFill::BelowTop};
}
BarGeometry MonthlyBar() { return MonthlyBar(MonthChartMax); }
BarGeometry YearlyBar() { return YearlyBar(YearChartMax); }

void DrawBox3D(Canvas& canvas, const BarGeometry& g, int left, int value) {
  // 64-bit product, truncated to the 32 bits the height is kept in.
  const auto h = static_cast<uint32_t>(static_cast<uint64_t>(static_cast<uint32_t>(value)) *
                                       static_cast<uint32_t>(g.scaleNumerator) / std::max<uint32_t>(g.scale, 1));
  const int top = g.baseline - static_cast<int>(h);
  const Point p0{left, g.baseline}, p1{left + g.width, g.baseline}, p2{p1.x, top}, p3{left, top};
  const Point p4{left + g.depthX, p3.y - g.depthY}, p5{p4.x + g.backWidth, p4.y};
  const Point p6{p5.x, g.baseline - g.depthY};
  // Front face, its left edge again, top face, its right edge again, side face.
  const Point outline[] = {p0, p1, p2, p3, p0, p3, p4, p5, p2, p5, p6, p1};

  canvas.SetPenColor(Colors::Yellow);
  canvas.SetBrushColor(Colors::Blue);
  Stroke(canvas, outline, 12);
  canvas.FloodFill(left + 3, g.baseline - 1, Colors::Yellow);
  canvas.FloodFill(left + 3, p3.y - 1, Colors::Yellow);
  canvas.FloodFill(p1.x + 1, g.baseline - 2, Colors::Yellow);
  canvas.SetPenColor(Colors::Black);
  Stroke(canvas, outline, 12);
  DrawBarValue(canvas, g, left, value);
}

void DrawFlatBar(Canvas& canvas, const BarGeometry& g, int left, int value) {
  // 64-bit product: a year bar of an absurd value must not wrap into a negative height.
  const auto h = static_cast<int>(static_cast<int64_t>(value) * g.scaleNumerator /
                                  static_cast<int64_t>(std::max<uint32_t>(g.scale, 1)));
  const int top = g.baseline - h;
  const Point outline[] = {
      {left, g.baseline}, {left + g.width, g.baseline}, {left + g.width, top}, {left, top}, {left, g.baseline}};

  canvas.SetPenColor(Colors::Blue);
  canvas.SetBrushColor(Colors::Blue);
  Stroke(canvas, outline, 5);
  // A bar that rises above the picture is filled from its top visible row.
  const int fillY = g.flatFill == FlatBarFill::BelowTop ? std::max(top + 2, 0) : g.baseline - 1;
  canvas.FloodFill(left + 3, fillY, Colors::Blue);
  canvas.SetPenColor(Colors::Black);
  Stroke(canvas, outline, 5);
  DrawBarValue(canvas, g, left, value);
}

ChartFooter StoreFooter() { return {FormatTime(), FormatDate()}; }

void DrawFooter(Canvas& canvas, int y, const ChartFooter& footer) {
  canvas.SetFontHeight(14);
  canvas.SetFontBold(false);
  canvas.SetFontColor(Colors::Black);
  canvas.SetBrushStyle(BrushStyle::Clear);
  canvas.TextOut(8, y, footer.Time);
  canvas.TextOut(50, y, footer.Date);
}

int CurrentYearRow() { return (MonthCounter() - 1) / 12; }

int MonthEnergy(int row, int m) {
  // The last plant year's row runs past the month slots into the meters'
  // yearly yields, which are no months: those months count as empty.
  const int index = 12 * row + m + 1;
  int v = index <= LastMonthSlot ? MonthRun(index) : 0;
  if (ControllerMonth() == m + 1) v += TodayYield / 100;
  return v;
}

const char* MonthName(int m) {
  static const std::string names[12] = {
      "Jan", "Feb", Cp1252FromUtf8("Mär"), "Apr", "Mai", "Jun", "Jul", "Aug", "Sep", "Okt", "Nov", "Dez"};
  return names[std::clamp(m, 0, 11)].c_str();
}

Canvas& PrepareChart(TForm& form, TImage& image, const char* pictureFile, ChartPitch pitch) {
  image.LoadFromFile(pictureFile);
  form.show();
  Canvas& canvas = image.GetCanvas();
  // A reloaded picture's pen is already black and one pixel wide; the daily
  // chart relies on it, so it is set here for every chart alike.
  canvas.SetPenColor(Colors::Black);
  canvas.SetPenWidth(1);
  canvas.SetFontColor(Colors::Black);
  canvas.SetFontHeight(14);
  if (pitch == ChartPitch::Fixed) canvas.SetFontPitch(FontPitch::Fixed);
  canvas.SetBrushStyle(BrushStyle::Clear);
  canvas.SetFontName("Arial");
  return canvas;
}
