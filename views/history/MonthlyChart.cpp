#include "views/history/MonthlyChart.h"

#include "store/PlantStore.h"
#include "views/Canvas.h"
#include "views/history/ChartConventions.h"
#include "views/history/ChartForms.h"

namespace {

// Top of each value label, k = 0..10 tenths of the scale.
constexpr int LabelY[11] = {243, 227, 208, 190, 173, 156, 138, 120, 103, 85, 68};

void DrawValueLabels(Canvas& canvas, uint32_t monthChartMax) {
  canvas.TextOut(37, LabelY[0], FormatText("   %d", 0));
  for (int k = 1; k < 10; ++k)
    canvas.TextOut(37, LabelY[k], FormatAxisLabel(static_cast<int>(monthChartMax / 10 * k), BarAxisThresholds));
  canvas.TextOut(37, LabelY[10], FormatAxisLabel(static_cast<int>(monthChartMax), BarAxisThresholds));
}

void DrawCaptions(Canvas& canvas, int year) {
  canvas.SetFontHeight(18);
  canvas.TextOut(370, 285, FormatText("%d", year));
  canvas.SetFontColor(Colors::Black);
  for (int m = 0; m < 12; ++m) canvas.TextOut(105 + 50 * m, 258, MonthName(m));
  canvas.SetFontHeight(28);
  canvas.SetFontBold(true);
  canvas.TextOut(300, 15, "Monatsdaten");
  canvas.SetFontHeight(22);
  canvas.TextOut(28, 40, "kWh");
}

}  // namespace

MonthlyChartData MonthlyChartFromStore() {
  MonthlyChartData data;
  data.Year = Block2[Word::Block2::Year] + 1900;
  ComputeTodayYield();
  const int row = CurrentYearRow();
  for (int m = 0; m < 12; ++m) data.Months[m] = MonthEnergy(row, m);
  data.MonthChartMax = MonthChartMax;
  data.Footer = StoreFooter();
  return data;
}

void DrawMonthlyChart() {
  if (Form12 == nullptr) return;
  DrawMonthlyChart(*Form12, *Form12->Image1, MonthlyChartFromStore());
}

void DrawMonthlyChart(TForm& form, TImage& image, const MonthlyChartData& data) {
  Canvas& canvas = PrepareChart(form, image, "b2.bmp", ChartPitch::Fixed);
  DrawValueLabels(canvas, data.MonthChartMax);
  const BarGeometry bar = MonthlyBar(data.MonthChartMax);
  for (int m = 0; m < 12; ++m) DrawBox3D(canvas, bar, 107 + 50 * m, data.Months[m]);

  canvas.SetBrushStyle(BrushStyle::Clear);
  DrawFooter(canvas, 300, data.Footer);
  DrawCaptions(canvas, data.Year);
}
