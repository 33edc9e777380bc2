// Fuzz target: a crafted archive read as the archive view and the CSV export
// read it. The input is a list of rows put straight into an archive's tables
// (any day text, meter and value, as a hostile file could hold them); then the
// archive's span, days, history, years and information are read and every CSV
// table is made row by row. Either the archive is refused as damaged, or every
// value read lies in its range and the tables stay bounded by the rows given
// (never a meter 2147483647 turned into a billion columns); sums must not
// overflow (UBSan) and memory stays under the target's RSS limit.
//
// Input: rows of 27 bytes: table (byte % 5), day or year selector (2 bytes),
// key (int64), value (int64), complete (int64 when the selector's top bit is set, else 0/1).
#include <sqlite3.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "FuzzCheck.h"
#include "archive/CsvTables.h"
#include "archive/PlantArchive.h"

namespace {

using namespace Archive;

constexpr size_t RowBytes = 27;

int64_t Int64At(const uint8_t* p) {
  int64_t value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

// A day text: mostly real days around 2024, sometimes any text of the selector.
std::string DayText(uint16_t selector) {
  if ((selector & 0x3000) == 0x3000) return std::to_string(selector & 0x0FFF);
  return IsoDate(*DayNumberOf(2024, 1, 1) + (selector & 0x03FF) - 200);
}

// A folder of its own for the archive, in memory where the system has a
// tmpfs (so that each input's archive costs no disk writes), removed at the end.
class ArchiveFolder {
public:
  ArchiveFolder() {
    char folder[] = "/dev/shm/fuzz-archive-XXXXXX";
    if (access("/dev/shm", W_OK) != 0) std::memcpy(folder, "/tmp/fuzz", 9);
    FUZZ_CHECK(mkdtemp(folder) != nullptr, "a temporary folder");
    folder_ = folder;
  }
  ~ArchiveFolder() { std::filesystem::remove_all(folder_); }
  std::filesystem::path File() const { return folder_ / "a.sqlite"; }

private:
  std::filesystem::path folder_;
};

std::filesystem::path ArchiveFile() {
  static const ArchiveFolder folder;
  return folder.File();
}

void RemoveArchive(const std::filesystem::path& file) {
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(file.string() + suffix);
}

void PutRows(const std::filesystem::path& file, const uint8_t* data, size_t size) {
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  static const char* const sql[] = {
      "INSERT OR REPLACE INTO samples(day, quarter, power_w, irradiance_wm2, complete) VALUES(?1, ?2, ?3, ?3, ?4)",
      "INSERT OR REPLACE INTO day_yields(day, energy_wh, complete) VALUES(?1, ?3, ?4)",
      "INSERT OR REPLACE INTO months(year, month, energy_wh, complete) VALUES(2024 + ?5 % 3, ?2, ?3, ?4)",
      "INSERT OR REPLACE INTO meter_days(day, meter, energy_wh, complete) VALUES(?1, ?2, ?3, ?4)",
      "INSERT OR REPLACE INTO meter_years(year, meter, energy_wh, complete) VALUES(2024 + ?5 % 3, ?2, ?3, ?4)"};
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  for (size_t at = 0; at + RowBytes <= size; at += RowBytes) {
    const uint8_t* row = data + at;
    const uint16_t selector = static_cast<uint16_t>(row[1] | row[2] << 8);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql[row[0] % 5], -1, &statement, nullptr);
    const std::string day = DayText(selector);
    sqlite3_bind_text(statement, 1, day.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(statement, 2, Int64At(row + 3));
    sqlite3_bind_int64(statement, 3, Int64At(row + 11));
    sqlite3_bind_int64(statement, 4, (selector & 0x8000) != 0 ? Int64At(row + 19) : (row[19] & 1));
    sqlite3_bind_int64(statement, 5, selector & 0xFF);
    sqlite3_step(statement);
    sqlite3_finalize(statement);
  }
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
}

void CheckHistory(const PlantHistory& h, size_t rowsGiven) {
  FUZZ_CHECK(h.Curves.size() + h.Days.size() + h.Months.size() + h.MeterDays.size() + h.MeterYears.size() <= rowsGiven,
             "no more rows are read than were put in");
  for (const DayCurve& c : h.Curves) {
    FUZZ_CHECK(c.Samples.size() <= size_t{SamplesPerDay}, "a curve has at most a day's samples");
    for (const QuarterSample& s : c.Samples)
      FUZZ_CHECK(s.PowerW >= 0 && s.PowerW <= MaxPowerW && s.IrradianceWm2 >= 0 && s.IrradianceWm2 <= MaxIrradianceWm2,
                 "a sample inside its words");
  }
  for (const DayYield& d : h.Days) FUZZ_CHECK(d.EnergyWh >= 0 && d.EnergyWh <= MaxDayWh, "a day inside its words");
  for (const MonthYield& m : h.Months)
    FUZZ_CHECK(m.Month >= 1 && m.Month <= 12 && m.EnergyWh >= 0 && m.EnergyWh <= MaxMonthWh, "a month in range");
  for (const MeterDay& m : h.MeterDays) FUZZ_CHECK(m.Meter >= 1 && m.Meter <= MeterCount, "a meter is 1..48");
  for (const MeterYear& m : h.MeterYears) FUZZ_CHECK(m.Meter >= 1 && m.Meter <= MeterCount, "a meter is 1..48");
}

// Every table's every row, as the export writes them.
void MakeTables(const PlantHistory& h) {
  for (const CsvTable& table : CsvTablesOf(h, CsvStyle::German)) {
    FUZZ_CHECK(table.Header.size() <= size_t{MeterCount} + 2, "at most a column per meter");
    for (size_t row = 0; row < table.Rows; ++row)
      FUZZ_CHECK(table.Row(row).size() == table.Header.size(), "each row has the header's columns");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::filesystem::path file = ArchiveFile();
  RemoveArchive(file);
  { PlantArchive made(file); }
  PutRows(file, data, size);
  try {
    ArchiveOptions options;
    options.ReadOnly = true;
    const PlantArchive archive(file, options);
    archive.Info();
    archive.Years();
    if (const auto span = archive.DaySpan()) {
      FUZZ_CHECK(span->first <= span->second, "the span is in order");
      archive.DaysWithSamples(span->first, span->second);
      const PlantHistory history = archive.History(span->first, span->second);
      CheckHistory(history, size / RowBytes);
      MakeTables(history);
    }
  } catch (const EArchiveError&) {
    // refused as damaged: what a crafted file should get
  }
  RemoveArchive(file);
  return 0;
}
