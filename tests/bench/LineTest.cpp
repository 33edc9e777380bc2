// The controller side of the exchange benchmark and the bare line on real
// pseudo-terminals, and the window watch on a real virtual display.
#include <gtest/gtest.h>
#include <poll.h>
#include <xcb/xcb.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "BareLine.h"
#include "MonotonicClock.h"
#include "PacedController.h"
#include "PacedFeed.h"
#include "PacedLine.h"
#include "WindowMapWatch.h"
#include "tools/desktop/Desktop.h"

namespace {

// The PC's end of the line: a plain descriptor on the terminal side.
class PcEnd {
public:
  explicit PcEnd(const std::string& path) : fd_(open(path.c_str(), O_RDWR | O_NOCTTY)) {}
  ~PcEnd() { close(fd_); }
  bool Open() const { return fd_ >= 0; }
  void Write(const std::vector<uint8_t>& bytes) const {
    ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // Reads exactly n bytes (or what came within 5 s).
  std::vector<uint8_t> Read(size_t n) const {
    std::vector<uint8_t> bytes;
    const int64_t deadline = MonotonicNs() + 5'000'000'000;
    while (bytes.size() < n && MonotonicNs() < deadline) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      uint8_t buffer[256];
      const ssize_t got = read(fd_, buffer, std::min(sizeof buffer, n - bytes.size()));
      if (got > 0) bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
  }

private:
  int fd_;
};

std::vector<uint8_t> Request(uint8_t code) {
  return {0xFF, 0xF8, 6, code, 0, static_cast<uint8_t>(0xFF + 0xF8 + 6 + code)};
}

double LineMs(int bytes) { return PacedLine::WireNs(bytes) / 1e6; }

// The controller answers only after the request has crossed the line and
// sends its answer no faster than the line: both lower bounds hold however
// busy the machine is.
TEST(PacedController, AnswersAtTheLineRateAndRecordsTheExchange) {
  PacedController controller(Sim::SimConfig{});
  const PcEnd pc(controller.PortPath());
  ASSERT_TRUE(pc.Open());
  controller.Start();

  const int64_t start = MonotonicNs();
  pc.Write(Request(16));
  const std::vector<uint8_t> info = pc.Read(9);
  const double infoMs = static_cast<double>(MonotonicNs() - start) / 1e6;
  ASSERT_EQ(info.size(), 9u);
  EXPECT_EQ(info[1], 0xFA);
  EXPECT_EQ(info[3], 1);  // the controller's type and version come first
  EXPECT_GE(infoMs, LineMs(6 + 9) - 0.01);

  const int64_t replied = MonotonicNs();
  pc.Write(Request(1));
  const std::vector<uint8_t> block = pc.Read(205);
  const double blockMs = static_cast<double>(MonotonicNs() - replied) / 1e6;
  ASSERT_EQ(block.size(), 205u);
  EXPECT_EQ(block[3], 2);
  EXPECT_GE(blockMs, LineMs(6 + 205) - 0.01);
  controller.Stop();

  EXPECT_TRUE(controller.Failure().empty());
  EXPECT_EQ(controller.CompletedExchanges(), 0);  // no end frame yet
  EXPECT_NE(controller.FrameLog().find("Request 16 (start of exchange)"), std::string::npos);
}

// Maps a top-level window with the given title on the display.
void MapWindow(xcb_connection_t* c, const std::string& title) {
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const xcb_window_t w = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, 50, 50, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    screen->root_visual, 0, nullptr);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      static_cast<uint32_t>(title.size()), title.data());
  xcb_map_window(c, w);
  xcb_flush(c);
}

TEST(WindowMapWatch, ReportsTheMappingOfTheWindowWithTheTitleOnly) {
  Desktop desktop;
  if (!desktop.Start()) GTEST_SKIP() << desktop.Error().toStdString();
  const WindowMapWatch watch(desktop.Display().toStdString());
  ASSERT_TRUE(watch.Connected()) << watch.Error();
  xcb_connection_t* c = xcb_connect(desktop.Display().toStdString().c_str(), nullptr);
  ASSERT_FALSE(xcb_connection_has_error(c));

  MapWindow(c, "Early");
  EXPECT_TRUE(watch.MappedAt("Early", 0, 2000).has_value());
  const int64_t before = MonotonicNs();
  EXPECT_FALSE(watch.MappedAt("Early", before, 100).has_value());  // mapped before the time asked about
  MapWindow(c, "Other");
  MapWindow(c, "Main ");
  const std::optional<int64_t> mapped = watch.MappedAt("Main ", before, 2000);
  ASSERT_TRUE(mapped.has_value());
  EXPECT_GE(*mapped, before);
  EXPECT_LE(*mapped, MonotonicNs());
  EXPECT_FALSE(watch.MappedAt("Main", before, 100).has_value());  // the title must match exactly
  xcb_disconnect(c);
}

// The bare line answers every block but the last, and no sooner than the
// block's bytes can have crossed: four blocks of six bytes take at least 24
// byte times (100 ms).
TEST(BareLine, AnswersEachBlockButTheLast) {
  const int64_t start = MonotonicNs();
  const std::vector<double> latencies = MeasureBareReplyLatenciesMs(4, 6);
  EXPECT_GE(MonotonicNs() - start, 24 * 1'000'000'000LL / PacedLine::BytesPerSecond);
  ASSERT_EQ(latencies.size(), 3u);
  for (double ms : latencies) {
    EXPECT_GT(ms, 0);
    EXPECT_LT(ms, 1000);  // an answer, not the poll's time-out
  }
}

// The paced feed sends every byte at its pace, the block's bytes in order,
// and keeps the line open until the receiver has them all; the bare reader
// takes them all and is charged some processor time for them.
TEST(PacedFeed, SendsEveryByteAtItsPaceToTheReceiver) {
  constexpr int Bytes = 60;
  constexpr int64_t PaceNs = 2'000'000;
  std::vector<uint8_t> received;
  int64_t tookNs = 0;
  const PacedFeed::Receiver collect = [&](const std::string& path, const std::function<PacedFeed::Usage()>& go,
                                          int bytes) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    const PacedFeed::Usage start = go();
    const int64_t startNs = MonotonicNs();
    uint8_t buffer[64];
    for (pollfd ready{fd, POLLIN, 0}; int(received.size()) < bytes && poll(&ready, 1, 2000) == 1;) {
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n <= 0) break;
      received.insert(received.end(), buffer, buffer + n);
    }
    tookNs = MonotonicNs() - startNs;
    close(fd);
    return PacedFeed::Span{start, PacedFeed::TakeUsage()};
  };
  PacedFeed::Measure(Bytes, PaceNs, collect);
  ASSERT_EQ(received.size(), size_t(Bytes));
  for (int i = 0; i < Bytes; ++i) EXPECT_EQ(received[size_t(i)], i % PacedFeed::BlockBytes) << "byte " << i;
  EXPECT_GE(tookNs, (Bytes - 1) * PaceNs);

  const PacedFeed::Cost bare = PacedFeed::Measure(Bytes, PaceNs, PacedFeed::BareReader);
  EXPECT_GT(bare.CpuUsPerByte, 0);
  EXPECT_GT(bare.SwitchesPerByte, 0);
}

}  // namespace
