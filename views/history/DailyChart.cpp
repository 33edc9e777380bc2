#include "views/history/DailyChart.h"

#include <algorithm>
#include <cstdint>

#include "link/PlantStore.h"
#include "views/Canvas.h"
#include "views/history/ChartConventions.h"
#include "views/history/ChartForms.h"

namespace {

// The value axis: zero at y = 300, full scale at y = 48, a grid line every 21 pixels.
constexpr int ZeroY = 300;
constexpr int TopY = 48;
constexpr int GridStep = 21;
constexpr int GridRight = 723;
constexpr int SamplesPerDay = RingSlotSamples;

struct DayPanel {
  int gridLeft;    // the 6:00 grid line
  int curveStart;  // x of sample 0
  int dateX;       // the date caption
  int slotColumn;  // column of RingSlotOrder that gives the panel's day slot
};
// Left: the day before yesterday; middle: yesterday; right: today.
constexpr DayPanel Panels[3] = {{56, 60, 137, 2}, {288, 289, 368, 1}, {520, 521, 600, 0}};
constexpr int TodayPanel = 2;
// Today's curve starts 19 pixels above the zero line.
constexpr int TodayStartY = 281;

using Ring = uint16_t (*)(int);

// A slot number the rings do not have is taken as slot 0, in the store as well.
int TodaySlot() {
  uint16_t& slot = Block3[Word::Block3::TodaySlot];
  if (slot > 2) slot = 0;
  return TodayRingSlot();
}

// A 0 between two neighbours (in store word order) above the threshold is a
// dropout and is drawn at the value before it.
unsigned Sample(Ring ring, int j, unsigned threshold) {
  const unsigned w = ring(j);
  if (w == 0 && ring(j - 1) > threshold && ring(j + 1) > threshold) return ring(j - 1);
  return w;
}

int IrradianceHeight(unsigned w) { return static_cast<int>(w) * 252 / 1200; }
int PowerHeight(unsigned w) { return static_cast<int>(w * 25200u / std::max<uint32_t>(DayChartMax, 1)); }

void DrawCurves(Canvas& canvas, Ring ring, unsigned threshold, int (*height)(unsigned)) {
  const int s = TodaySlot();
  for (int p = 0; p < 3; ++p) {
    const DayPanel& panel = Panels[p];
    const int slot = RingSlotOrder[s][panel.slotColumn];
    const int samples = p == TodayPanel ? TodaySampleCount() : SamplesPerDay;
    canvas.MoveTo(panel.curveStart, p == TodayPanel ? TodayStartY : ZeroY);
    for (int i = 0; i < samples; ++i) {
      const unsigned w = Sample(ring, SamplesPerDay * slot + i, threshold);
      canvas.LineTo(panel.curveStart + 29 * i / 8, ZeroY - height(w));
    }
  }
}

const char* PowerAxisLabel(int k) {
  if (k == 0) return FormatText("     %d", 0);
  if (k == 12) return FormatAxisLabel(static_cast<int>(DayChartMax), DailyAxisThresholds);
  return FormatAxisLabel(static_cast<int>(DayChartMax / 12 * k), DailyAxisThresholds);
}

// Power labels on the left in blue, irradiance labels on the right in red, and
// the horizontal grid: black at zero and at full scale, gray between.
void DrawValueAxes(Canvas& canvas) {
  for (int k = 0; k <= 12; ++k) {
    const int y = ZeroY - GridStep * k;
    canvas.SetFontColor(Colors::Blue);
    canvas.TextOut(10, y - 8, PowerAxisLabel(k));
    if (k == 0) {
      canvas.SetFontColor(Colors::Red);
      canvas.TextOut(728, y - 8, "0");
    }
    if (k == 12) canvas.SetPenColor(Colors::Black);
    canvas.MoveTo(Panels[0].gridLeft, y);
    canvas.LineTo(GridRight, y);
    if (k == 0) {
      canvas.SetPenColor(Colors::Gray);
      continue;
    }
    canvas.SetFontColor(Colors::Red);
    canvas.TextOut(728, y - 8, FormatText("%d", 100 * k));
  }
  canvas.SetFontColor(Colors::Black);
}

// Vertical lines every two hours with the hours below; each day's 6:00 line
// and the chart's right edge are black.
void DrawTimeAxis(Canvas& canvas) {
  for (int p = 0; p < 3; ++p) {
    for (int g = 0; g <= 7; ++g) {
      const int x = Panels[p].gridLeft + 29 * g;
      const bool dayStart = g == 0, chartEnd = p == TodayPanel && g == 7;
      canvas.SetPenColor(dayStart || chartEnd ? Colors::Black : Colors::Gray);
      canvas.SetPenWidth(dayStart && p > 0 ? 2 : 1);
      canvas.MoveTo(x, TopY);
      canvas.LineTo(x, ZeroY);
      canvas.TextOut(x - 4, 304, FormatText("%d", 6 + 2 * g));
    }
  }
}

void DrawCaptions(Canvas& canvas) {
  canvas.SetFontHeight(18);
  canvas.SetFontColor(Colors::Blue);
  canvas.TextOut(230, 368, "--- Leistung");
  canvas.SetFontColor(Colors::Red);
  canvas.TextOut(380, 368, "--- Globalstrahlung");
  canvas.SetFontBold(true);
  canvas.SetFontHeight(20);
  canvas.SetFontColor(Colors::Blue);
  canvas.TextOut(10, 14, "[W]");
  canvas.SetFontColor(Colors::Red);
  canvas.TextOut(710, 14, "[W/qm]");
  canvas.SetFontColor(Colors::Black);
  canvas.TextOut(270, 12, "Leistung / Globalstrahlung");
  canvas.TextOut(360, 347, "Uhrzeit");
}

}  // namespace

