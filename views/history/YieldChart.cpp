#include "views/history/YieldChart.h"

#include "store/PlantStore.h"
#include "views/Canvas.h"
#include "views/history/ChartConventions.h"
#include "views/history/ChartForms.h"

namespace {

// Month scale 0, 15, .. 165 and year scale 0, 100, .. 1200: tops of the labels.
constexpr int MonthLabelY[12] = {276, 256, 237, 217, 197, 178, 158, 138, 119, 99, 79, 59};
constexpr int YearLabelY[13] = {275, 257, 239, 221, 203, 185, 167, 149, 132, 114, 96, 78, 59};
// Yields of 5 kWh/kWp or less draw neither a bar nor a value.
constexpr int LargestHiddenYield = 5;

void DrawScaleLabels(Canvas& canvas) {
  canvas.TextOut(34, MonthLabelY[0], FormatText("   %d", 0));
  for (int k = 1; k < 12; ++k) canvas.TextOut(34, MonthLabelY[k], FormatAxisLabel(15 * k, BarAxisThresholds));
  canvas.TextOut(645, YearLabelY[0], FormatText("   %d", 0));
  for (int k = 1; k < 13; ++k) canvas.TextOut(645, YearLabelY[k], FormatAxisLabel(100 * k, BarAxisThresholds));
}

// kWh per kWp: PowerScale is the plant size in hundredths of kWp. Worked out in
// double and kept as a float, so that results such as 70 stay whole.
float SpecificYieldOf(int kwh) {
  return static_cast<float>(static_cast<double>(kwh) / static_cast<double>(PowerScale) * 100.0);
}

void DrawYieldBars(Canvas& canvas) {
  ComputeTodayYield();
  const int row = CurrentYearRow();
  float specificYield[12];
  for (int m = 0; m < 12; ++m) specificYield[m] = SpecificYieldOf(MonthEnergy(row, m));

  int left = 65;
  for (int m = 0; m < 12; ++m) {
    const int t = static_cast<int>(specificYield[m]);
    left += 39;
    if (t > LargestHiddenYield) DrawFlatBar(canvas, YieldMonthBar, left, t);
  }

  float yearSpecificYield = 0.0f;
  for (float monthYield : specificYield) yearSpecificYield += monthYield;
  const int t = static_cast<int>(yearSpecificYield);
  if (t > LargestHiddenYield) DrawFlatBar(canvas, YieldYearBar, 704, t);
}

void DrawCaptions(Canvas& canvas) {
  canvas.SetFontColor(Colors::Black);
  canvas.SetFontHeight(16);
  for (int m = 0; m < 12; ++m) canvas.TextOut(104 + 39 * m, 287, MonthName(m));
  canvas.SetFontHeight(18);
  canvas.TextOut(315, 345, FormatText("%d", Block2[Word::Block2::Year] + 1900));
  canvas.SetFontBold(true);
  canvas.SetFontColor(Colors::Black);
  canvas.SetFontHeight(24);
  canvas.TextOut(215, 18, "Ertrag der Anlage");
  canvas.SetFontHeight(22);
  canvas.TextOut(305, 324, "Monate");
  canvas.TextOut(690, 321, "Jahr");
  canvas.SetFontHeight(18);
  canvas.TextOut(25, 35, "kWh/kWp");
  canvas.TextOut(630, 35, "kWh/kWp");
}

}  // namespace

void DrawYieldChart() {
  if (Form5 == nullptr) return;
  Canvas& canvas = PrepareChart(*Form5, *Form5->Image1, "b5.bmp", ChartPitch::Default);
  DrawScaleLabels(canvas);
  DrawYieldBars(canvas);
  canvas.SetFontHeight(14);
  canvas.SetBrushStyle(BrushStyle::Clear);
  DrawFooter(canvas, 360, StoreFooter());
  DrawCaptions(canvas);
}
