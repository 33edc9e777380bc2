#include "views/history/YearlyChart.h"

#include "store/PlantStore.h"
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

void DrawValueLabels(Canvas& canvas, uint32_t yearChartMax) {
  canvas.TextOut(45, LabelY[0], FormatText("   %d", 0));
  for (int k = 1; k < 10; ++k)
    canvas.TextOut(45, LabelY[k], FormatAxisLabel(static_cast<int>(yearChartMax / 10 * k), BarAxisThresholds));
  canvas.TextOut(45, LabelY[10], FormatAxisLabel(static_cast<int>(yearChartMax), BarAxisThresholds));
}

void DrawYearCaptions(Canvas& canvas, int firstYear) {
  canvas.TextOut(113, 290, FormatText("   %d", firstYear));
  for (int j = 1; j <= 10; ++j)
    canvas.TextOut(YearCaptionX[j - 1], 290, FormatAxisLabel(firstYear + j, BarAxisThresholds));
}

// MonthRun[first] + .. + MonthRun[last]; 0 when last < first.
int SumOfMonths(int first, int last) {
  int sum = 0;
  for (int i = first; i <= last; ++i) sum += MonthRun(i);
  return sum;
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

// One bar per complete plant year, then the current year up to the month
// counter with today's energy. While the first plant year runs there is only
// the current year's bar.
YearlyChartData YearlyChartFromStore() {
  YearlyChartData data;
  data.FirstYear = FirstYear;
  ComputeTodayYield();
  const int counter = MonthCounter();
  const int completeEnd = 12 * ((counter - 1) / 12);
  int g = FirstMonthSlot;
  for (; g < completeEnd; g += 12) data.Years.push_back(SumOfMonths(g + 1, g + 12));
  data.Years.push_back(SumOfMonths(g + 1, counter) + TodayYield / 100);
  data.YearChartMax = YearChartMax;
  data.Footer = StoreFooter();
  return data;
}

void DrawYearlyChart() {
  if (Form3 == nullptr) return;
  DrawYearlyChart(*Form3, *Form3->Image1, YearlyChartFromStore());
}

void DrawYearlyChart(TForm& form, TImage& image, const YearlyChartData& data) {
  Canvas& canvas = PrepareChart(form, image, "b3.bmp", ChartPitch::Fixed);
  DrawValueLabels(canvas, data.YearChartMax);
  DrawYearCaptions(canvas, data.FirstYear);
  const BarGeometry bar = YearlyBar(data.YearChartMax);
  int left = 123;
  for (int energy : data.Years) {
    DrawBox3D(canvas, bar, left, energy);
    left += BarStep;
  }
  canvas.SetBrushStyle(BrushStyle::Clear);
  DrawFooter(canvas, 330, data.Footer);
  DrawCaptions(canvas);
}
