// A writer killed with SIGKILL at random moments (a forked child, several
// times on the same file) leaves an intact archive that holds every exchange
// it had finished, and the next writer goes on from there.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

#include "ArchiveTestSupport.h"
#include "archive/PlantArchive.h"

namespace {

using namespace ArchiveTest;
using Clock = std::chrono::steady_clock;

// Writes records[from..] and tells the parent the index of each one committed.
[[noreturn]] void WriteInChild(const fs::path& file, const std::vector<Archive::ExchangeRecord>& records, size_t from,
                               int report) {
  try {
    Archive::PlantArchive archive(file);
    for (size_t i = from; i < records.size(); ++i) {
      archive.Write(records[i]);
      const uint32_t done = static_cast<uint32_t>(i);
      if (write(report, &done, sizeof done) != sizeof done) _exit(3);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "writer: %s\n", e.what());
    _exit(2);
  }
  _exit(0);
}

// The indexes the child reported before it died.
std::vector<uint32_t> ReadReports(int fd) {
  std::vector<uint32_t> done;
  uint32_t i;
  while (read(fd, &i, sizeof i) == sizeof i) done.push_back(i);
  return done;
}

class KilledWriterTest : public ::testing::Test {
protected:
  void SetUp() override {
    // Four days of a large plant (48 meters), an exchange every 3.1 controller hours.
    ArchiveRun run(FastPlant({2024, 2, 27, 6, 0, 0}, 200, 48));
    records = run.ExchangesUntil({2024, 3, 2, 12, 0, 0});
    ASSERT_GE(records.size(), 30u);
    // The archive after each number of exchanges, written without interruption.
    const fs::path reference = folder / "reference.sqlite";
    Archive::PlantArchive archive(reference);
    states.push_back(Dump(reference));
    for (const auto& r : records) {
      archive.Write(r);
      states.push_back(Dump(reference));
    }
    // The times to open a file and to write an exchange, which the kills aim at.
    const Clock::time_point start = Clock::now();
    Archive::PlantArchive timed(folder / "timed.sqlite");
    openTime = Clock::now() - start;
    for (const auto& r : records) timed.Write(r);
    writeTime = (Clock::now() - start - openTime) / records.size();
  }

  // How many exchanges the file holds: the state is one of those written without interruption.
  int ExchangesHeld(const fs::path& file) const {
    const std::string dump = Dump(file);
    for (size_t n = 0; n < states.size(); ++n)
      if (states[n] == dump) return static_cast<int>(n);
    return -1;
  }

  int KillRepeatedly(const fs::path& file, std::mt19937& random);

  TempFolder folder;
  std::vector<Archive::ExchangeRecord> records;
  std::vector<std::string> states;
  Clock::duration openTime{};
  Clock::duration writeTime{};
};

// Kills writers on the file until the exchanges are all in; returns how many were killed.
int KilledWriterTest::KillRepeatedly(const fs::path& file, std::mt19937& random) {
  const auto us = [](Clock::duration d) { return std::chrono::duration_cast<std::chrono::microseconds>(d).count(); };
  // Within the opening or the first exchange, or within an exchange's time after the first.
  std::uniform_int_distribution<int64_t> fromStart(0, us(openTime + writeTime)), afterFirst(0, us(writeTime));
  size_t from = 0;
  int kills = 0;
  for (int round = 0; round < 100 && from < records.size(); ++round) {
    int pipeFds[2];
    EXPECT_EQ(pipe(pipeFds), 0);
    const pid_t child = fork();
    if (child == 0) {
      close(pipeFds[0]);
      WriteInChild(file, records, from, pipeFds[1]);
    }
    close(pipeFds[1]);
    // Every other writer is let finish one exchange first, so that a busy machine still sees progress.
    std::vector<uint32_t> reported;
    uint32_t first;
    if (round % 2 == 1 && read(pipeFds[0], &first, sizeof first) == sizeof first) reported.push_back(first);
    std::this_thread::sleep_for(std::chrono::microseconds(round % 2 == 1 ? afterFirst(random) : fromStart(random)));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    for (uint32_t i : ReadReports(pipeFds[0])) reported.push_back(i);
    close(pipeFds[0]);
    if (WIFSIGNALED(status)) ++kills;
    else EXPECT_EQ(WEXITSTATUS(status), 0) << "the writer failed in round " << round;

    // A writer killed before it made the file leaves none.
    if (fs::exists(file)) {
      EXPECT_EQ(Query(file, "PRAGMA integrity_check"), "ok\n") << "round " << round;
    }
    const size_t finished = reported.empty() ? from : reported.back() + 1;
    const int held = ExchangesHeld(file);
    // The last exchange may have been committed just before its report was sent.
    if (held != static_cast<int>(finished) && held != static_cast<int>(finished) + 1) {
      ADD_FAILURE() << "round " << round << ": " << finished << " exchanges finished, the file holds " << held;
      return kills;
    }
    from = static_cast<size_t>(held);
  }
  EXPECT_EQ(from, records.size());
  return kills;
}

TEST_F(KilledWriterTest, EveryFinishedExchangeSurvivesAndTheFileStaysIntact) {
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  int kills = 0;
  for (int pass = 0; pass < 4; ++pass) {
    const fs::path file = folder / ("Anlage-" + std::to_string(pass) + ".sqlite");
    kills += KillRepeatedly(file, random);
    EXPECT_EQ(Dump(file), states.back()) << "pass " << pass;
  }
  EXPECT_GE(kills, 12) << "too few writers were killed while writing";
}

}  // namespace
