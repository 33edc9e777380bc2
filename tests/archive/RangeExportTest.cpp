// What the archive view and the bridge's export share: the range of days from
// two dates, the export of a range from an archive file, the month steps of
// the calendar, and which archive is the newest in a folder.
#include <fstream>
#include <thread>

#include "ArchiveTestSupport.h"
#include "archive/ArchiveLocation.h"
#include "archive/PlantArchive.h"
#include "archive/RangeExport.h"

namespace {

using namespace ArchiveTest;
using namespace Archive;

DayNumber Date(int y, int m, int d) { return *DayNumberOf(y, m, d); }

TEST(RangeExportTest, TheRangeIsTwoIsoDatesInOrder) {
  const DayRange range = ParseDayRange("2024-02-28", "2024-03-01");
  EXPECT_EQ(range.From, Date(2024, 2, 28));
  EXPECT_EQ(range.To, Date(2024, 3, 1));
  EXPECT_EQ(ParseDayRange("2024-03-01", "2024-03-01").To, Date(2024, 3, 1));
  const auto message = [](const char* from, const char* to) {
    try {
      ParseDayRange(from, to);
    } catch (const Exception& e) {
      return std::string(e.what());
    }
    return std::string("(accepted)");
  };
  EXPECT_EQ(message("2024-02-30", "2024-03-01"), "Der Anfang \"2024-02-30\" ist kein Datum der Form JJJJ-MM-TT");
  EXPECT_EQ(message("2024-03-01", "1.3.2024"), "Das Ende \"1.3.2024\" ist kein Datum der Form JJJJ-MM-TT");
  EXPECT_EQ(message("2024-03-02", "2024-03-01"), "Der Anfang 2024-03-02 liegt nach dem Ende 2024-03-01");
}

TEST(RangeExportTest, WritesTheRangesDaysFromTheArchiveFile) {
  TempFolder folder;
  {
    ArchiveRun run(FastPlant({2024, 2, 27, 20, 0, 0}, 360));
    PlantArchive archive(folder / "a.sqlite");
    for (const auto& r : run.ExchangesUntil({2024, 3, 2, 12, 0, 0})) archive.Write(r);
  }
  std::vector<int64_t> reported;
  const CsvExportResult result = ExportArchiveRange(
      folder / "a.sqlite", ParseDayRange("2024-02-29", "2024-03-01"), folder / "out", CsvStyle::Plain,
      [&](int64_t done, int64_t total) { return reported.push_back(done), done <= total; });
  ASSERT_EQ(result.Files.size(), 6u);
  std::ifstream days(folder / "out" / "Tage.csv");
  std::vector<std::string> lines;
  for (std::string line; std::getline(days, line);) lines.push_back(line.substr(0, 10));
  EXPECT_EQ(lines, (std::vector<std::string>{"Datum,Ertr", "2024-02-29", "2024-03-01"}));
  ASSERT_FALSE(reported.empty());
  EXPECT_EQ(ProgressText(reported.back(), reported.back()),
            std::to_string(reported.back()) + " von " + std::to_string(reported.back()) + " Zeilen (100 %)");

  // An archive that is not there is an error, and no folder is made for it.
  EXPECT_THROW(ExportArchiveRange(folder / "none.sqlite", ParseDayRange("2024-02-29", "2024-03-01"), folder / "out2",
                                  CsvStyle::Plain),
               EArchiveError);
  EXPECT_FALSE(fs::exists(folder / "none.sqlite"));
  EXPECT_FALSE(fs::exists(folder / "out2"));
}

TEST(CalendarDayTest, AMonthOnKeepsTheDayOrTakesTheMonthsLast) {
  EXPECT_EQ(IsoDate(AddMonths(Date(2024, 1, 31), 1)), "2024-02-29");
  EXPECT_EQ(IsoDate(AddMonths(Date(2023, 1, 31), 1)), "2023-02-28");
  EXPECT_EQ(IsoDate(AddMonths(Date(2024, 3, 31), -1)), "2024-02-29");
  EXPECT_EQ(IsoDate(AddMonths(Date(2024, 12, 15), 1)), "2025-01-15");
  EXPECT_EQ(IsoDate(AddMonths(Date(2024, 1, 15), -13)), "2022-12-15");
}

TEST(ArchiveLocationTest, TheNewestArchiveOfAFolder) {
  TempFolder folder;
  EXPECT_EQ(NewestArchiveIn(folder.Path()), fs::path());
  EXPECT_EQ(NewestArchiveIn(folder / "missing"), fs::path());
  std::ofstream(folder / "notes.sqlite") << "x";
  { PlantArchive older(ArchiveFileFor(folder.Path(), "111111")); }
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  { PlantArchive newer(ArchiveFileFor(folder.Path(), "222222")); }
  EXPECT_EQ(NewestArchiveIn(folder.Path()), ArchiveFileFor(folder.Path(), "222222"));
  // A write that is still in the write-ahead log counts.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::ofstream(ArchiveFileFor(folder.Path(), "111111").string() + "-wal") << "log";
  EXPECT_EQ(NewestArchiveIn(folder.Path()), ArchiveFileFor(folder.Path(), "111111"));
}

}  // namespace
