// A locked, read-only, damaged or foreign archive is reported once, with its
// path; the link goes on polling, the exchanges wait in memory, and once the
// archive can be written again they are written and that is reported once.
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "ArchiveTestSupport.h"
#include "archive/ArchiveWriter.h"

namespace {

using namespace ArchiveTest;

struct PollingOutcome {
  int Exchanges = 0;  // completed exchanges
  int Written = 0;    // of them archived
  std::vector<std::string> Reports;
};

// Polls the simulator for a few exchanges with an archive writer on the file.
PollingOutcome PollWithArchive(const fs::path& file, int exchanges = 3, Archive::ArchiveOptions options = {},
                               const std::function<void()>& afterFirst = {}) {
  ArchiveRun run(FastPlant({2024, 6, 10, 10, 0, 0}, 60));
  PollingOutcome outcome;
  Archive::ArchiveWriter writer(
      file, [&](const std::string& m) { outcome.Reports.push_back(m); }, {}, options);
  for (int i = 0; i < exchanges; ++i) {
    const auto record = run.NextExchange();
    if (!record) continue;
    ++outcome.Exchanges;
    outcome.Written += writer.Record(*record);
    if (i == 0 && afterFirst) afterFirst();
  }
  return outcome;
}

// The same in a child process without root's rights, so that file permissions hold.
PollingOutcome PollWithoutRoot(const fs::path& file) {
  const std::string text = TextWithoutRoot([&] {
    const PollingOutcome o = PollWithArchive(file);
    std::ostringstream out;
    out << o.Exchanges << "\n" << o.Written << "\n";
    for (const std::string& r : o.Reports) out << r << "\n";
    return out.str();
  });
  std::istringstream lines(text);
  PollingOutcome o;
  lines >> o.Exchanges >> o.Written;
  lines.ignore();
  for (std::string line; std::getline(lines, line);) o.Reports.push_back(line);
  return o;
}

void ExpectOneReportAndPollingGoesOn(const PollingOutcome& o, const fs::path& file, const std::string& reason) {
  EXPECT_EQ(o.Exchanges, 3) << "polling stopped";
  EXPECT_EQ(o.Written, 0);
  ASSERT_EQ(o.Reports.size(), 1u);
  EXPECT_NE(o.Reports[0].find(file.string()), std::string::npos) << o.Reports[0];
  EXPECT_NE(o.Reports[0].find(reason), std::string::npos) << o.Reports[0];
  EXPECT_NE(o.Reports[0].find("Die Archivierung hält an"), std::string::npos) << o.Reports[0];
}

void Overwrite(const fs::path& file, std::streamoff at, const std::string& bytes) {
  std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
  f.seekp(at);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// An archive with a few exchanges in it, its WAL folded into the file.
void MakeArchive(const fs::path& file) {
  ArchiveRun run(FastPlant({2024, 6, 1, 10, 0, 0}, 600));
  Archive::PlantArchive archive(file);
  for (int i = 0; i < 3; ++i) archive.Write(*run.NextExchange());
}

class FailureTest : public ::testing::Test {
protected:
  void SetUp() override { fs::permissions(folder.Path(), fs::perms::all); }
  TempFolder folder;
};

TEST_F(FailureTest, ReadOnlyFolder) {
  const fs::path readOnly = folder / "readonly";
  fs::create_directory(readOnly);
  MakeArchive(readOnly / "full.sqlite");
  fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  ExpectOneReportAndPollingGoesOn(PollWithoutRoot(readOnly / "new.sqlite"), readOnly / "new.sqlite", "unable to open");
  ExpectOneReportAndPollingGoesOn(PollWithoutRoot(readOnly / "full.sqlite"), readOnly / "full.sqlite", "readonly");
}

TEST_F(FailureTest, FileThatIsNoDatabase) {
  const fs::path file = folder / "Anlage.sqlite";
  std::ofstream(file) << std::string(8192, 'x');
  ExpectOneReportAndPollingGoesOn(PollWithArchive(file), file, "not a database");
  EXPECT_EQ(fs::file_size(file), 8192u) << "the damaged file was changed";
}

TEST_F(FailureTest, ArchiveWithDamagedPages) {
  const fs::path file = folder / "Anlage.sqlite";
  MakeArchive(file);
  ASSERT_GT(fs::file_size(file), 8 * 4096u);
  Overwrite(file, 5 * 4096, std::string(2 * 4096, '\x5A'));
  ExpectOneReportAndPollingGoesOn(PollWithArchive(file), file, "Archiv beschädigt");
}

TEST_F(FailureTest, ArchiveLockedByAnotherProgramCatchesUpWhenTheLockEnds) {
  const fs::path file = folder / "Anlage.sqlite";
  MakeArchive(file);
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  const auto release = [&] { sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr); };
  const PollingOutcome o = PollWithArchive(file, 3, {true, 100}, release);
  sqlite3_close(other);
  EXPECT_EQ(o.Exchanges, 3);
  EXPECT_EQ(o.Written, 2) << "the exchanges after the lock";
  ASSERT_EQ(o.Reports.size(), 2u);
  EXPECT_NE(o.Reports[0].find("Archiv gesperrt"), std::string::npos) << o.Reports[0];
  EXPECT_NE(o.Reports[0].find(file.string()), std::string::npos) << o.Reports[0];
  EXPECT_NE(o.Reports[1].find("wird wieder geschrieben"), std::string::npos) << o.Reports[1];
}

// Every exchange polled while the archive was locked ends up in it, as if it
// had been written at once.
TEST_F(FailureTest, NothingPolledWhileLockedIsLost) {
  const fs::path file = folder / "Anlage.sqlite", reference = folder / "reference.sqlite";
  MakeArchive(file);
  MakeArchive(reference);
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
  std::vector<std::string> reports;
  Archive::ArchiveWriter writer(
      file, [&](const std::string& m) { reports.push_back(m); }, {}, {true, 100}, 100);
  Archive::PlantArchive direct(reference);
  // A plant whose controller day changes between exchanges, so that each one is kept.
  ArchiveRun run(FastPlant({2024, 6, 10, 10, 0, 0}, 1800));
  std::vector<bool> written;
  for (int i = 0; i < 5; ++i) {
    const auto record = run.NextExchange();
    ASSERT_TRUE(record);
    if (i == 3) sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    written.push_back(writer.Record(*record));
    direct.Write(*record, Archive::RecordSource::Controller);
    EXPECT_EQ(writer.On(), i >= 3);
    EXPECT_EQ(writer.BehindText().empty(), i >= 3) << writer.BehindText();
  }
  sqlite3_close(other);
  EXPECT_EQ(written, (std::vector<bool>{false, false, false, true, true}));
  EXPECT_EQ(reports.size(), 2u);
  EXPECT_EQ(Dump(file), Dump(reference));
}

// A write failure (here a file size limit, as a full disk gives it) stops
// archiving only until the archive can grow again. In a child process, whose
// limit the test may lower and raise: "s" for each exchange written, "-" for
// one kept, then the number of reports.
TEST_F(FailureTest, AFileSizeLimitStopsArchivingOnlyUntilTheFileCanGrow) {
  const fs::path file = folder / "Anlage.sqlite";
  MakeArchive(file);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit unlimited = limit;
    limit.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &limit);
    int reports = 0;
    Archive::ArchiveWriter writer(
        file, [&](const std::string&) { ++reports; }, {}, {true, 100}, 100);
    ArchiveRun run(FastPlant({2024, 6, 10, 10, 0, 0}, 1800));
    std::string outcome;
    for (int i = 0; i < 4; ++i) {
      if (i == 2) setrlimit(RLIMIT_FSIZE, &unlimited);
      const auto record = run.NextExchange();
      outcome += record ? (writer.Record(*record) ? "s" : "-") : "?";
    }
    outcome += std::to_string(reports);
    _exit(write(fds[1], outcome.data(), outcome.size()) == static_cast<ssize_t>(outcome.size()) ? 0 : 3);
  }
  close(fds[1]);
  char text[64] = {};
  const ssize_t n = read(fds[0], text, sizeof text - 1);
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(std::string(text, n > 0 ? n : 0), "--ss2")
      << "two kept, then written with the rest; stop and catching up reported";
  EXPECT_EQ(Query(file, "SELECT count(DISTINCT day) >= 4 FROM day_yields WHERE day >= '2024-06-10'"), "1\n");
}

