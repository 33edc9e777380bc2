#pragma once
// One plant's archive: a SQLite file (WAL) that keeps every day the
// controller ever reported, keyed by the controller's own calendar. Each
// completed exchange is written in one transaction; writing the same exchange
// again changes nothing; a complete day, month or year is never overwritten.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/ArchiveError.h"
#include "archive/ExchangeRecord.h"
#include "archive/FileIdentity.h"

namespace Archive {

class SqliteDatabase;

struct ArchiveOptions {
  bool Create = true;        // make the file (and its folder) when it does not exist
  int BusyTimeoutMs = 2000;  // how long to wait for another program's write to end
  // Only read (the archive view, an export): nothing is ever written into the
  // file, not even the tables of an empty one; Create is ignored.
  bool ReadOnly = false;
};

// What the archive knows of its plant and of the last exchange written.
struct ArchiveInfo {
  std::string PlantId;          // "" while nothing has been written
  std::string ControllerClock;  // "YYYY-MM-DD HH:MM" of the last exchange
  int ControllerType = 0;
  std::string ControllerVersion;  // "P%02d%02d%02d"
  int PlantSize = 0;              // 0.1 kWp; 0 when not known
};

class PlantArchive {
public:
  // Opens the file, checks that it is intact and an archive, and (unless
  // read-only) brings its tables up to date. Throws EArchiveError, whose text
  // tells a file that is no archive, a locked, a read-only and a damaged
  // archive apart.
  explicit PlantArchive(const std::filesystem::path& file, ArchiveOptions options = {});
  // A connection whose file was deleted or replaced first folds its log into
  // the file it has open, so that no stale log is left beside the new file.
  ~PlantArchive();
  PlantArchive(const PlantArchive&) = delete;
  PlantArchive& operator=(const PlantArchive&) = delete;

  const std::filesystem::path& File() const { return file_; }
  // Whether the file's name no longer names the file opened (deleted,
  // renamed, or replaced by a restore): whatever is written goes nowhere then.
  bool FileReplaced() const;

  // Writes one exchange: its values, then every running row of a period that
  // has passed by the record's date is closed. Nothing dated after the record's
  // own date is taken, nor is its own day, month or year closed. Of a plant
  // file older than the last exchange written only the complete periods are
  // taken; an older exchange from the controller (its clock was set back)
  // reopens every row from its date on and becomes the archive's "now". A
  // record of another plant, or whose date is impossible, is refused. Returns
  // the number of rows changed. Throws EArchiveError, also when the file was
  // replaced since it was opened.
  int64_t Write(const ExchangeRecord& record, RecordSource source = RecordSource::PlantFile);

  ArchiveInfo Info() const;
  // The days from..to (inclusive) that have quarter-hour samples, in order.
  std::vector<DayNumber> DaysWithSamples(DayNumber from, DayNumber to) const;
  // The first and last day with samples, a day's yield or a meter's day, if any.
  std::optional<std::pair<DayNumber, DayNumber>> DaySpan() const;
  std::vector<DayCurve> Curves(DayNumber from, DayNumber to) const;
  std::vector<DayYield> DayYields(DayNumber from, DayNumber to) const;
  std::vector<MonthYield> Months(int fromYear, int toYear) const;
  std::vector<YearYield> Years() const;
  std::vector<MeterDay> MeterDays(DayNumber from, DayNumber to) const;
  std::vector<MeterYear> MeterYears(int fromYear, int toYear) const;
  // Everything of the days from..to, with the months and meter years of the
  // calendar years they touch (so that each year's sum is whole).
  PlantHistory History(DayNumber from, DayNumber to) const;

private:
  void CheckPlant(const std::string& plantId);
  void CheckDate(const ExchangeRecord& record) const;
  bool IsNewest(const ExchangeRecord& record);
  void ReopenFrom(const ExchangeRecord& record);
  void WriteHistory(const PlantHistory& history);
  void ClosePassedPeriods(const ExchangeRecord& record);
  void WriteInfo(const ExchangeRecord& record);

  std::filesystem::path file_;
  std::unique_ptr<SqliteDatabase> db_;
  std::optional<FileIdentity> identity_;  // of the file opened
  bool readOnly_ = false;
};

}  // namespace Archive
