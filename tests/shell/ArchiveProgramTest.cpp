// The program's archive against the simulator program: each completed
// exchange goes to the plant's own archive, which the archive view shows; a
// broken archive is reported once while polling goes on; an opened plant file
// is archived only on the user's word, and never into another plant's archive.
#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <array>
#include <fstream>

#include "ArchiveTestSupport.h"
#include "ShellTestSupport.h"
#include "archive/ArchiveLocation.h"
#include "archive/PlantArchive.h"
#include "archive/StoreRecord.h"
#include "shell/ExceptionDisplay.h"
#include "shell/PlantArchiving.h"
#include "shell/TStart.h"
#include "store/PlantFile.h"
#include "store/PlantStore.h"
#include "views/InformationBox.h"
#include "views/archive/TForm14.h"

namespace {

namespace fs = std::filesystem;
using Archive::DayNumber;

DayNumber Date(int y, int m, int d) { return *Archive::DayNumberOf(y, m, d); }

Archive::ArchiveInfo InfoOf(const fs::path& file) {
  Archive::ArchiveOptions options;
  options.Create = false;
  return Archive::PlantArchive(file, options).Info();
}

std::vector<DayNumber> DaysOf(const fs::path& file) {
  Archive::ArchiveOptions options;
  options.Create = false;
  return Archive::PlantArchive(file, options).DaysWithSamples(Date(2000, 1, 1), Date(2100, 1, 1));
}

class ArchiveProgramTest : public ShellTest {
protected:
  void TearDown() override {
    sim.Stop();
    ShellTest::TearDown();
  }
  void Connect(int com) {
    // The controller's clock runs a minute a second, so that each exchange has its own minute.
    ASSERT_TRUE(sim.Start(com, {"--fast", "--speed", "60", "--start", "2026-06-21 13:07", "--meters", "5"}));
    Start->SpeedButtons[com]->click();
    ASSERT_EQ(ExceptionCount(), 0) << LastExceptionMessage();
    Start->Timer2->stop();  // the test drives the ticks
  }
  fs::path PlantArchive(const std::string& plant) const {
    return Archive::ArchiveFileFor(DataHome() / "PCZentrixNet", plant);
  }
  // A plant file of plant 123456 on 2 March 2025, 14:00, written as the
  // program saves one; the store is left empty.
  std::string OtherPlantsFile() { return PlantFile("other.sol", {12, 34, 56}, 2); }
  // A plant file on the given day of March 2025 with the identification's
  // three words (none when all are 0), cut to its first `bytes` bytes.
  std::string PlantFile(const std::string& name, std::array<uint16_t, 3> id, int day, size_t bytes = PlantFileSize) {
    ClearPlantStore();
    Block2[Word::Block2::Day] = day, Block2[Word::Block2::Month] = 3, Block2[Word::Block2::Year] = 125;
    Block2[Word::Block2::Hour] = 14;
    Block2[Word::Block2::InternetId1] = id[0], Block2[Word::Block2::InternetId2] = id[1];
    Block2[Word::Block2::InternetId3] = id[2];
    for (int j = 0; j < RingLength; ++j) SetPowerRing(j, static_cast<uint16_t>(j % 56 + day));
    const std::string path = (files.Path() / name).string();
    Start->SaveFile(path);
    fs::resize_file(path, bytes);
    ClearPlantStore();
    return path;
  }

