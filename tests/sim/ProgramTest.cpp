// zentrixnet-sim as a program, on a real pseudo-terminal: the PC's link core
// talks to it through the terminal side, as the PC program does.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "SerialLine.h"
#include "SimTestSupport.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/PtyLine.h"
#include "tests/support/SimulatorProcess.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// The link's byte port on a terminal file descriptor.
class FdPort : public BytePort {
public:
  explicit FdPort(int fd) : fd_(fd) {}
  int WriteBuf(const void* data, int count) override { return static_cast<int>(write(fd_, data, count)); }
  int ReadBuf(void* data, int count) override {
    const ssize_t n = read(fd_, data, count);
    return n > 0 ? static_cast<int>(n) : 0;
  }
  void PurgeRead() override { tcflush(fd_, TCIFLUSH); }

private:
  int fd_;
};

// The program in a child process with a ports folder of the test's own.
class SimProcess : public ChildProcess {
public:
  SimProcess(const std::vector<std::string>& args, const std::string& configHome)
      : ChildProcess(SIM_PROGRAM, args, {{"XDG_CONFIG_HOME", configHome}}) {}
  // The first line of its output (the terminal path), waiting up to 10 s.
  std::string FirstLine() { return ReadLine(ReadinessLimitSeconds); }
};

int OpenTerminal(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  EXPECT_GE(fd, 0) << path;
  if (fd >= 0) Sim::MakeRawLine(fd);
  return fd;
}

// Collects bytes until `count` have come or the time is up.
SimTest::Bytes ReadBytes(int fd, size_t count, double limitSeconds) {
  SimTest::Bytes got;
  const auto start = Clock::now();
  while (got.size() < count && SecondsSince(start) < limitSeconds) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 20) <= 0) continue;
    uint8_t buffer[256];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) got.insert(got.end(), buffer, buffer + n);
  }
  return got;
}

SimTest::Bytes RequestFrame(int code) {
  SimTest::Bytes f = {0xFF, 0xF8, 6, static_cast<uint8_t>(code), 0, 0};
  f.back() = FrameFormat::Checksum(f.data(), f.size());
  return f;
}

// One polling tick of the PC, then the receive handler for whatever arrives soon after.
void PcTick(int fd) {
  PollingTick();
  for (int quiet = 0; quiet < 3;) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 15) > 0) {
      GatherRxBytes();
      quiet = 0;
    } else {
      ++quiet;
    }
  }
}

void PcTickUntil(int fd, int target) {
  for (int i = 0; i < 150 && PollTick != target; ++i) PcTick(fd);
  ASSERT_EQ(PollTick, target);
}

const std::vector<std::string> Start = {"--start", "2023-06-21 13:00", "--seed", "7"};

std::vector<std::string> Args(std::vector<std::string> extra) {
  extra.insert(extra.end(), Start.begin(), Start.end());
  return extra;
}

TEST(ProgramTest, ServesThePcOverItsComLinkAndCleansUp) {
  TempFolder temp;
  const std::string log = (temp / "sim.log").string();
  SimProcess sim(Args({"--fast", "--com", "7", "--log", log}), (temp / "config").string());
  const std::string path = sim.FirstLine();
  ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
  const fs::path link = temp / "config/PCZentrixNet/ports/COM7";
  ASSERT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::read_symlink(link), path);

  const int fd = OpenTerminal(link.string());
  FdPort port(fd);
  ClearPlantStore();
  SetLinkPort(&port);
  SetCommandControls(nullptr);
  InitLink();
  PcTickUntil(fd, 42);
  EXPECT_EQ(NoAnswerCount, 0);
  EXPECT_EQ(Block3[38], 304);
  EXPECT_EQ(Block2[15], 123);
  EXPECT_GT(MonthRun(MonthCounter() - 1), 0);

  MeterCountSetting = 12;
  MarkCommand(SlotSetMeterCount);
  PcTickUntil(fd, 60);
  PcTickUntil(fd, 42);
  EXPECT_EQ(Block3[37], 12);
  SetLinkPort(nullptr);

  // The PC closes its port and opens it again: the simulator still answers.
  close(fd);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const int again = OpenTerminal(path);
  const SimTest::Bytes connect = {0xFF, 0xF8, 8, 0x15, 0, 0, 0, 0x14};
  ASSERT_EQ(write(again, connect.data(), connect.size()), 8);
  EXPECT_EQ(ReadBytes(again, 6, 3), (SimTest::Bytes{0xFF, 0xFA, 6, 0x14, 0, 0x13}));
  close(again);

  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.Wait(5), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
  std::ifstream in(log);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find(" PC>SIM FE 8F 09 01 25 00 0C 00 C8  SetMeterCount 12\n"), std::string::npos);
  EXPECT_NE(text.str().find(" SIM>PC FF FA 05 0B 09  EndOfExchange\n"), std::string::npos);
}

