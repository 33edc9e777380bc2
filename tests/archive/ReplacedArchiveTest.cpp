// An archive deleted or replaced while the writer has it open (a log
// rotation, a restore, a user): noticed before the next write, reported once,
// and the later exchanges go to the file that now has the name; a file of
// another plant put there is refused and left as it was.
#include <gtest/gtest.h>

#include "ArchiveTestSupport.h"
#include "archive/ArchiveWriter.h"

namespace {

using namespace ArchiveTest;

class ReplacedArchiveTest : public ::testing::Test {
protected:
  // Writes the next exchange; false when the simulator completed none.
  bool WriteNext() {
    const auto record = run.NextExchange();
    if (!record) return false;
    last = *record;
    return writer.Record(*record);
  }
  std::string Clock(const fs::path& archive) const {
    return Query(archive, "SELECT value FROM plant WHERE key = 'controller_clock'");
  }
  void ExpectOneReplacedReport() const {
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find(file.string()), std::string::npos) << reports[0];
    EXPECT_NE(reports[0].find("gelöscht oder durch eine andere Datei ersetzt"), std::string::npos) << reports[0];
  }

  TempFolder folder;
  fs::path file = folder / "Anlage.sqlite";
  ArchiveRun run{FastPlant({2024, 6, 10, 10, 0, 0}, 600)};
  std::vector<std::string> reports;
  Archive::ArchiveWriter writer{file, [this](const std::string& m) { reports.push_back(m); }};
  Archive::ExchangeRecord last;
};

TEST_F(ReplacedArchiveTest, ADeletedArchiveIsMadeAgainWithTheLaterExchanges) {
  ASSERT_TRUE(WriteNext());
  fs::remove(file);
  ASSERT_TRUE(WriteNext());
  ASSERT_TRUE(WriteNext());
  ExpectOneReplacedReport();
  ASSERT_TRUE(fs::exists(file)) << "the exchanges went into the deleted file";
  EXPECT_EQ(Clock(file), Archive::ClockText(last.Clock) + "\n");
  EXPECT_EQ(Query(file, "PRAGMA integrity_check"), "ok\n");
  EXPECT_TRUE(writer.On());
}

// The old connection's log must not be laid over the restored file: the
// restored file stays intact and takes the exchanges after the restore.
TEST_F(ReplacedArchiveTest, ARestoredArchiveTakesTheLaterExchanges) {
  ASSERT_TRUE(WriteNext());
  const fs::path backup = folder / "Sicherung.sqlite";
  { Archive::PlantArchive(backup).Write(last); }
  const std::string restored = Dump(backup);
  ASSERT_TRUE(WriteNext());
  ASSERT_TRUE(WriteNext());
  fs::rename(backup, file);
  ASSERT_TRUE(WriteNext());
  ExpectOneReplacedReport();
  EXPECT_EQ(Clock(file), Archive::ClockText(last.Clock) + "\n");
  EXPECT_EQ(Query(file, "PRAGMA integrity_check"), "ok\n");
  EXPECT_NE(Dump(file), restored);
  ASSERT_TRUE(WriteNext()) << "the file written stays the restored one";
  EXPECT_EQ(reports.size(), 1u);
  EXPECT_EQ(Clock(file), Archive::ClockText(last.Clock) + "\n");
}

TEST_F(ReplacedArchiveTest, AnotherPlantsArchivePutInItsPlaceIsRefusedAndLeftAlone) {
  ASSERT_TRUE(WriteNext());
  const fs::path foreign = folder / "fremd.sqlite";
  {
    Archive::ExchangeRecord record = last;
    record.PlantId = "999999";
    Archive::PlantArchive(foreign).Write(record);
  }
  const std::string before = Dump(foreign);
  fs::rename(foreign, file);
  EXPECT_FALSE(WriteNext());
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_NE(reports[0].find("gelöscht oder durch eine andere Datei ersetzt"), std::string::npos) << reports[0];
  EXPECT_NE(reports[1].find("Archiv einer anderen Anlage"), std::string::npos) << reports[1];
  EXPECT_FALSE(writer.On());
  EXPECT_EQ(Dump(file), before);
}

}  // namespace
