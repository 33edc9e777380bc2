#include "archive/PlantHistory.h"

#include <algorithm>
#include <iterator>

namespace Archive {

namespace {

template <class Row>
std::vector<Row> CompleteRows(const std::vector<Row>& rows) {
  std::vector<Row> complete;
  std::copy_if(rows.begin(), rows.end(), std::back_inserter(complete), [](const Row& r) { return r.Complete; });
  return complete;
}

}  // namespace

PlantHistory CompleteOnly(const PlantHistory& h) {
  return {CompleteRows(h.Curves), CompleteRows(h.Days), CompleteRows(h.Months), CompleteRows(h.MeterDays),
          CompleteRows(h.MeterYears)};
}

std::vector<YearYield> YearsOf(const std::vector<MonthYield>& months) {
  std::vector<YearYield> years;
  std::vector<int> monthsSeen;
  for (const MonthYield& m : months) {
    if (years.empty() || years.back().Year != m.Year) {
      years.push_back({m.Year, true, 0});
      monthsSeen.push_back(0);
    }
    years.back().EnergyWh += m.EnergyWh;
    years.back().Complete = years.back().Complete && m.Complete;
    ++monthsSeen.back();
  }
  for (size_t i = 0; i < years.size(); ++i) years[i].Complete = years[i].Complete && monthsSeen[i] == 12;
  return years;
}

}  // namespace Archive
