#pragma once
// What the daily, monthly and yearly charts draw, as plain values: filled from
// the plant data store for the live views, or from the plant's archive for the
// archive view, and drawn by the same routines with the same look.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The clock under a chart, "hh:mm" and "dd/mm/yy" (code page 1252).
struct ChartFooter {
  std::string Time;
  std::string Date;
};

// One panel of the daily chart: a day's quarter hours from 6:00 as the
// controller keeps them, power in 100 W and irradiance in W/m².
struct DayPanelData {
  bool Dated = false;  // whether the date caption under the panel is drawn
  int Day = 0, Month = 0, Year = 0;
  int Samples = 0;  // how many samples are drawn, 0..56
  // Sample i is at index i + 1. Index 0 and 57 hold the words beside the
  // day's samples, which the gap rule reads as the first and last sample's
  // neighbours (0 where there are none).
  std::array<uint16_t, 58> Power{};
  std::array<uint16_t, 58> Irradiance{};
};

struct DailyChartData {
  // The day before yesterday, yesterday and the last day (the right panel,
  // whose curves start above the zero line).
  std::array<DayPanelData, 3> Panels;
  uint32_t DayChartMax = 1;  // W, the value axis in twelve equal steps
  ChartFooter Footer;
  // The live chart starts today's curves 19 pixels above the zero line, as the
  // controller's own program did. An archived day has no "today": its curves
  // start on the line, where the archive's first quarter hour is.
  bool TodayRaised = true;
};

struct MonthlyChartData {
  int Year = 0;
  std::array<int, 12> Months{};  // whole kWh, January first
  uint32_t MonthChartMax = 100;
  ChartFooter Footer;
};

struct YearlyChartData {
  int FirstYear = 2000;    // the caption under the first bar
  std::vector<int> Years;  // whole kWh of each year from FirstYear on, one bar each
  uint32_t YearChartMax = 1000;
  ChartFooter Footer;
};
