#include "views/archive/ArchiveCharts.h"

#include <algorithm>

using namespace Archive;

namespace {

const DayCurve* CurveOf(const std::vector<DayCurve>& curves, DayNumber day) {
  const auto found = std::find_if(curves.begin(), curves.end(), [day](const DayCurve& c) { return c.Day == day; });
  return found != curves.end() ? &*found : nullptr;
}

uint16_t StoreWord(int64_t value) { return static_cast<uint16_t>(std::clamp<int64_t>(value, 0, 0xFFFF)); }

// The day's samples in the controller's units. The words beside them are 0:
// the archive keeps no quarter hour before 6:00 or from 20:00 on.
DayPanelData PanelOf(const DayCurve* curve, DayNumber day) {
  const CivilDate date = DateOf(day);
  DayPanelData panel;
  panel.Dated = true;
  panel.Day = date.Day, panel.Month = date.Month, panel.Year = date.Year;
  if (curve == nullptr) return panel;
  panel.Samples = static_cast<int>(std::min<size_t>(curve->Samples.size(), SamplesPerDay));
  for (int i = 0; i < panel.Samples; ++i) {
    panel.Power[i + 1] = StoreWord(curve->Samples[i].PowerW / 100);
    panel.Irradiance[i + 1] = StoreWord(curve->Samples[i].IrradianceWm2);
  }
  return panel;
}

int Kwh(int64_t wh) { return static_cast<int>(wh / 1000); }

}  // namespace

ChartFooter FooterOfDay(DayNumber day, const std::vector<DayCurve>& curves, const std::string& lastClock) {
  const CivilDate date = DateOf(day);
  ChartFooter footer;
  footer.Date = FormatClockDate(date.Day, date.Month, date.Year - 1900);
  int minutes = 6 * 60;
  if (lastClock.size() == 16 && lastClock.compare(0, 10, IsoDate(day)) == 0)
    minutes = std::stoi(lastClock.substr(11, 2)) * 60 + std::stoi(lastClock.substr(14, 2));
  else if (const DayCurve* curve = CurveOf(curves, day)) minutes += 15 * static_cast<int>(curve->Samples.size());
  footer.Time = FormatClockTime(minutes / 60, minutes % 60);
  return footer;
}

DailyChartData DailyChartOf(const std::vector<DayCurve>& curves, DayNumber day, uint32_t dayChartMax,
                            const ChartFooter& footer) {
  DailyChartData data;
  for (int p = 0; p < 3; ++p) data.Panels[p] = PanelOf(CurveOf(curves, day - 2 + p), day - 2 + p);
  data.DayChartMax = dayChartMax;
  data.Footer = footer;
  data.TodayRaised = false;
  return data;
}

MonthlyChartData MonthlyChartOf(const std::vector<MonthYield>& months, int year, uint32_t monthChartMax,
                                const ChartFooter& footer) {
  MonthlyChartData data;
  data.Year = year;
  for (const MonthYield& m : months)
    if (m.Year == year && m.Month >= 1 && m.Month <= 12) data.Months[m.Month - 1] = Kwh(m.EnergyWh);
  data.MonthChartMax = monthChartMax;
  data.Footer = footer;
  return data;
}

YearlyChartData YearlyChartOf(const std::vector<YearYield>& years, int year, uint32_t yearChartMax,
                              const ChartFooter& footer) {
  YearlyChartData data;
  data.FirstYear = years.empty() ? year : years.front().Year;
  for (int y = data.FirstYear; y <= year; ++y) {
    const auto found = std::find_if(years.begin(), years.end(), [y](const YearYield& v) { return v.Year == y; });
    data.Years.push_back(found != years.end() ? Kwh(found->EnergyWh) : 0);
  }
  data.YearChartMax = yearChartMax;
  data.Footer = footer;
  return data;
}

ChartScales ScalesOf(const ArchiveInfo& info) {
  return info.PlantSize > 0 ? ScalesForPlantSize(static_cast<uint32_t>(info.PlantSize)) : CurrentScales();
}

ArchiveCharts ReadArchiveCharts(const PlantArchive& archive, const ArchiveInfo& info, DayNumber day) {
  const std::vector<DayCurve> curves = archive.Curves(day - 2, day);
  const ChartFooter footer = FooterOfDay(day, curves, info.ControllerClock);
  const ChartScales scales = ScalesOf(info);
  const int year = DateOf(day).Year;
  return {DailyChartOf(curves, day, scales.DayChartMax, footer),
          MonthlyChartOf(archive.Months(year, year), year, scales.MonthChartMax, footer),
          YearlyChartOf(archive.Years(), year, scales.YearChartMax, footer)};
}
