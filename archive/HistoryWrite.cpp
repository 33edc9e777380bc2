// PlantArchive: the rows of one exchange, each inserted or, while its period
// runs, replaced; a complete row is final.
#include <string>
#include <vector>

#include "archive/PlantArchive.h"
#include "archive/Sqlite.h"

namespace Archive {

namespace {

constexpr const char* WriteFailed = "Archiv nicht zu schreiben";

// Each name put into the pattern in place of every '@', joined by the separator.
std::string Joined(const std::vector<std::string>& names, const std::string& pattern, const std::string& separator) {
  std::string text;
  for (const std::string& name : names) {
    if (!text.empty()) text += separator;
    for (char c : pattern) text += c == '@' ? name : std::string(1, c);
  }
  return text;
}

// Inserts a row, or replaces a running row whose values differ or that the new
// view completes. Parameters: the keys, the values, then complete.
std::string UpsertSql(const std::string& table, const std::vector<std::string>& keys,
                      const std::vector<std::string>& values) {
  std::vector<std::string> columns = keys;
  columns.insert(columns.end(), values.begin(), values.end());
  columns.push_back("complete");
  return "INSERT INTO " + table + "(" + Joined(columns, "@", ", ") + ") VALUES(" + Joined(columns, "?", ", ") +
         ") ON CONFLICT(" + Joined(keys, "@", ", ") + ") DO UPDATE SET " + Joined(values, "@ = excluded.@", ", ") +
         ", complete = excluded.complete WHERE " + table + ".complete = 0 AND (excluded.complete = 1 OR " +
         Joined(values, table + ".@ IS NOT excluded.@", " OR ") + ")";
}

}  // namespace

void PlantArchive::WriteHistory(const PlantHistory& history) {
  SqliteStatement sample =
      db_->Prepare(UpsertSql("samples", {"day", "quarter"}, {"power_w", "irradiance_wm2"}), WriteFailed);
  for (const DayCurve& curve : history.Curves)
    for (size_t i = 0; i < curve.Samples.size(); ++i)
      sample.Bind(IsoDate(curve.Day))
          .Bind(FirstSampleQuarter + static_cast<int64_t>(i))
          .Bind(curve.Samples[i].PowerW)
          .Bind(curve.Samples[i].IrradianceWm2)
          .Bind(curve.Complete)
          .Run();
  SqliteStatement day = db_->Prepare(UpsertSql("day_yields", {"day"}, {"energy_wh"}), WriteFailed);
  for (const DayYield& d : history.Days) day.Bind(IsoDate(d.Day)).Bind(d.EnergyWh).Bind(d.Complete).Run();
  SqliteStatement month = db_->Prepare(UpsertSql("months", {"year", "month"}, {"energy_wh"}), WriteFailed);
  for (const MonthYield& m : history.Months) month.Bind(m.Year).Bind(m.Month).Bind(m.EnergyWh).Bind(m.Complete).Run();
  SqliteStatement meterDay = db_->Prepare(UpsertSql("meter_days", {"day", "meter"}, {"energy_wh"}), WriteFailed);
  for (const MeterDay& m : history.MeterDays)
    meterDay.Bind(IsoDate(m.Day)).Bind(m.Meter).Bind(m.EnergyWh).Bind(m.Complete).Run();
  SqliteStatement meterYear = db_->Prepare(UpsertSql("meter_years", {"year", "meter"}, {"energy_wh"}), WriteFailed);
  for (const MeterYear& m : history.MeterYears)
    meterYear.Bind(m.Year).Bind(m.Meter).Bind(m.EnergyWh).Bind(m.Complete).Run();
}

}  // namespace Archive
