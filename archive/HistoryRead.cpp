// PlantArchive: what the archive view and the CSV export read back.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "archive/PlantArchive.h"
#include "archive/Sqlite.h"

namespace Archive {

namespace {

constexpr const char* ReadFailed = "Archiv nicht zu lesen";

DayNumber DayOf(const SqliteStatement& row, int column) { return ParseIsoDate(row.Text(column)).value_or(0); }
int IntOf(const SqliteStatement& row, int column) { return static_cast<int>(row.Int(column)); }

// The rows of a query over the range from..to (its two parameters), each made
// into a value by make.
template <class Key, class Make>
auto RangeRows(SqliteDatabase& db, const std::string& sql, const Key& from, const Key& to, Make make) {
  std::vector<decltype(make(std::declval<const SqliteStatement&>()))> rows;
  SqliteStatement row = db.Prepare(sql, ReadFailed);
  row.Bind(from).Bind(to);
  while (row.Step()) rows.push_back(make(row));
  return rows;
}

}  // namespace

ArchiveInfo PlantArchive::Info() const {
  ArchiveInfo info;
  SqliteStatement row = db_->Prepare("SELECT key, value FROM plant", ReadFailed);
  while (row.Step()) {
    const std::string key = row.Text(0), value = row.Text(1);
    if (key == "plant_id") info.PlantId = value;
    if (key == "controller_clock") info.ControllerClock = value;
    if (key == "controller_type") info.ControllerType = std::atoi(value.c_str());
    if (key == "controller_version") info.ControllerVersion = value;
    if (key == "plant_size") info.PlantSize = std::atoi(value.c_str());
  }
  return info;
}

std::vector<DayNumber> PlantArchive::DaysWithSamples(DayNumber from, DayNumber to) const {
  return RangeRows(*db_, "SELECT DISTINCT day FROM samples WHERE day BETWEEN ? AND ? ORDER BY day", IsoDate(from),
                   IsoDate(to), [](const SqliteStatement& r) { return DayOf(r, 0); });
}

std::optional<std::pair<DayNumber, DayNumber>> PlantArchive::DaySpan() const {
  SqliteStatement row = db_->Prepare(
      "SELECT min(first), max(last) FROM (SELECT min(day) AS first, max(day) AS last FROM samples"
      " UNION ALL SELECT min(day), max(day) FROM day_yields)",
      ReadFailed);
  if (!row.Step() || row.Text(0).empty()) return std::nullopt;
  return std::make_pair(DayOf(row, 0), DayOf(row, 1));
}

std::vector<DayCurve> PlantArchive::Curves(DayNumber from, DayNumber to) const {
  std::vector<DayCurve> curves;
  SqliteStatement row = db_->Prepare(
      "SELECT day, quarter, power_w, irradiance_wm2, complete FROM samples WHERE day BETWEEN ? AND ?"
      " ORDER BY day, quarter",
      ReadFailed);
  row.Bind(IsoDate(from)).Bind(IsoDate(to));
  while (row.Step()) {
    const DayNumber day = DayOf(row, 0);
    if (curves.empty() || curves.back().Day != day) curves.push_back({day, true, {}});
    DayCurve& curve = curves.back();
    const auto i = static_cast<size_t>(std::clamp<int64_t>(row.Int(1) - FirstSampleQuarter, 0, SamplesPerDay - 1));
    if (curve.Samples.size() <= i) curve.Samples.resize(i + 1);
    curve.Samples[i] = {static_cast<int>(row.Int(2)), static_cast<int>(row.Int(3))};
    curve.Complete = curve.Complete && row.Int(4) != 0;
  }
  return curves;
}

std::vector<DayYield> PlantArchive::DayYields(DayNumber from, DayNumber to) const {
  return RangeRows(*db_, "SELECT day, energy_wh, complete FROM day_yields WHERE day BETWEEN ? AND ? ORDER BY day",
                   IsoDate(from), IsoDate(to),
                   [](const SqliteStatement& r) { return DayYield{DayOf(r, 0), r.Int(2) != 0, r.Int(1)}; });
}

std::vector<MonthYield> PlantArchive::Months(int fromYear, int toYear) const {
  return RangeRows(*db_,
                   "SELECT year, month, energy_wh, complete FROM months WHERE year BETWEEN ? AND ? ORDER BY year, month",
                   int64_t{fromYear}, int64_t{toYear},
                   [](const SqliteStatement& r) { return MonthYield{IntOf(r, 0), IntOf(r, 1), r.Int(3) != 0, r.Int(2)}; });
}

std::vector<YearYield> PlantArchive::Years() const { return YearsOf(Months(INT32_MIN, INT32_MAX)); }

std::vector<MeterDay> PlantArchive::MeterDays(DayNumber from, DayNumber to) const {
  return RangeRows(*db_,
                   "SELECT day, meter, energy_wh, complete FROM meter_days WHERE day BETWEEN ? AND ? ORDER BY day, meter",
                   IsoDate(from), IsoDate(to),
                   [](const SqliteStatement& r) { return MeterDay{DayOf(r, 0), IntOf(r, 1), r.Int(3) != 0, r.Int(2)}; });
}

std::vector<MeterYear> PlantArchive::MeterYears(int fromYear, int toYear) const {
  return RangeRows(*db_,
                   "SELECT year, meter, energy_wh, complete FROM meter_years WHERE year BETWEEN ? AND ?"
                   " ORDER BY year, meter",
                   int64_t{fromYear}, int64_t{toYear},
                   [](const SqliteStatement& r) { return MeterYear{IntOf(r, 0), IntOf(r, 1), r.Int(3) != 0, r.Int(2)}; });
}

PlantHistory PlantArchive::History(DayNumber from, DayNumber to) const {
  const int fromYear = DateOf(from).Year, toYear = DateOf(to).Year;
  PlantHistory history;
  history.Curves = Curves(from, to);
  history.Days = DayYields(from, to);
  history.Months = Months(fromYear, toYear);
  history.MeterDays = MeterDays(from, to);
  history.MeterYears = MeterYears(fromYear, toYear);
  return history;
}

}  // namespace Archive
