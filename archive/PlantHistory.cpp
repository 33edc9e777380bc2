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

// Keeps the rows whose period does not end after today's, each closed only
// when its period ended before today's: period compares a row's with today's.
template <class Row, class Compare>
std::vector<Row> RowsAsOf(const std::vector<Row>& rows, Compare period) {
  std::vector<Row> kept;
  for (Row row : rows) {
    const int order = period(row);
    if (order > 0) continue;
    row.Complete = row.Complete && order < 0;
    kept.push_back(row);
  }
  return kept;
}

int Order(int64_t a, int64_t b) { return a < b ? -1 : a > b ? 1 : 0; }

}  // namespace

PlantHistory AsOf(const PlantHistory& h, DayNumber today) {
  const CivilDate date = DateOf(today);
  const int64_t month = int64_t{date.Year} * 12 + date.Month;
  const auto byDay = [today](const auto& row) { return Order(row.Day, today); };
  const auto byMonth = [month](const MonthYield& m) { return Order(int64_t{m.Year} * 12 + m.Month, month); };
  const auto byYear = [&date](const MeterYear& m) { return Order(m.Year, date.Year); };
  return {RowsAsOf(h.Curves, byDay), RowsAsOf(h.Days, byDay), RowsAsOf(h.Months, byMonth), RowsAsOf(h.MeterDays, byDay),
          RowsAsOf(h.MeterYears, byYear)};
}

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
