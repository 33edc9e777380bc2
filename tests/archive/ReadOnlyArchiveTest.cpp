// The export and the archive view only read: an empty file stays empty, a
// read-only archive exports, and the messages tell a file that is no archive,
// a locked, a read-only and a damaged archive apart.
#include <sqlite3.h>

#include <fstream>
#include <functional>

#include "ArchiveTestSupport.h"
#include "archive/PlantArchive.h"
#include "archive/RangeExport.h"

namespace {

using namespace ArchiveTest;
using namespace Archive;

const DayRange May = ParseDayRange("2024-05-01", "2024-05-31");

ExchangeRecord MayTenth() {
  ExchangeRecord r;
  r.PlantId = "471108";
  r.Clock = {2024, 5, 10, 12, 0};
  r.Today = *DayNumberOf(2024, 5, 10);
  r.History.Days = {{r.Today - 1, true, 7000}, {r.Today, false, 3000}};
  return r;
}

// The message of what fails, or "" when nothing does.
std::string FailureOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

// The same in a child process without root's rights, so that file permissions hold.
std::string FailureWithoutRoot(const std::function<void()>& action) {
  return TextWithoutRoot([&] { return FailureOf(action); });
}

class ReadOnlyArchiveTest : public ::testing::Test {
protected:
  void SetUp() override { fs::permissions(folder.Path(), fs::perms::all); }
  void MakeArchive() { PlantArchive(file).Write(MayTenth()); }
  CsvExportResult Export() { return ExportArchiveRange(file, May, folder / "out", CsvStyle::Plain); }
  TempFolder folder;
  fs::path file = folder / "Anlage.sqlite";
};

TEST_F(ReadOnlyArchiveTest, AnEmptyFileIsNoArchiveAndStaysEmpty) {
  std::ofstream{file};
  const std::string message = FailureOf([&] { Export(); });
  EXPECT_NE(message.find("kein Anlagenarchiv"), std::string::npos) << message;
  EXPECT_EQ(fs::file_size(file), 0u);
  EXPECT_FALSE(fs::exists(folder / "out" / "Tage.csv"));
  EXPECT_NE(FailureOf([&] { PlantArchive(file, {true, 100, true}); }).find("kein Anlagenarchiv"), std::string::npos);
  EXPECT_EQ(fs::file_size(file), 0u);
}

TEST_F(ReadOnlyArchiveTest, AReadOnlyArchiveExportsAndIsReportedReadOnlyToAWriter) {
  MakeArchive();
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const std::string before = Dump(file);
  EXPECT_EQ(FailureWithoutRoot([&] {
              if (Export().Files.size() != 6) throw std::runtime_error("not every file was written");
            }),
            "");
  EXPECT_EQ(Dump(file), before);
  const std::string written = FailureWithoutRoot([&] {
    ExchangeRecord later = MayTenth();
    later.Clock.Hour = 13;
    later.History.Days.back().EnergyWh = 4000;
    PlantArchive(file).Write(later);
  });
  EXPECT_NE(written.find("Archiv schreibgeschützt"), std::string::npos) << written;
  EXPECT_EQ(written.find("beschädigt"), std::string::npos) << written;
}

TEST_F(ReadOnlyArchiveTest, LockedAndDamagedAndNoDatabaseAreToldApart) {
  MakeArchive();
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  const std::string locked = FailureOf([&] { PlantArchive(file, {true, 100}).Write(MayTenth()); });
  EXPECT_NE(locked.find("Archiv gesperrt"), std::string::npos) << locked;
  EXPECT_EQ(FailureOf([&] { Export(); }), "") << "reading goes on beside a writer";
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);

  const fs::path text = folder / "text.sqlite";
  std::ofstream(text) << std::string(8192, 'x');
  const std::string notADatabase = FailureOf([&] { ExportArchiveRange(text, May, folder / "o", CsvStyle::Plain); });
  EXPECT_NE(notADatabase.find("Keine Archivdatei"), std::string::npos) << notADatabase;
  EXPECT_EQ(fs::file_size(text), 8192u);
}

}  // namespace
