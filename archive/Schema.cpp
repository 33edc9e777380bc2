#include "archive/Schema.h"

#include <string>

namespace Archive {

namespace {

// Step n brings a file from version n to version n + 1.
const char* const Migrations[SchemaVersion] = {
    // 0 -> 1: the first tables. Days are ISO dates of the controller's calendar;
    // quarter is the quarter hour of the day (0..95); energies in Wh.
    "CREATE TABLE plant(key TEXT PRIMARY KEY, value TEXT NOT NULL) WITHOUT ROWID;"
    "CREATE TABLE samples(day TEXT NOT NULL, quarter INTEGER NOT NULL, power_w INTEGER NOT NULL,"
    "  irradiance_wm2 INTEGER NOT NULL, complete INTEGER NOT NULL, PRIMARY KEY(day, quarter)) WITHOUT ROWID;"
    "CREATE TABLE day_yields(day TEXT PRIMARY KEY, energy_wh INTEGER NOT NULL, complete INTEGER NOT NULL)"
    "  WITHOUT ROWID;"
    "CREATE TABLE months(year INTEGER NOT NULL, month INTEGER NOT NULL, energy_wh INTEGER NOT NULL,"
    "  complete INTEGER NOT NULL, PRIMARY KEY(year, month)) WITHOUT ROWID;"
    "CREATE TABLE meter_days(day TEXT NOT NULL, meter INTEGER NOT NULL, energy_wh INTEGER NOT NULL,"
    "  complete INTEGER NOT NULL, PRIMARY KEY(day, meter)) WITHOUT ROWID;"
    "CREATE TABLE meter_years(year INTEGER NOT NULL, meter INTEGER NOT NULL, energy_wh INTEGER NOT NULL,"
    "  complete INTEGER NOT NULL, PRIMARY KEY(year, meter)) WITHOUT ROWID;"
    // The running rows, which each write closes once their period has passed.
    "CREATE INDEX samples_running ON samples(day) WHERE complete = 0;"
    "CREATE INDEX day_yields_running ON day_yields(day) WHERE complete = 0;"
    "CREATE INDEX meter_days_running ON meter_days(day) WHERE complete = 0;",
};

constexpr const char* OpenFailed = "Archiv nicht zu öffnen";

int64_t UserVersion(SqliteDatabase& db) { return db.QueryInt("PRAGMA user_version", OpenFailed); }

// A file with tables of its own that was not made as an archive is none, nor
// is a file that another program marked as its own.
void CheckItIsAnArchive(SqliteDatabase& db, int64_t version) {
  const int64_t application = db.QueryInt("PRAGMA application_id", OpenFailed);
  const int64_t tables = db.QueryInt("SELECT count(*) FROM sqlite_master", OpenFailed);
  const bool foreign = application != 0 ? application != ArchiveApplicationId : (version != 0 || tables != 0);
  if (foreign) throw EArchiveError(db.File(), OpenFailed, "die Datei ist kein Anlagenarchiv");
  if (version > SchemaVersion)
    throw EArchiveError(db.File(), OpenFailed,
                        "die Datei hat Version " + std::to_string(version) + ", dieses Programm kennt bis Version " +
                            std::to_string(SchemaVersion));
}

}  // namespace

void CheckReadableSchema(SqliteDatabase& db) {
  const int64_t version = UserVersion(db);
  CheckItIsAnArchive(db, version);
  if (version == 0) throw EArchiveError(db.File(), OpenFailed, "die Datei ist kein Anlagenarchiv (sie ist leer)");
  if (version < SchemaVersion)
    throw EArchiveError(db.File(), OpenFailed,
                        "die Datei hat die ältere Version " + std::to_string(version) +
                            "; das Programm bringt sie beim nächsten Archivieren auf den Stand");
}

void PrepareSchema(SqliteDatabase& db) {
  CheckItIsAnArchive(db, UserVersion(db));
  if (UserVersion(db) == SchemaVersion) return;
  SqliteTransaction transaction(db);
  // Another program may have brought the file up to date while this one waited for the lock.
  const int64_t version = UserVersion(db);
  CheckItIsAnArchive(db, version);
  for (int64_t step = version; step < SchemaVersion; ++step) db.Exec(Migrations[step], OpenFailed);
  db.Exec("PRAGMA application_id = " + std::to_string(ArchiveApplicationId) +
              ";PRAGMA user_version = " + std::to_string(SchemaVersion),
          OpenFailed);
  transaction.Commit();
}

}  // namespace Archive
