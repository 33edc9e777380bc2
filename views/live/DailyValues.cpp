#include "views/live/DailyValues.h"

#include <optional>
#include <string>

#include "protocol/Cp1252.h"
#include "store/DailyFigures.h"
#include "store/PlantStore.h"
#include "views/live/TForm6.h"

namespace {

// A closed rectangle drawn as a move and four lines clockwise.
void Box(Canvas& c, int left, int top, int right, int bottom) {
  c.MoveTo(left, top);
  c.LineTo(right, top);
  c.LineTo(right, bottom);
  c.LineTo(left, bottom);
  c.LineTo(left, top);
}

// "<value> <unit>" when the value is known, else "--- <unit>".
std::string Amount(const std::optional<int64_t>& value, const char* unit) {
  if (!value) return std::string("--- ") + unit;
  return FormatText("%lld %s", static_cast<long long>(*value), unit);
}

void DrawBoxes(Canvas& c) {
  c.SetPenColor(Colors::Black);
  c.SetPenWidth(1);
  Box(c, 40, 55, 250, 210);    // power and energy
  Box(c, 283, 55, 493, 130);   // revenue
  Box(c, 283, 171, 493, 210);  // irradiation
  Box(c, 523, 55, 733, 130);   // environment
  Box(c, 523, 171, 733, 210);  // module temperature
}

void DrawHeadings(Canvas& c) {
  c.SetFontHeight(24);
  c.TextOut(340, 0, "Tageswerte");
  c.SetFontHeight(22);
  c.TextOut(55, 30, "Leistung/elek. Energie");
  c.TextOut(320, 30, "Einnahmen [Euro]");
  c.TextOut(515, 30, Cp1252FromUtf8("persönlicher Umweltbeitrag"));
  c.TextOut(310, 147, "Globaleinstrahlung");
  c.TextOut(535, 147, "max. Modultemperatur");
  c.TextOut(135, 217, Cp1252FromUtf8("Zählernummer: aktuelle Leistung/Tagesertrag/Jahresertrag"));
}

void DrawEnergyLabels(Canvas& c) {
  static const char* const labels[] = {
      "akt.Leist:", "max.Leist:", "heute:", "gestern:", "vorgestern:", "Monat:", "Jahr:", "gesamt:", "Ertrag:"};
  int y = 55;
  for (const char* label : labels) {
    c.TextOut(42, y, label);
    y += 17;
  }
}

void DrawEnergyColumn(Canvas& c, const DailyFigures& f) {
  c.TextOut(127, 89, FormatText("%3.1f kWh", f.todayYield * 0.01));
  c.TextOut(127, 106, FormatText("%3.0f kWh", f.yesterdayYield * 0.1));
  c.TextOut(152, 123, FormatText("%3.0f kWh", f.dayBeforeYield * 0.1));
  c.TextOut(127, 140, Amount(f.monthYield, "kWh"));
  c.TextOut(127, 157, Amount(f.yearYield, "kWh"));
  c.TextOut(127, 174, Amount(f.totalYield, "kWh"));
  c.TextOut(127, 191, FormatText("%3.1f kWh/kWp", f.specificYield));
}

void DrawSmallBoxLabels(Canvas& c) {
  c.TextOut(286, 55, "heute:");
  c.TextOut(286, 72, "Jahr:");
  c.TextOut(286, 89, "gesamt:");
  c.TextOut(286, 173, "heute:");
  c.TextOut(286, 190, "Jahr:");
}

void DrawPowerRows(Canvas& c, const DailyFigures& f) {
  c.TextOut(150, 55, FormatText("%3.1f kW", f.plantPower * 0.1));
  c.TextOut(150, 72, FormatText("%3.1f kW", f.maxPower * 0.1));
}

void DrawRevenue(Canvas& c, const DailyFigures& f) {
  c.TextOut(358, 55, FormatText("%3.0f EUR", f.todayRevenue));
  c.TextOut(358, 72, Amount(f.yearRevenue, "EUR"));
  c.TextOut(358, 89, Amount(f.totalRevenue, "EUR"));
}

void DrawIrradiation(Canvas& c, const DailyFigures& f) {
  c.TextOut(360, 173, !f.todayIrradiation ? "--- kWh/m2" : FormatText("%3.1f kWh/m2", *f.todayIrradiation));
  c.TextOut(360, 190, !f.yearIrradiation ? "--- kWh/m2" : FormatText("%u kWh/m2", *f.yearIrradiation));
}

void DrawModuleTemperature(Canvas& c, const DailyFigures& f) {
  if (!f.moduleTemperature) c.TextOut(588, 181, Cp1252FromUtf8("---°C"));
  else if (*f.moduleTemperature < 0)
    c.TextOut(588, 181,
              FormatText("- %d \xB0"
                         "C",
                         -*f.moduleTemperature));
  else
    c.TextOut(588, 181,
              FormatText("+ %d \xB0"
                         "C",
                         *f.moduleTemperature));
}

void DrawEnvironment(Canvas& c, const DailyFigures& f) {
  c.TextOut(561, 55, FormatText("seit: %02u/20%02u", f.commissioningMonth, f.commissioningYear));
  c.TextOut(525, 72, "CO2:");
  c.TextOut(525, 89, Cp1252FromUtf8("Öl:"));
  c.TextOut(525, 106, "Erdgas:");
  if (!f.totalYield) {
    c.TextOut(581, 72, "--- Tonnen");
    c.TextOut(579, 89, "--- l");
    c.TextOut(599, 106, "--- m3");
    return;
  }
  c.TextOut(581, 72, FormatText("%4.1f Tonnen", *f.co2Tonnes));
  c.TextOut(579, 89, FormatText("%5.0f l", *f.oilLitres));
  c.TextOut(599, 106, FormatText("%5.0f m3", *f.gasCubicMetres));
}

// Meter k in row (k-1) div 3 and column (k-1) mod 3; rows close up when the
// plant has more than 25 meters. Meter 1 is always shown.
void DrawMeterList(Canvas& c, const DailyFigures& f) {
  static const int labelX[3] = {42, 274, 515};
  static const int valueX[3] = {70, 302, 543};
  const unsigned meters = f.meterCount;
  const int step = meters > 25 ? 14 : 20;
  c.SetFontName("Courier New");
  c.SetFontHeight(14);
  for (int k = 1; k <= ShownMeterCount(f); ++k) {
    const int y = 245 + (k - 1) / 3 * step;
    const int col = (k - 1) % 3;
    c.TextOut(labelX[col], y, FormatText("Z%d:", k));
    const MeterFigures m = ComputeMeterFigures(k);
    c.TextOut(valueX[col], y, FormatText("%3.1f kW/%3.1f kWh/%3.0f kWh", m.power, m.todayYield, m.yearYield));
  }
}

void DrawPlantCheck(Canvas& c, const DailyFigures& f) {
  c.TextOut(42, 488, "Hinweis:");
  c.TextOut(98, 488, PlantCheckText(f));
}

void DrawClock(Canvas& c) {
  c.TextOut(8, 4, FormatTime());
  c.TextOut(50, 4, FormatDate());
}

}  // namespace

void DrawDailyValues() {
  Form6->Image1->LoadFromFile("b6.bmp");
  Form6->show();
  Canvas& c = Form6->Image1->GetCanvas();
  DrawBoxes(c);
  c.SetBrushStyle(BrushStyle::Clear);
  c.SetFontColor(Colors::Black);
  c.SetFontPitch(FontPitch::Fixed);
  c.SetFontName("Arial");
  DrawHeadings(c);
  c.SetFontName("Courier New");
  c.SetFontHeight(18);
  DrawEnergyLabels(c);
  const DailyFigures f = ComputeDailyFigures();
  DrawEnergyColumn(c, f);
  DrawSmallBoxLabels(c);
  DrawPowerRows(c, f);
  DrawRevenue(c, f);
  DrawIrradiation(c, f);
  DrawModuleTemperature(c, f);
  DrawEnvironment(c, f);
  DrawMeterList(c, f);
  DrawPlantCheck(c, f);
  DrawClock(c);
}