int DaysInPreviousMonth() {
  switch (ControllerMonth()) {
    case 1: case 2: case 4: case 6: case 8: case 9: case 11:
      return 31;
    case 3: {
      const int year = Block2[Word::Block2::Year] + 1900;
      const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
      return leap ? 29 : 28;
    }
    default:
      return 30;
  }
}

void DrawDayDates() {
  if (Form1 == nullptr) return;
  Canvas& canvas = Form1->Image1->GetCanvas();
  const int d = Block2[Word::Block2::Day], m = Block2[Word::Block2::Month];
  const int year = Block2[Word::Block2::Year] + 1900;
  const auto caption = [&canvas](int panel, int day, int month, int y) {
    canvas.TextOut(Panels[panel].dateX, 328, FormatText(" %d.%d.%d", day, month, y));
  };
  caption(2, d, m, year);
  if (d == 0) return;
  if (d == 1 && m == 1) {
    caption(1, 31, 12, year - 1);
    caption(0, 30, 12, year - 1);
  } else if (d == 1) {
    const int p = DaysInPreviousMonth();
    caption(1, p, m - 1, year);
    caption(0, p - 1, m - 1, year);
  } else if (d == 2) {
    caption(1, 1, m, year);
    if (m == 1)
      caption(0, 31, 12, year - 1);
    else
      caption(0, DaysInPreviousMonth(), m - 1, year);
  } else {
    caption(1, d - 1, m, year);
    caption(0, d - 2, m, year);
  }
}

void DrawDailyChart() {
  if (Form1 == nullptr) return;
  Canvas& canvas = PrepareChart(*Form1, *Form1->Image1, "b1.bmp", ChartPitch::Fixed);
  DrawDayDates();
  DrawValueAxes(canvas);
  DrawTimeAxis(canvas);

  canvas.SetPenColor(Colors::Red);
  canvas.SetPenWidth(2);
  canvas.SetBrushStyle(BrushStyle::Clear);
  DrawCurves(canvas, IrradianceRing, 100, IrradianceHeight);
  canvas.SetPenColor(Colors::Blue);
  DrawCurves(canvas, PowerRing, DayChartMax * 5 / 10000, PowerHeight);

  DrawFooter(canvas, 375);
  DrawCaptions(canvas);
}
