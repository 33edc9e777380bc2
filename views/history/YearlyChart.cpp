#include "views/history/YearlyChart.h"

#include "link/PlantStore.h"
#include "views/Canvas.h"
#include "views/history/ChartConventions.h"
#include "views/history/ChartForms.h"

namespace {

// Top of each value label, k = 0..10 tenths of the scale.
constexpr int LabelY[11] = {271, 254, 236, 218, 200, 182, 164, 146, 128, 110, 91};
// The year captions FirstYear + 1 .. FirstYear + 10.
constexpr int YearCaptionX[10] = {173, 224, 275, 329, 381, 432, 483, 536, 589, 641};
// The first plant year's January is MonthRun[25].
constexpr int FirstMonthSlot = 24;
constexpr int BarStep = 52;

void DrawValueLabels(Canvas& canvas) {
  canvas.TextOut(45, LabelY[0], FormatText("   %d", 0));
  for (int k = 1; k < 10; ++k)
    canvas.TextOut(45, LabelY[k], FormatAxisLabel(static_cast<int>(YearChartMax / 10 * k), BarAxisThresholds));
  canvas.TextOut(45, LabelY[10], FormatAxisLabel(static_cast<int>(YearChartMax), BarAxisThresholds));
}

void DrawYearCaptions(Canvas& canvas) {
  canvas.TextOut(113, 290, FormatText("   %d", FirstYear));
  for (int j = 1; j <= 10; ++j)
    canvas.TextOut(YearCaptionX[j - 1], 290, FormatAxisLabel(FirstYear + j, BarAxisThresholds));
}

// MonthRun[first] + .. + MonthRun[last]; 0 when last < first.
int SumOfMonths(int first, int last) {
  int sum = 0;
  for (int i = first; i <= last; ++i) sum += MonthRun(i);
  return sum;
}

// One bar per complete plant year, then the current year up to the month
// counter with today's energy. While the first plant year runs there is only
// the current year's bar.
void DrawYearBars(Canvas& canvas) {
  ComputeTodayYield();
  const int counter = MonthCounter();
  const int completeEnd = 12 * ((counter - 1) / 12);
  const BarGeometry bar = YearlyBar();
  int left = 123;
  int g = FirstMonthSlot;
  for (; g < completeEnd; g += 12, left += BarStep) DrawBox3D(canvas, bar, left, SumOfMonths(g + 1, g + 12));
  DrawBox3D(canvas, bar, left, SumOfMonths(g + 1, counter) + TodayYield / 100);
}

void DrawCaptions(Canvas& canvas) {
  canvas.SetFontHeight(28);
  canvas.SetFontBold(true);
  canvas.SetFontColor(Colors::Black);
  canvas.TextOut(300, 18, "Jahresdaten");
  canvas.SetFontHeight(22);
  canvas.TextOut(38, 65, "kWh");
}

}  // namespace

void DrawYearlyChart() {
  if (Form3 == nullptr) return;
  Canvas& canvas = PrepareChart(*Form3, *Form3->Image1, "b3.bmp", ChartPitch::Fixed);
  DrawValueLabels(canvas);
  DrawYearCaptions(canvas);
  DrawYearBars(canvas);
  canvas.SetBrushStyle(BrushStyle::Clear);
  DrawFooter(canvas, 330);
  DrawCaptions(canvas);
}