// Files the archive refuses to open, and why.
TEST_F(FailureTest, ForeignAndNewerFilesAreRefused) {
  const fs::path foreign = folder / "foreign.sqlite", newer = folder / "newer.sqlite";
  sqlite3* db = nullptr;
  sqlite3_open(foreign.c_str(), &db);
  sqlite3_exec(db, "CREATE TABLE notes(text)", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  { Archive::PlantArchive archive(newer); }
  sqlite3_open(newer.c_str(), &db);
  sqlite3_exec(db, "PRAGMA user_version = 7", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  const std::pair<fs::path, std::string> cases[] = {
      {foreign, "kein Anlagenarchiv"}, {newer, "Version 7"}, {folder / "missing.sqlite", "gibt es nicht"}};
  for (const auto& [file, reason] : cases) {
    try {
      Archive::PlantArchive archive(file, {false, 100});
      ADD_FAILURE() << file << " was opened";
    } catch (const Archive::EArchiveError& e) {
      EXPECT_EQ(e.File(), file);
      EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
    }
  }
  EXPECT_FALSE(fs::exists(folder / "missing.sqlite"));
  EXPECT_EQ(Query(foreign, "SELECT count(*) FROM sqlite_master"), "1\n") << "the foreign file was changed";
  EXPECT_EQ(Query(foreign, "PRAGMA journal_mode"), "delete\n") << "the foreign file was changed";
}

}  // namespace
