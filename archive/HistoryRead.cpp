// PlantArchive: what the archive view and the CSV export read back.
#include <charconv>
#include <cstdint>
#include <string>
#include <utility>

#include "archive/PlantArchive.h"
#include "archive/Sqlite.h"

namespace Archive {

namespace {

constexpr const char* ReadFailed = "Archiv nicht zu lesen";
constexpr const char* Damaged = "Archiv beschädigt";

// The columns of a table's rows, each refused when it is no value the
// controller can have given: a crafted or broken file never reaches a view or
// an export with a meter 2147483647 or an energy that overflows a sum.
class RowReader {
public:
  RowReader(const SqliteStatement& row, const std::filesystem::path& file, const char* table)
      : row_(row), file_(file), table_(table) {}

  // Text or binary data another tool wrote would read as 0: refused as well.
  int64_t Int(int column, int64_t low, int64_t high) const {
    if (!row_.IsInteger(column))
      Refuse("in der Spalte " + row_.ColumnName(column) + " steht keine ganze Zahl, sondern " + row_.KindOf(column));
    const int64_t value = row_.Int(column);
    if (value < low || value > high)
      Refuse(std::to_string(value) + " liegt außerhalb von " + std::to_string(low) + ".." + std::to_string(high));
    return value;
  }
  int Small(int column, int low, int high) const { return static_cast<int>(Int(column, low, high)); }
  bool Complete(int column) const { return Int(column, 0, 1) != 0; }
  DayNumber Day(int column) const {
    const std::string text = row_.Text(column);
    const std::optional<DayNumber> day = ParseIsoDate(text);
    if (!day) Refuse("\"" + text + "\" ist kein Datum");
    return *day;
  }
  int Meter(int column) const { return Small(column, 1, MeterCount); }

private:
  [[noreturn]] void Refuse(const std::string& why) const {
    throw EArchiveError(file_, Damaged, std::string("eine Zeile der Tabelle ") + table_ + ": " + why);
  }
  const SqliteStatement& row_;
  const std::filesystem::path& file_;
  const char* table_;
};

// A word's value stored as text; 0 (not known) for anything else.
int WordOf(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value >= 0 && value <= 0xFFFF ? value : 0;
}

constexpr int LastQuarter = FirstSampleQuarter + SamplesPerDay - 1;

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
    if (key == "controller_type") info.ControllerType = WordOf(value);
    if (key == "controller_version") info.ControllerVersion = value;
    if (key == "plant_size") info.PlantSize = WordOf(value);
  }
  return info;
}

std::vector<DayNumber> PlantArchive::DaysWithSamples(DayNumber from, DayNumber to) const {
  return RangeRows(*db_, "SELECT DISTINCT day FROM samples WHERE day BETWEEN ? AND ? ORDER BY day", IsoDate(from),
                   IsoDate(to), [this](const SqliteStatement& r) { return RowReader(r, file_, "samples").Day(0); });
}

std::optional<std::pair<DayNumber, DayNumber>> PlantArchive::DaySpan() const {
  SqliteStatement row = db_->Prepare(
      "SELECT min(first), max(last) FROM (SELECT min(day) AS first, max(day) AS last FROM samples"
      " UNION ALL SELECT min(day), max(day) FROM day_yields UNION ALL SELECT min(day), max(day) FROM meter_days)",
      ReadFailed);
  if (!row.Step() || row.Text(0).empty()) return std::nullopt;
  const RowReader read(row, file_, "samples, day_yields, meter_days");
  return std::make_pair(read.Day(0), read.Day(1));
}

std::vector<DayCurve> PlantArchive::Curves(DayNumber from, DayNumber to) const {
  std::vector<DayCurve> curves;
  SqliteStatement row = db_->Prepare(
      "SELECT day, quarter, power_w, irradiance_wm2, complete FROM samples WHERE day BETWEEN ? AND ?"
      " ORDER BY day, quarter",
      ReadFailed);
  row.Bind(IsoDate(from)).Bind(IsoDate(to));
  const RowReader read(row, file_, "samples");
  while (row.Step()) {
    const DayNumber day = read.Day(0);
    if (curves.empty() || curves.back().Day != day) curves.push_back({day, true, {}});
    DayCurve& curve = curves.back();
    const auto i = static_cast<size_t>(read.Int(1, FirstSampleQuarter, LastQuarter) - FirstSampleQuarter);
    if (curve.Samples.size() <= i) curve.Samples.resize(i + 1);
    curve.Samples[i] = {read.Small(2, 0, MaxPowerW), read.Small(3, 0, MaxIrradianceWm2)};
    curve.Complete = curve.Complete && read.Complete(4);
  }
  return curves;
}

std::vector<DayYield> PlantArchive::DayYields(DayNumber from, DayNumber to) const {
  return RangeRows(*db_, "SELECT day, energy_wh, complete FROM day_yields WHERE day BETWEEN ? AND ? ORDER BY day",
                   IsoDate(from), IsoDate(to), [this](const SqliteStatement& r) {
                     const RowReader read(r, file_, "day_yields");
                     return DayYield{read.Day(0), read.Complete(2), read.Int(1, 0, MaxDayWh)};
                   });
}

std::vector<MonthYield> PlantArchive::Months(int fromYear, int toYear) const {
  return RangeRows(
      *db_, "SELECT year, month, energy_wh, complete FROM months WHERE year BETWEEN ? AND ? ORDER BY year, month",
      int64_t{fromYear}, int64_t{toYear}, [this](const SqliteStatement& r) {
        const RowReader read(r, file_, "months");
        return MonthYield{read.Small(0, 0, 9999), read.Small(1, 1, 12), read.Complete(3), read.Int(2, 0, MaxMonthWh)};
      });
}

std::vector<YearYield> PlantArchive::Years() const { return YearsOf(Months(INT32_MIN, INT32_MAX)); }

std::vector<MeterDay> PlantArchive::MeterDays(DayNumber from, DayNumber to) const {
  return RangeRows(
      *db_, "SELECT day, meter, energy_wh, complete FROM meter_days WHERE day BETWEEN ? AND ? ORDER BY day, meter",
      IsoDate(from), IsoDate(to), [this](const SqliteStatement& r) {
        const RowReader read(r, file_, "meter_days");
        return MeterDay{read.Day(0), read.Meter(1), read.Complete(3), read.Int(2, 0, MaxMeterDayWh)};
      });
}

std::vector<MeterYear> PlantArchive::MeterYears(int fromYear, int toYear) const {
  return RangeRows(
      *db_,
      "SELECT year, meter, energy_wh, complete FROM meter_years WHERE year BETWEEN ? AND ?"
      " ORDER BY year, meter",
      int64_t{fromYear}, int64_t{toYear}, [this](const SqliteStatement& r) {
        const RowReader read(r, file_, "meter_years");
        return MeterYear{read.Small(0, 0, 9999), read.Meter(1), read.Complete(3), read.Int(2, 0, MaxMeterYearWh)};
      });
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
