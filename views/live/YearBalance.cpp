#include "views/live/YearBalance.h"

#include "protocol/Cp1252.h"
#include "store/PlantStore.h"
#include "views/AxisLabel.h"
#include "views/live/BalanceSlots.h"
#include "views/live/TForm4.h"

namespace {

// Chart geometry: the base line, the height of the full scale, and day n's
// bar at x = 2 n + 50.
constexpr int BaseLine = 316;
constexpr int ScaleHeight = 260;
constexpr int ChartTop = BaseLine - ScaleHeight;
constexpr int MarkerTop = ChartTop + 2;

int DayX(int n) { return 2 * n + 50; }

// A scale number right-aligned to four character cells of the fixed-pitch font.
const char* ScaleLabel(uint32_t v) { return FormatAxisLabel(static_cast<int>(v), BarAxisThresholds); }

void DrawScale(Canvas& c, uint32_t scale) {
  const uint32_t quarter = scale / 4;
  c.TextOut(10, 309, FormatText("   %d", 0));
  c.TextOut(10, 244, ScaleLabel(quarter));
  c.TextOut(10, 179, ScaleLabel(2 * quarter));
  c.TextOut(10, 115, ScaleLabel(3 * quarter));
  c.TextOut(10, 49, ScaleLabel(scale));
}

// A red upright rectangle on today's day; none when the controller's date is
// no day of the year.
void DrawTodayMarker(Canvas& c) {
  const int today = BalanceToday();
  if (today == 0) return;
  c.SetPenColor(Colors::Red);
  c.SetPenWidth(2);
  const int x = DayX(today);
  c.Rectangle(x, BaseLine, x + 2, MarkerTop);
}

// Bar top for a value in 0.1 kWh on a scale in kWh; never above the scale's top.
int BarTop(int32_t value, uint32_t scale) {
  const uint32_t height = static_cast<uint32_t>(value) * 26u / scale;
  return height > static_cast<uint32_t>(ScaleHeight) ? ChartTop : BaseLine - static_cast<int>(height);
}

void DrawBars(Canvas& c, const BalanceSlotTable& table, uint32_t scale) {
  c.SetPenColor(Colors::DesktopBackground);
  c.SetPenWidth(2);
  for (int n = 1; n <= BalanceDays; ++n) {
    if (table[n] == 0) continue;
    c.Rectangle(DayX(n), BaseLine, DayX(n) + 2, BarTop(table[n], scale));
  }
}

void DrawClock(Canvas& c) {
  c.SetFontHeight(14);
  c.SetBrushStyle(BrushStyle::Clear);
  c.TextOut(8, 370, FormatTime());
  c.TextOut(50, 370, FormatDate());
}

void DrawMonthNames(Canvas& c) {
  static const struct {
    const char* name;
    int x;
  } months[] = {{"Jan", 68},  {"Feb", 128}, {"M\xE4r", 188}, {"Apr", 248}, {"Mai", 308}, {"Jun", 368},
                {"Jul", 428}, {"Aug", 490}, {"Sep", 552},    {"Okt", 610}, {"Nov", 673}, {"Dez", 733}};
  c.SetFontHeight(18);
  c.SetFontColor(Colors::Black);
  for (const auto& month : months) c.TextOut(month.x, 320, month.name);
}

void DrawTitles(Canvas& c) {
  c.SetFontBold(true);
  c.SetFontHeight(24);
  c.TextOut(290, 12, "Jahresenergiebilanz");
  c.SetFontHeight(18);
  c.TextOut(5, 25, "[kWh]");
}

}  // namespace

void DrawYearBalance() {
  Form4->Image1->LoadFromFile("b4.bmp");
  Form4->show();
  Canvas& c = Form4->Image1->GetCanvas();
  c.SetFontName("Arial");
  c.SetFontHeight(16);
  c.SetFontColor(Colors::Black);
  c.SetFontPitch(FontPitch::Fixed);
  c.SetBrushStyle(BrushStyle::Clear);
  // The scale is never 0 once derived; the guard keeps a bad value from stopping the drawing.
  const uint32_t scale = BalanceChartMax != 0 ? BalanceChartMax : 10;
  DrawScale(c, scale);
  DrawTodayMarker(c);
  BalanceSlotTable table = FillBalanceSlots();
  FilterSpikes(table);
  DrawBars(c, table, scale);
  DrawClock(c);
  DrawMonthNames(c);
  DrawTitles(c);
}
