#include "archive/PlantArchive.h"

#include <cstdio>
#include <system_error>

#include "archive/Schema.h"
#include "archive/Sqlite.h"

namespace Archive {

namespace {

constexpr const char* OpenFailed = "Archiv nicht zu öffnen";
constexpr const char* WriteFailed = "Archiv nicht zu schreiben";
constexpr const char* Damaged = "Archiv beschädigt";
constexpr const char* ReplacedText = "die Datei wurde gelöscht oder ersetzt, seit sie geöffnet wurde";

void MakeFolderOf(const std::filesystem::path& file) {
  const std::filesystem::path folder = file.parent_path();
  if (folder.empty()) return;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) throw EArchiveError(file, "Archivordner nicht anzulegen", error.message());
}

// The first problems quick_check finds, on one line. A file SQLite cannot
// even read that far (not a database, malformed) is damaged as well.
void CheckIntact(SqliteDatabase& db) {
  SqliteStatement check = db.Prepare("PRAGMA quick_check(3)", Damaged);
  std::string problems;
  while (check.Step()) problems += (problems.empty() ? "" : "; ") + check.Text(0);
  if (problems == "ok") return;
  for (char& c : problems) c = c == '\n' ? ' ' : c;
  throw EArchiveError(db.File(), Damaged, problems);
}

std::string VersionText(const std::array<uint8_t, 3>& v) {
  char text[32];
  std::snprintf(text, sizeof text, "P%02d%02d%02d", v[0], v[1], v[2]);
  return text;
}

}  // namespace

PlantArchive::PlantArchive(const std::filesystem::path& file, ArchiveOptions options)
    : file_(file), readOnly_(options.ReadOnly) {
  if (options.ReadOnly) options.Create = false;
  std::error_code error;
  if (!options.Create && !std::filesystem::exists(file, error))
    throw EArchiveError(file, OpenFailed, "die Datei gibt es nicht");
  if (options.Create) MakeFolderOf(file);
  const SqliteOpen mode = options.ReadOnly ? SqliteOpen::ReadOnly
                          : options.Create ? SqliteOpen::Create
                                           : SqliteOpen::ReadWrite;
  const std::optional<FileIdentity> before = IdentityOf(file);
  db_ = std::make_unique<SqliteDatabase>(file, mode, options.BusyTimeoutMs);
  identity_ = IdentityOf(file);
  // Replaced while it was being opened: which of the two is open is not
  // known, so the file counts as replaced and the next write opens it again.
  if (before && before != identity_) identity_.reset();
  CheckIntact(*db_);
  if (options.ReadOnly) {
    CheckReadableSchema(*db_);
    return;
  }
  // Before anything is set in the file: a file that is no archive stays as it was.
  PrepareSchema(*db_);
  // WAL: readers never wait for the writer, and a write cut off by a crash is
  // rolled back at the next opening. NORMAL: a commit survives the program's
  // crash without waiting for the disk; a power cut may take the last few
  // exchanges back (never the file's consistency), and the controller still
  // holds their data, so the next exchange brings it again.
  db_->Exec("PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL", OpenFailed);
}

// SQLite does not fold the log into a file that was moved when the connection
// closes, and leaves the log at the name, where the next connection would lay
// it over the new file. TRUNCATE folds it into the file still open and empties it.
PlantArchive::~PlantArchive() {
  if (!readOnly_ && FileReplaced()) db_->ExecQuietly("PRAGMA wal_checkpoint(TRUNCATE)");
}

bool PlantArchive::FileReplaced() const { return IdentityOf(file_) != identity_; }

int64_t PlantArchive::Write(const ExchangeRecord& record, RecordSource source) {
  if (FileReplaced()) throw EArchiveError(file_, WriteFailed, ReplacedText);
  CheckDate(record);
  ExchangeRecord dated = record;
  dated.History = AsOf(record.History, record.Today);
  const int64_t before = db_->TotalChanges();
  SqliteTransaction transaction(*db_);
  CheckPlant(dated.PlantId);
  const bool newest = IsNewest(dated);
  // The controller's clock went back (its user corrected it): the controller
  // is right now, whatever a wrong clock wrote before.
  if (!newest && source == RecordSource::Controller) ReopenFrom(dated);
  if (newest || source == RecordSource::Controller) {
    WriteHistory(dated.History);
    ClosePassedPeriods(dated);
    WriteInfo(dated);
  } else {
    // An older exchange (a plant file taken over late) adds the complete
    // periods the archive lacks but never turns running values back.
    WriteHistory(CompleteOnly(dated.History));
  }
  transaction.Commit();
  return db_->TotalChanges() - before;
}