  TempFolder files{"archive-program"};
  SimulatorProcess sim{ConfigHome(), (files / "sim.log").string()};
};

TEST_F(ArchiveProgramTest, EachExchangeGoesToThePlantsArchive) {
  const std::string otherFile = OtherPlantsFile();
  Connect(5);
  ASSERT_TRUE(RunCycle());
  const std::string plant = Archive::ControllerIdentity();
  ASSERT_FALSE(plant.empty());
  const fs::path archive = PlantArchive(plant);
  ASSERT_TRUE(fs::exists(archive)) << archive;
  EXPECT_EQ(DaysOf(archive), (std::vector<DayNumber>{Date(2026, 6, 19), Date(2026, 6, 20), Date(2026, 6, 21)}));
  const std::string firstClock = InfoOf(archive).ControllerClock;
  EXPECT_EQ(firstClock.substr(0, 10), "2026-06-21");

  // An opened plant file is not archived, nor is the exchange that follows
  // it, which may mix the file's blocks with the controller's; the next one is.
  Start->OpenFile(otherFile);
  EXPECT_FALSE(fs::exists(PlantArchive("123456")));
  ASSERT_TRUE(RunCycle());
  EXPECT_EQ(InfoOf(archive).ControllerClock, firstClock);
  ASSERT_TRUE(RunCycle());
  EXPECT_GT(InfoOf(archive).ControllerClock, firstClock);
  EXPECT_FALSE(fs::exists(PlantArchive("123456")));

  Start->Archiv1->trigger();
  EXPECT_TRUE(Form14->isVisible());
  EXPECT_TRUE(Form14->HasArchive());
  EXPECT_EQ(Form14->SelectedDay(), Date(2026, 6, 21));
  EXPECT_EQ(ShowRequest, 9) << "the refresh leaves the archive view alone";

  // The store's data as CSV: the quarter hours of the held days, today so far.
  const fs::path out = files / "csv";
  Start->ExportStore(QString::fromStdString(out.string()));
  std::ifstream quarters(out / "Viertelstunden.csv");
  const long lines = std::count(std::istreambuf_iterator<char>(quarters), std::istreambuf_iterator<char>(), '\n');
  EXPECT_EQ(lines, 1 + 2 * 56 + TodaySampleCount());
  EXPECT_EQ(ExceptionCount(), 0) << LastExceptionMessage();
}

// A user deletes the archive while the program writes it: the next exchange
// makes it again, reported once.
TEST_F(ArchiveProgramTest, ADeletedArchiveIsMadeAgainAtTheNextExchange) {
  Connect(8);
  ASSERT_TRUE(RunCycle());
  const fs::path archive = PlantArchive(Archive::ControllerIdentity());
  ASSERT_TRUE(fs::exists(archive));
  fs::remove(archive);
  ASSERT_TRUE(RunCycle());
  ASSERT_TRUE(RunCycle());
  ASSERT_EQ(ExceptionCount(), 1);
  EXPECT_NE(LastExceptionMessage().find("gelöscht oder durch eine andere Datei ersetzt"), std::string::npos)
      << LastExceptionMessage();
  ASSERT_TRUE(fs::exists(archive)) << "the exchanges went into the deleted file";
  EXPECT_EQ(InfoOf(archive).PlantId, Archive::ControllerIdentity());
  EXPECT_TRUE(Start->Archiving->Writer().On());
}

class BrokenArchiveTest : public ArchiveProgramTest {
protected:
  BrokenArchiveTest() {
    std::ofstream(files / "not-a-folder") << "a file where the archive's folder should be";
    programOptions.ArchiveFile = files / "not-a-folder" / "archive.sqlite";
  }
};

TEST_F(BrokenArchiveTest, IsReportedOnceWhilePollingGoesOnAndCatchesUpWhenItCan) {
  Connect(6);
  for (int cycle = 0; cycle < 2; ++cycle) EXPECT_TRUE(RunCycle()) << "cycle " << cycle;
  EXPECT_EQ(ExceptionCount(), 1);
  EXPECT_NE(LastExceptionMessage().find((files / "not-a-folder").string()), std::string::npos)
      << LastExceptionMessage();
  EXPECT_NE(LastExceptionMessage().find("Die Archivierung hält an"), std::string::npos) << LastExceptionMessage();
  EXPECT_FALSE(Start->Archiving->Writer().On());
  EXPECT_EQ(Start->Edit1->text().left(4), QStringLiteral("  60")) << "the cycle went on";
  EXPECT_TRUE(Start->Edit1->text().contains(QStringLiteral("Archiv hängt nach"))) << Start->Edit1->text().toStdString();

  // The user clears the way: the next exchange writes what was kept.
  fs::remove(files / "not-a-folder");
  EXPECT_TRUE(RunCycle());
  EXPECT_EQ(ExceptionCount(), 2);
  EXPECT_NE(LastExceptionMessage().find("wird wieder geschrieben"), std::string::npos) << LastExceptionMessage();
  EXPECT_TRUE(Start->Archiving->Writer().On());
  EXPECT_TRUE(RunCycle());
  EXPECT_FALSE(Start->Edit1->text().contains(QStringLiteral("Archiv"))) << Start->Edit1->text().toStdString();
  EXPECT_NE(ArchiveTest::Query(programOptions.ArchiveFile, "SELECT count(*) FROM day_yields"), "0\n");
}

// The archive chosen for the live plant is still empty (its first exchanges
// wait in memory): another plant's file may not claim it, and the live
// plant's exchanges go there once it can be written.
TEST_F(BrokenArchiveTest, AnotherPlantsFileCannotClaimTheLivePlantsEmptyArchive) {
  const std::string otherFile = OtherPlantsFile();
  Connect(7);
  ASSERT_TRUE(RunCycle());
  const std::string live = Archive::ControllerIdentity();
  ASSERT_FALSE(live.empty());
  ASSERT_NE(live, "123456");
  ASSERT_EQ(ExceptionCount(), 1) << "the stop";
  fs::remove(files / "not-a-folder");

  Start->OpenFile(otherFile);
  Start->InsArchivbernehmen1->trigger();
  ASSERT_EQ(ExceptionCount(), 2);
  const std::string message = LastExceptionMessage();
  EXPECT_NE(message.find("stammen von der Anlage \"123456\""), std::string::npos) << message;
  EXPECT_NE(message.find("ist das der abgefragten Anlage \"" + live + "\""), std::string::npos) << message;
  EXPECT_FALSE(fs::exists(programOptions.ArchiveFile)) << "claimed by the file's plant";

  ASSERT_TRUE(RunCycle());  // mixes the file's blocks with the controller's: not archived
  ASSERT_TRUE(RunCycle());
  ASSERT_TRUE(fs::exists(programOptions.ArchiveFile));
  EXPECT_EQ(InfoOf(programOptions.ArchiveFile).PlantId, live);
}

class ChosenArchiveTest : public ArchiveProgramTest {
protected:
  ChosenArchiveTest() { programOptions.ArchiveFile = files / "chosen.sqlite"; }
};

TEST_F(ChosenArchiveTest, AnotherPlantsFileIsRefused) {
  {
    Archive::ExchangeRecord record;
    record.PlantId = "999999";
    record.Clock = {2025, 3, 1, 12, 0};
    record.Today = Date(2025, 3, 1);
    Archive::PlantArchive(programOptions.ArchiveFile).Write(record);
  }
  const std::string before = ArchiveTest::Dump(programOptions.ArchiveFile);
  Start->OpenFile(OtherPlantsFile());
  Start->InsArchivbernehmen1->trigger();
  EXPECT_EQ(ExceptionCount(), 1);
  const std::string message = LastExceptionMessage();
  EXPECT_NE(message.find("stammen von der Anlage \"123456\""), std::string::npos) << message;
  EXPECT_NE(message.find("gehört zur Anlage \"999999\""), std::string::npos) << message;
  EXPECT_EQ(ArchiveTest::Dump(programOptions.ArchiveFile), before);
  EXPECT_TRUE(Start->Archiving->Writer().On()) << "live archiving stays on";
}

TEST_F(ArchiveProgramTest, AFileIsTakenIntoItsOwnPlantsArchiveOnce) {
  Start->OpenFile(OtherPlantsFile());
  Start->InsArchivbernehmen1->trigger();
  ASSERT_EQ(ExceptionCount(), 0) << LastExceptionMessage();
  const fs::path archive = PlantArchive("123456");
  EXPECT_EQ(DaysOf(archive), (std::vector<DayNumber>{Date(2025, 2, 28), Date(2025, 3, 1), Date(2025, 3, 2)}));
  EXPECT_TRUE(LastInformation().contains(QStringLiteral("übernommen"))) << LastInformation().toStdString();
  Start->InsArchivbernehmen1->trigger();
  EXPECT_TRUE(LastInformation().contains(QStringLiteral("enthielt diese Anlagendaten schon")));

  Start->Archiv1->trigger();  // the store's plant, without a controller
  EXPECT_EQ(Form14->SelectedDay(), Date(2025, 3, 2));
}

// A file cut short leaves the previous plant's data in the rest of the store:
// it is shown, but not taken into any archive.
TEST_F(ArchiveProgramTest, OnlyAWholePlantFileIsTakenOver) {
  const std::string whole = OtherPlantsFile(), cut = PlantFile("short.sol", {65, 43, 21}, 5, 1600);
  Start->OpenFile(whole);
  Start->OpenFile(cut);
  EXPECT_EQ(Block2[Word::Block2::Day], 2) << "opened for viewing as before";
  Start->InsArchivbernehmen1->trigger();
  ASSERT_EQ(ExceptionCount(), 1);
  EXPECT_NE(LastExceptionMessage().find("unvollständig (1600 von 3220 Bytes)"), std::string::npos)
      << LastExceptionMessage();
  EXPECT_FALSE(fs::exists(PlantArchive("123456")));
  EXPECT_FALSE(fs::exists(PlantArchive("654321")));
}

// Two plants whose controllers have no identification never share an
// archive unless the user names one: each file gets its own.
TEST_F(ArchiveProgramTest, PlantsWithoutIdentificationGetAnArchivePerFile) {
  Start->OpenFile(PlantFile("ost.sol", {0, 0, 0}, 3));
  Start->InsArchivbernehmen1->trigger();
  Start->OpenFile(PlantFile("west.sol", {0, 0, 0}, 4));
  Start->InsArchivbernehmen1->trigger();
  ASSERT_EQ(ExceptionCount(), 0) << LastExceptionMessage();
  EXPECT_EQ(InfoOf(PlantArchive("Datei-ost")).ControllerClock, "2025-03-03 14:00");
  EXPECT_EQ(InfoOf(PlantArchive("Datei-west")).ControllerClock, "2025-03-04 14:00");
  EXPECT_FALSE(fs::exists(PlantArchive(DefaultPlantName)));
}

}  // namespace
