#include "ArchiveTestSupport.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include "archive/StoreRecord.h"
#include "tests/support/WithoutRoot.h"

namespace ArchiveTest {

TempFolder::TempFolder() {
  char name[] = "/tmp/zentrixnet-archive-test-XXXXXX";
  path_ = mkdtemp(name);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

Sim::SimConfig FastPlant(const Sim::CivilTime& start, double speed, int meters) {
  Sim::SimConfig config = SimTest::Config();
  config.Plant.Start = Sim::SecondsOf(start);
  config.Plant.Speed = speed;
  config.Plant.Meters = meters;
  return config;
}

std::optional<Archive::ExchangeRecord> ArchiveRun::NextExchange() {
  Link.RunToRefresh();
  const bool completed = NoAnswerCount == 0;
  std::optional<Archive::ExchangeRecord> record;
  if (completed) record = Archive::RecordFromStore("Testanlage");
  Link.RunToCycleEnd();
  return record;
}

std::vector<Archive::ExchangeRecord> ArchiveRun::ExchangesUntil(const Sim::CivilTime& last) {
  const std::string lastClock = Archive::ClockText({last.Year, last.Month, last.Day, last.Hour, last.Minute});
  std::vector<Archive::ExchangeRecord> records;
  for (int guard = 0; guard < 2000; ++guard) {
    std::optional<Archive::ExchangeRecord> record = NextExchange();
    if (!record) {
      ADD_FAILURE() << "an exchange did not complete";
      continue;
    }
    records.push_back(*record);
    if (Archive::ClockText(record->Clock) >= lastClock) return records;
  }
  ADD_FAILURE() << "the controller's clock never reached " << lastClock;
  return records;
}

namespace {

class ReadConnection {
public:
  explicit ReadConnection(const fs::path& file) { sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr); }
  ~ReadConnection() { sqlite3_close(db_); }
  std::string Rows(const std::string& sql) {
    std::string text;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) return "error: " + Error();
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
      for (int c = 0; c < sqlite3_column_count(statement); ++c) {
        const unsigned char* v = sqlite3_column_text(statement, c);
        text += (c ? "|" : "") + std::string(v ? reinterpret_cast<const char*>(v) : "NULL");
      }
      text += "\n";
    }
    if (rc != SQLITE_DONE) text += "error: " + Error();
    sqlite3_finalize(statement);
    return text;
  }

private:
  std::string Error() const { return sqlite3_errmsg(db_); }
  sqlite3* db_ = nullptr;
};

}  // namespace

std::string Dump(const fs::path& file) {
  const bool exists = fs::exists(file);
  std::optional<ReadConnection> db;
  if (exists) db.emplace(file);
  std::string text;
  for (const std::string table : {"plant", "samples", "day_yields", "months", "meter_days", "meter_years"}) {
    text += "[" + table + "]\n";
    if (exists && db->Rows("SELECT count(*) FROM sqlite_master WHERE name = '" + table + "'") == "1\n")
      text += db->Rows("SELECT * FROM " + table + " ORDER BY 1, 2");
  }
  return text;
}

std::string Query(const fs::path& file, const std::string& sql) { return ReadConnection(file).Rows(sql); }

std::string TextWithoutRoot(const std::function<std::string()>& work) {
  const WithoutRootResult result = RunWithoutRoot(work);
  EXPECT_TRUE(result.Finished) << "the child without root's rights failed";
  return result.Text;
}

}  // namespace ArchiveTest