void PlantArchive::CheckDate(const ExchangeRecord& record) const {
  if (!IsPossibleClock(record.Clock) ||
      record.Today != DayNumberOf(record.Clock.Year, record.Clock.Month, record.Clock.Day))
    throw EArchiveError(file_, WriteFailed,
                        "die Uhr der Steuerung nennt kein mögliches Datum (" + ClockText(record.Clock) + ")");
}

// A stored clock that names no moment (written by an older version from a
// broken clock) is no reason to hold back the exchanges after it.
bool PlantArchive::IsNewest(const ExchangeRecord& record) {
  const std::optional<ControllerClock> last =
      ParseClockText(db_->QueryText("SELECT value FROM plant WHERE key = 'controller_clock'", WriteFailed));
  return !last || !IsPossibleClock(*last) || MinutesOf(record.Clock) >= MinutesOf(*last);
}

// Every row from the record's day, month and year on runs again, so that the
// controller's values replace what a clock ahead of time stored as final;
// rows after its date stay as they were written, running, until the
// controller reaches their dates again.
void PlantArchive::ReopenFrom(const ExchangeRecord& record) {
  const std::string today = IsoDate(record.Today);
  const int64_t month = int64_t{record.Clock.Year} * 12 + record.Clock.Month;
  for (const char* table : {"samples", "day_yields", "meter_days"})
    db_->Prepare(std::string("UPDATE ") + table + " SET complete = 0 WHERE complete = 1 AND day >= ?", WriteFailed)
        .Bind(today)
        .Run();
  db_->Prepare("UPDATE months SET complete = 0 WHERE complete = 1 AND year * 12 + month >= ?", WriteFailed)
      .Bind(month)
      .Run();
  db_->Prepare("UPDATE meter_years SET complete = 0 WHERE complete = 1 AND year >= ?", WriteFailed)
      .Bind(record.Clock.Year)
      .Run();
}

void PlantArchive::CheckPlant(const std::string& plantId) {
  SqliteStatement read = db_->Prepare("SELECT value FROM plant WHERE key = 'plant_id'", WriteFailed);
  if (!read.Step()) {
    db_->Prepare("INSERT INTO plant(key, value) VALUES('plant_id', ?)", WriteFailed).Bind(plantId).Run();
    return;
  }
  const std::string stored = read.Text(0);
  if (stored != plantId)
    throw EArchiveError(file_, "Archiv einer anderen Anlage",
                        "es gehört zur Anlage \"" + stored + "\", die Daten kommen von der Anlage \"" + plantId + "\"");
}

void PlantArchive::ClosePassedPeriods(const ExchangeRecord& record) {
  const std::string today = IsoDate(record.Today);
  const int64_t month = int64_t{record.Clock.Year} * 12 + record.Clock.Month;
  for (const char* table : {"samples", "day_yields", "meter_days"})
    db_->Prepare(std::string("UPDATE ") + table + " SET complete = 1 WHERE complete = 0 AND day < ?", WriteFailed)
        .Bind(today)
        .Run();
  db_->Prepare("UPDATE months SET complete = 1 WHERE complete = 0 AND year * 12 + month < ?", WriteFailed)
      .Bind(month)
      .Run();
  db_->Prepare("UPDATE meter_years SET complete = 1 WHERE complete = 0 AND year < ?", WriteFailed)
      .Bind(record.Clock.Year)
      .Run();
}

// A value the record does not know (0: a plant file holds no controller type
// or version) never replaces what the controller reported.
void PlantArchive::WriteInfo(const ExchangeRecord& record) {
  SqliteStatement put = db_->Prepare(
      "INSERT INTO plant(key, value) VALUES(?, ?) ON CONFLICT(key) DO UPDATE SET value = excluded.value"
      " WHERE value IS NOT excluded.value",
      WriteFailed);
  put.Bind("controller_clock").Bind(ClockText(record.Clock)).Run();
  if (record.ControllerType != 0) put.Bind("controller_type").Bind(std::to_string(record.ControllerType)).Run();
  if (record.ControllerVersion != std::array<uint8_t, 3>{})
    put.Bind("controller_version").Bind(VersionText(record.ControllerVersion)).Run();
  if (record.PlantSize != 0) put.Bind("plant_size").Bind(std::to_string(record.PlantSize)).Run();
}

}  // namespace Archive
