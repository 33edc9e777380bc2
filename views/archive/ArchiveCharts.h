#pragma once
// The plant's archive as the history charts draw it, for the archive view: the
// daily chart's three days ending on the chosen day, the months of its year
// and the years up to it, in the units and scales the charts draw the store in.
#include <string>
#include <vector>

#include "archive/PlantArchive.h"
#include "store/PlantStore.h"
#include "views/history/ChartData.h"

struct ArchiveCharts {
  DailyChartData Daily;
  MonthlyChartData Monthly;
  YearlyChartData Yearly;
};

// The footer of a chosen day: its date, and the time its samples reach (the
// controller's clock of the last exchange, lastClock "YYYY-MM-DD HH:MM", when
// that was on the day).
ChartFooter FooterOfDay(Archive::DayNumber day, const std::vector<Archive::DayCurve>& curves,
                        const std::string& lastClock);
// The curves of day - 2 .. day (any may be missing) in the three panels.
DailyChartData DailyChartOf(const std::vector<Archive::DayCurve>& curves, Archive::DayNumber day, uint32_t dayChartMax,
                            const ChartFooter& footer);
MonthlyChartData MonthlyChartOf(const std::vector<Archive::MonthYield>& months, int year, uint32_t monthChartMax,
                                const ChartFooter& footer);
// One bar for each year from the first archived one up to `year`.
YearlyChartData YearlyChartOf(const std::vector<Archive::YearYield>& years, int year, uint32_t yearChartMax,
                              const ChartFooter& footer);

// The scales of the archive's plant size, or the store's scales where the
// archive does not know it.
ChartScales ScalesOf(const Archive::ArchiveInfo& info);
// Reads what the archive view draws for the day.
ArchiveCharts ReadArchiveCharts(const Archive::PlantArchive& archive, const Archive::ArchiveInfo& info,
                                Archive::DayNumber day);
