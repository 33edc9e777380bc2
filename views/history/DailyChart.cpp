#include "views/history/DailyChart.h"

#include <algorithm>
#include <cstdint>

#include "store/PlantStore.h"
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

using Samples = std::array<uint16_t, 58>;  // a panel's samples at 1..56 with the words beside them

// A 0 between two neighbours (in store word order) above the threshold is a
// dropout and is drawn at the value before it.
unsigned Sample(const Samples& words, int i, unsigned threshold) {
  const unsigned w = words[i + 1];
  if (w == 0 && words[i] > threshold && words[i + 2] > threshold) return words[i];
  return w;
}

int IrradianceHeight(unsigned w, uint32_t) { return static_cast<int>(w) * 252 / 1200; }
int PowerHeight(unsigned w, uint32_t dayChartMax) {
  return static_cast<int>(w * 25200u / std::max<uint32_t>(dayChartMax, 1));
}

void DrawCurves(Canvas& canvas, const DailyChartData& data, Samples DayPanelData::*curve, unsigned threshold,
                int (*height)(unsigned, uint32_t)) {
  for (int p = 0; p < 3; ++p) {
    const DayPanel& panel = Panels[p];
    const DayPanelData& day = data.Panels[p];
    canvas.MoveTo(panel.curveStart, p == TodayPanel && data.TodayRaised ? TodayStartY : ZeroY);
    for (int i = 0; i < day.Samples; ++i) {
      const unsigned w = Sample(day.*curve, i, threshold);
      canvas.LineTo(panel.curveStart + 29 * i / 8, ZeroY - height(w, data.DayChartMax));
    }
  }
}

const char* PowerAxisLabel(int k, uint32_t dayChartMax) {
  if (k == 0) return FormatText("     %d", 0);
  if (k == 12) return FormatAxisLabel(static_cast<int>(dayChartMax), DailyAxisThresholds);
  return FormatAxisLabel(static_cast<int>(dayChartMax / 12 * k), DailyAxisThresholds);
}

// Power labels on the left in blue, irradiance labels on the right in red, and
// the horizontal grid: black at zero and at full scale, gray between.
void DrawValueAxes(Canvas& canvas, uint32_t dayChartMax) {
  for (int k = 0; k <= 12; ++k) {
    const int y = ZeroY - GridStep * k;
    canvas.SetFontColor(Colors::Blue);
    canvas.TextOut(10, y - 8, PowerAxisLabel(k, dayChartMax));
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

// The date under each panel, the last day's first.
void DrawDayDates(Canvas& canvas, const DailyChartData& data) {
  for (int p = TodayPanel; p >= 0; --p) {
    const DayPanelData& day = data.Panels[p];
    if (day.Dated) canvas.TextOut(Panels[p].dateX, 328, FormatText(" %d.%d.%d", day.Day, day.Month, day.Year));
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

void SetDate(DayPanelData& day, int d, int m, int y) {
  day.Dated = true;
  day.Day = d, day.Month = m, day.Year = y;
}

// The captions from the controller's date: today, and from the 1st on the two
// days before, across month and year ends.
void DatesFromStore(DailyChartData& data) {
  const int d = Block2[Word::Block2::Day], m = Block2[Word::Block2::Month];
  const int year = Block2[Word::Block2::Year] + 1900;
  DayPanelData &today = data.Panels[2], &yesterday = data.Panels[1], &dayBefore = data.Panels[0];
  SetDate(today, d, m, year);
  if (d == 0) return;
  if (d == 1 && m == 1) {
    SetDate(yesterday, 31, 12, year - 1);
    SetDate(dayBefore, 30, 12, year - 1);
  } else if (d == 1) {
    const int p = DaysInPreviousMonth();
    SetDate(yesterday, p, m - 1, year);
    SetDate(dayBefore, p - 1, m - 1, year);
  } else if (d == 2) {
    SetDate(yesterday, 1, m, year);
    if (m == 1) SetDate(dayBefore, 31, 12, year - 1);
    else SetDate(dayBefore, DaysInPreviousMonth(), m - 1, year);
  } else {
    SetDate(yesterday, d - 1, m, year);
    SetDate(dayBefore, d - 2, m, year);
  }
}

// A slot's samples with the words beside them in store order, as the gap rule reads them.
Samples SlotWords(uint16_t (*ring)(int), int slot) {
  Samples words;
  for (int k = 0; k < static_cast<int>(words.size()); ++k) words[k] = ring(SamplesPerDay * slot + k - 1);
  return words;
}

}  // namespace

int DaysInPreviousMonth() {
  switch (ControllerMonth()) {
    case 1:
    case 2:
    case 4:
    case 6:
    case 8:
    case 9:
    case 11: return 31;
    case 3: {
      const int year = Block2[Word::Block2::Year] + 1900;
      const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
      return leap ? 29 : 28;
    }
    default: return 30;
  }
}

DailyChartData DailyChartFromStore() {
  DailyChartData data;
  const int s = TodayRingSlot();
  for (int p = 0; p < 3; ++p) {
    DayPanelData& day = data.Panels[p];
    const int slot = RingSlotOrder[s][Panels[p].slotColumn];
    day.Samples = p == TodayPanel ? TodaySampleCount() : SamplesPerDay;
    day.Power = SlotWords(PowerRing, slot);
    day.Irradiance = SlotWords(IrradianceRing, slot);
  }
  DatesFromStore(data);
  data.DayChartMax = DayChartMax;
  data.Footer = StoreFooter();
  return data;
}

void DrawDailyChart() {
  if (Form1 == nullptr) return;
  DrawDailyChart(*Form1, *Form1->Image1, DailyChartFromStore());
  // Once drawn (not when the picture is missing), the store keeps slot 0 as well.
  Block3[Word::Block3::TodaySlot] = static_cast<uint16_t>(TodayRingSlot());
}

void DrawDailyChart(TForm& form, TImage& image, const DailyChartData& data) {
  Canvas& canvas = PrepareChart(form, image, "b1.bmp", ChartPitch::Fixed);
  DrawDayDates(canvas, data);
  DrawValueAxes(canvas, data.DayChartMax);
  DrawTimeAxis(canvas);

  canvas.SetPenColor(Colors::Red);
  canvas.SetPenWidth(2);
  canvas.SetBrushStyle(BrushStyle::Clear);
  DrawCurves(canvas, data, &DayPanelData::Irradiance, 100, IrradianceHeight);
  canvas.SetPenColor(Colors::Blue);
  DrawCurves(canvas, data, &DayPanelData::Power, data.DayChartMax * 5 / 10000, PowerHeight);

  DrawFooter(canvas, 375, data.Footer);
  DrawCaptions(canvas);
}
