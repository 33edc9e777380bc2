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
  bool allComplete = true;
  for (const MonthYield& m : months) {
    if (years.empty() || years.back().Year != m.Year) {
      years.push_back({m.Year, false, 0});
      allComplete = true;
    }
    years.back().EnergyWh += m.EnergyWh;
    allComplete = allComplete && m.Complete;
    // A year is over with its December; the first plant year starts later than January.
    years.back().Complete = allComplete && m.Month == 12;
  }
  return years;
}

}  // namespace Archive
