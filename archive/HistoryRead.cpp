// PlantArchive: what the archive view and the CSV export read back.
#include <algorithm>
#include <cstdint>

#include "archive/PlantArchive.h"
#include "archive/Sqlite.h"

namespace Archive {

namespace {

constexpr const char* ReadFailed = "Archiv nicht zu lesen";

DayNumber DayOf(const SqliteStatement& row, int column) { return ParseIsoDate(row.Text(column)).value_or(0); }

}  // namespace

ArchiveInfo PlantArchive::Info() const {
  ArchiveInfo info;
  SqliteStatement row = db_->Prepare("SELECT key, value FROM plant", ReadFailed);
  while (row.Step()) {
    const std::string key = row.Text(0), value = row.Text(1);
    if (key == "plant_id") info.PlantId = value;
    if (key == "controller_clock") info.ControllerClock = value;
    if (key == "controller_type") info.ControllerType = std::stoi(value);
    if (key == "controller_version") info.ControllerVersion = value;
  }
  return info;
}

std::vector<DayNumber> PlantArchive::DaysWithSamples(DayNumber from, DayNumber to) const {
  std::vector<DayNumber> days;
  SqliteStatement row = db_->Prepare("SELECT DISTINCT day FROM samples WHERE day BETWEEN ? AND ? ORDER BY day", ReadFailed);
  row.Bind(IsoDate(from)).Bind(IsoDate(to));
  while (row.Step()) days.push_back(DayOf(row, 0));
  return days;
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
  std::vector<DayYield> days;
  SqliteStatement row = db_->Prepare(
      "SELECT day, energy_wh, complete FROM day_yields WHERE day BETWEEN ? AND ? ORDER BY day", ReadFailed);
  row.Bind(IsoDate(from)).Bind(IsoDate(to));
  while (row.Step()) days.push_back({DayOf(row, 0), row.Int(2) != 0, row.Int(1)});
  return days;
}

std::vector<MonthYield> PlantArchive::Months(int fromYear, int toYear) const {
  std::vector<MonthYield> months;
  SqliteStatement row = db_->Prepare(
      "SELECT year, month, energy_wh, complete FROM months WHERE year BETWEEN ? AND ? ORDER BY year, month",
      ReadFailed);
  row.Bind(fromYear).Bind(toYear);
  while (row.Step())
    months.push_back({static_cast<int>(row.Int(0)), static_cast<int>(row.Int(1)), row.Int(3) != 0, row.Int(2)});
  return months;
}

std::vector<YearYield> PlantArchive::Years() const { return YearsOf(Months(INT32_MIN, INT32_MAX)); }

std::vector<MeterDay> PlantArchive::MeterDays(DayNumber from, DayNumber to) const {
  std::vector<MeterDay> meters;
  SqliteStatement row = db_->Prepare(
      "SELECT day, meter, energy_wh, complete FROM meter_days WHERE day BETWEEN ? AND ? ORDER BY day, meter",
      ReadFailed);
  row.Bind(IsoDate(from)).Bind(IsoDate(to));
  while (row.Step()) meters.push_back({DayOf(row, 0), static_cast<int>(row.Int(1)), row.Int(3) != 0, row.Int(2)});
  return meters;
}

std::vector<MeterYear> PlantArchive::MeterYears(int fromYear, int toYear) const {
  std::vector<MeterYear> meters;
  SqliteStatement row = db_->Prepare(
      "SELECT year, meter, energy_wh, complete FROM meter_years WHERE year BETWEEN ? AND ? ORDER BY year, meter",
      ReadFailed);
  row.Bind(fromYear).Bind(toYear);
  while (row.Step())
    meters.push_back({static_cast<int>(row.Int(0)), static_cast<int>(row.Int(1)), row.Int(3) != 0, row.Int(2)});
  return meters;
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