TEST(ProgramTest, PacesItsBytesAtTheLineRate) {
  TempFolder temp;
  const fs::path sol = temp / "now.sol";
  SimProcess sim(Args({"--sol-on-signal", sol.string()}), (temp / "config").string());
  const int fd = OpenTerminal(sim.FirstLine());
  const SimTest::Bytes start = RequestFrame(16);
  ASSERT_EQ(write(fd, start.data(), start.size()), 6);
  ASSERT_EQ(ReadBytes(fd, 9, 3).size(), 9u);  // type 1
  const SimTest::Bytes next = RequestFrame(1);
  const auto sent = Clock::now();
  ASSERT_EQ(write(fd, next.data(), next.size()), 6);
  const SimTest::Bytes block = ReadBytes(fd, 205, 5);
  const double seconds = SecondsSince(sent);
  ASSERT_EQ(block.size(), 205u);
  EXPECT_EQ(block[3], 2);
  EXPECT_GT(seconds, 0.8);  // 205 bytes of 10 bits at 2400 baud: 0.854 s
  EXPECT_LT(seconds, 2.0);
  close(fd);

  // On request it writes a plant file while it runs.
  sim.Signal(SIGUSR1);
  for (int i = 0; i < 100 && !(fs::exists(sol) && fs::file_size(sol) == 3220); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(fs::exists(sol) ? fs::file_size(sol) : 0, 3220u);
}

TEST(ProgramTest, UsesAGivenTerminalDevice) {
  TempFolder temp;
  PtyLine line;
  SimProcess sim(Args({"--fast", "--device", line.SlavePath()}), (temp / "config").string());
  EXPECT_EQ(sim.FirstLine(), line.SlavePath());
  line.Write(std::string("\xFF\xF8\x08\x15\x00\x00\x00\x14", 8));
  EXPECT_EQ(line.Read(6, 3000), std::string("\xFF\xFA\x06\x14\x00\x13", 6));
  sim.Signal(SIGINT);
  EXPECT_EQ(sim.Wait(5), 0);
}

TEST(ProgramTest, HangUpClosesTheLineAndRemovesTheLink) {
  TempFolder temp;
  SimProcess sim(Args({"--com", "8", "--hangup-after", "0.5"}), (temp / "config").string());
  const int fd = OpenTerminal(sim.FirstLine());
  const fs::path link = temp / "config/PCZentrixNet/ports/COM8";
  EXPECT_TRUE(fs::is_symlink(link));
  // The terminal side reports a hang-up once the master is gone (a raw read without data gives 0 either way).
  bool hungUp = false;
  const auto start = Clock::now();
  while (!hungUp && SecondsSince(start) < 5) {
    pollfd p{fd, POLLIN, 0};
    poll(&p, 1, 50);
    uint8_t b;
    hungUp = (p.revents & POLLHUP) != 0 || (read(fd, &b, 1) < 0 && errno == EIO);
  }
  EXPECT_TRUE(hungUp);
  EXPECT_EQ(sim.Wait(5), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
  close(fd);
}

TEST(ProgramTest, WritesAPlantFileWithoutALine) {
  TempFolder temp;
  const fs::path file = temp / "plant.sol";
  SimProcess sim(Args({"--write-sol", file.string(), "--meters", "5"}), (temp / "config").string());
  EXPECT_EQ(sim.Wait(20), 0);
  ASSERT_EQ(fs::file_size(file), 3220u);
  std::ifstream in(file, std::ios::binary);
  std::vector<char> bytes(3220);
  in.read(bytes.data(), 3220);
  // Block3[37], the meter count, little-endian at offset 2 * 37.
  EXPECT_EQ(static_cast<uint8_t>(bytes[74]), 5);
  EXPECT_EQ(bytes[75], 0);
}

std::string FileText(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The events strike at their times while no PC talks to it, each logged, in time order.
TEST(ProgramTest, LogsEachControllerEventWhenItStrikes) {
  TempFolder temp;
  const fs::path log = temp / "sim.log";
  SimProcess sim(Args({"--fast", "--log", log.string(), "--reset-totals", "0.6", "--raise-fault", "2@0.2",
                       "--clear-fault", "0.4", "--monitoring-off", "0.5"}),
                 (temp / "config").string());
  ASSERT_EQ(sim.FirstLine().rfind("/dev/pts/", 0), 0u);
  const auto start = Clock::now();
  while (FileText(log).find("  Totals reset\n") == std::string::npos && SecondsSince(start) < ReadinessLimitSeconds)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.Wait(5), 0);
  const std::string text = FileText(log);
  size_t at = 0;
  for (const char* event : {"Fault raised: meter 2", "Fault cleared", "Monitoring switched off", "Totals reset"}) {
    const size_t found = text.find(std::string(" SIM -  ") + event + "\n", at);
    ASSERT_NE(found, std::string::npos) << event << " after offset " << at << " in\n" << text;
    at = found;
  }
}

TEST(ProgramTest, RefusesABadCommandLine) {
  TempFolder temp;
  SimProcess sim({"--meters", "0"}, (temp / "config").string());
  EXPECT_EQ(sim.Wait(10), 2);
}

// A helper that ends instead of saying it is ready is noticed at once, and the
// test's failure says what it said and how it ended.
TEST(SimulatorProcessTest, OneThatCannotStartIsReportedWithHowItEnded) {
  TempFolder temp;
  SimulatorProcess sim(temp.Path().string(), (temp.Path() / "sim.log").string());
  testing::internal::CaptureStderr();
  EXPECT_FALSE(sim.Start(0, {"--no-such-option"}));
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("zentrixnet-sim did not come up"), std::string::npos) << said;
  EXPECT_NE(said.find("ended with status 2"), std::string::npos) << said;
}

}  // namespace
