// Comm events reaching the handlers on the main thread.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "SerialTestSupport.h"
#include "base/MainThreadCalls.h"
#include "serial/VaDisplay.h"
#include "serial/internal/CommConstants.h"

namespace {

class Events : public ::testing::Test {
protected:
  void SetUp() override {
    ConfigureLikeApplication(comm);
    comm.SetDeviceName(pty.SlavePath());
  }
  PseudoTerminal pty;
  TVaComm comm;
};

}  // namespace

TEST_F(Events, RxCharCountsQueuedBytesAndFiresOnlyForNewOnes) {
  std::vector<int> counts;
  comm.OnRxChar = [&](TVaCustomComm* sender, int count) {
    EXPECT_EQ(sender, &comm);
    EXPECT_TRUE(IsMainThread());
    counts.push_back(count);  // reads nothing: the bytes stay queued
  };
  comm.Open();
  pty.Write("0123456789");
  ASSERT_TRUE(PumpUntil([&] { return !counts.empty() && counts.back() == 10; }, 2000));
  const size_t calls = counts.size();
  PumpFor(300);
  EXPECT_EQ(counts.size(), calls) << "bytes left queued must not fire again by themselves";

  pty.Write("abcde");
  ASSERT_TRUE(PumpUntil([&] { return counts.back() == 15; }, 2000)) << "left bytes are counted again";

  char buffer[32];
  EXPECT_EQ(comm.ReadBuf(buffer, sizeof buffer), 15);  // returns at once with what is queued
  EXPECT_EQ(std::string(buffer, 15), "0123456789abcde");
  EXPECT_EQ(comm.InQueCount(), 0);
  EXPECT_EQ(comm.ReadBuf(buffer, sizeof buffer), 0);
}

TEST_F(Events, HandlerReadingOneByteAtATimeSeesEveryByte) {
  std::string received;
  comm.OnRxChar = [&](TVaCustomComm* sender, int) {
    char byte = 0;
    while (sender->ReadBuf(&byte, 1) == 1) received += byte;
  };
  comm.Open();
  std::string sent;
  for (int i = 0; i < 600; ++i) sent += char('A' + i % 26);
  pty.Write(sent);
  ASSERT_TRUE(PumpUntil([&] { return received.size() == sent.size(); }, 3000));
  EXPECT_EQ(received, sent);
}

TEST_F(Events, Rx80FullFiresWhenTheQueueReachesFourFifths) {
  comm.Buffers().SetReadSize(100);
  int full = 0;
  comm.OnRx80Full = [&](TVaCustomComm*) { ++full; };
  comm.Open();
  pty.Write(std::string(70, 'x'));
  ASSERT_TRUE(PumpUntil([&] { return comm.InQueCount() == 70; }, 2000));
  PumpFor(100);
  EXPECT_EQ(full, 0);
  pty.Write(std::string(15, 'y'));
  ASSERT_TRUE(PumpUntil([&] { return full == 1; }, 2000));
  // The queue holds at most its size; the rest waits in the tty, nothing is dropped.
  pty.Write(std::string(50, 'z'));
  ASSERT_TRUE(PumpUntil([&] { return comm.InQueCount() == 100; }, 2000));
  std::string all(200, '\0');
  int total = 0;
  ASSERT_TRUE(PumpUntil(
      [&] {
        total += comm.ReadBuf(all.data() + total, 200 - total);
        return total == 135;
      },
      2000));
  EXPECT_EQ(all.substr(0, 135), std::string(70, 'x') + std::string(15, 'y') + std::string(50, 'z'));
  EXPECT_EQ(full, 1);
}

TEST_F(Events, RxCharRunsBeforeTheOtherHandlersOfTheSameDispatch) {
  comm.SetMonitorEvents({ceRxChar, ceRxFlag});
  std::vector<std::string> order;
  comm.OnRxChar = [&](TVaCustomComm* sender, int count) {
    std::string bytes(size_t(count), '\0');
    sender->ReadBuf(bytes.data(), count);
    order.push_back("rx:" + bytes);
  };
  comm.OnRxFlag = [&](TVaCustomComm*) { order.push_back("flag"); };
  comm.Open();
  pty.Write("a\tb");  // tab is the event character
  ASSERT_TRUE(PumpUntil([&] { return order.size() >= 2; }, 2000));
  EXPECT_EQ(order[0], "rx:a\tb");
  EXPECT_EQ(order[1], "flag");
}

TEST_F(Events, ListenersGetTheBytesInsteadOfRxChar) {
  int rxChar = 0;
  std::string listened;
  std::string buffered;
  comm.OnRxChar = [&](TVaCustomComm*, int) { ++rxChar; };
  comm.OnRxBuf = [&](TVaCustomComm*, const void* data, int count) {
    buffered.append(static_cast<const char*>(data), size_t(count));
  };
  TVaCommListener listener;
  listener.OnData = [&](const void* data, int count) {
    listened.append(static_cast<const char*>(data), size_t(count));
  };
  comm.AttachListener(&listener);
  EXPECT_EQ(listener.Comm(), &comm);
  comm.Open();
  pty.Write("hello");
  ASSERT_TRUE(PumpUntil([&] { return buffered.size() == 5; }, 2000));
  EXPECT_EQ(buffered, "hello");
  EXPECT_EQ(listened, "hello");
  EXPECT_EQ(rxChar, 0);

  comm.DetachListener(&listener);
  EXPECT_EQ(listener.Comm(), nullptr);
  pty.Write("x");
  ASSERT_TRUE(PumpUntil([&] { return rxChar == 1; }, 2000));
  EXPECT_EQ(buffered, "hello");
}

TEST_F(Events, NullStripDropsZeroBytes) {
  comm.SetOptions({coNullStrip});
  comm.Open();
  pty.Write(std::string("a\0b\0\0c", 6));
  ASSERT_TRUE(PumpUntil([&] { return comm.InQueCount() == 3; }, 2000));
  char buffer[8];
  ASSERT_EQ(comm.ReadBuf(buffer, 8), 3);
  EXPECT_EQ(std::string(buffer, 3), "abc");
}

TEST_F(Events, TxEmptyFiresOnceAfterTheBufferDrained) {
  comm.FlowControl().SetXonXoffOut(true);  // lets the test hold the line with XOFF
  int empty = 0;
  comm.OnTxEmpty = [&](TVaCustomComm*) {
    EXPECT_TRUE(IsMainThread());
    ++empty;
  };
  comm.Open();
  pty.Write(std::string(1, PseudoTerminal::Xoff));
  PumpFor(50);
  EXPECT_EQ(comm.WriteBuf("one,", 4), 4);
  EXPECT_EQ(comm.WriteBuf("two,", 4), 4);
  EXPECT_EQ(comm.WriteBuf("three", 5), 5);
  PumpFor(100);
  EXPECT_EQ(empty, 0);
  pty.Write(std::string(1, PseudoTerminal::Xon));
  EXPECT_EQ(pty.Read(13, 2000), "one,two,three");
  ASSERT_TRUE(PumpUntil([&] { return empty >= 1; }, 2000));
  PumpFor(100);
  EXPECT_EQ(empty, 1);
}

TEST_F(Events, DirectWriteReportsTxEmptyFromTheDevice) {
  comm.SetDirectWrite(true);
  comm.SetMonitorEvents({ceTxEmpty});
  int empty = 0;
  comm.OnTxEmpty = [&](TVaCustomComm*) { ++empty; };
  comm.Open();
  EXPECT_EQ(comm.EventMask(), CommConst::EV_TXEMPTY);
  EXPECT_EQ(comm.WriteBuf("direct", 6), 6);
  EXPECT_EQ(pty.Read(6, 2000), "direct");
  ASSERT_TRUE(PumpUntil([&] { return empty == 1; }, 2000));
}

TEST_F(Events, NoEventThreadWithoutEventsToWaitFor) {
  int rxChar = 0;
  comm.OnRxChar = [&](TVaCustomComm*, int) { ++rxChar; };
  comm.SetMonitorEvents({ceTxEmpty});  // taken over by the write thread: mask 0
  comm.Open();
  EXPECT_EQ(comm.EventMask(), 0u);
  pty.Write("zz");
  ASSERT_TRUE(PumpUntil([&] { return comm.InQueCount() == 2; }, 2000));
  PumpFor(100);
  EXPECT_EQ(rxChar, 0);
}

namespace {
class CountingDisplay : public TVaDisplay {
public:
  int Refreshes = 0;
  void Refresh(TVaCustomComm*) override { ++Refreshes; }
};
}  // namespace

TEST_F(Events, TheDisplayIsRefreshedPerDispatchAndForgottenWhenDestroyed) {
  auto* display = new CountingDisplay;
  comm.SetDisplay(display);
  int rxChar = 0;
  comm.OnRxChar = [&](TVaCustomComm* sender, int count) {
    std::string bytes(size_t(count), '\0');
    sender->ReadBuf(bytes.data(), count);
    ++rxChar;
  };
  comm.Open();
  pty.Write("1");
  ASSERT_TRUE(PumpUntil([&] { return rxChar == 1; }, 2000));
  EXPECT_EQ(display->Refreshes, 1);
  delete display;
  EXPECT_EQ(comm.Display(), nullptr);
  pty.Write("2");
  ASSERT_TRUE(PumpUntil([&] { return rxChar == 2; }, 2000));
}

// A reader that says how many bytes it needs hears of them once they have all
// come, or once the line has gone quiet with fewer; at 300 baud the quiet gap
// is two characters' time, 67 ms, far longer than the pauses of the paced
// writes below (5 ms, as a line's bytes come one by one).
TEST_F(Events, ExpectedBytesAreReportedTogetherOrWhenTheLineGoesQuiet) {
  comm.SetBaudrate(br300);
  std::vector<int> counts;
  std::string received;
  comm.OnRxChar = [&](TVaCustomComm* sender, int count) {
    counts.push_back(count);
    std::string bytes(size_t(count), '\0');
    received += bytes.substr(0, size_t(sender->ReadBuf(bytes.data(), count)));
  };
  comm.Open();
  comm.ExpectBytes(12);
  for (char byte : std::string("frame-of-12!")) {
    pty.Write(std::string(1, byte));
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_TRUE(PumpUntil([&] { return received.size() == 12; }, 3000));
  EXPECT_EQ(counts, std::vector<int>{12}) << "one report for the bytes asked for, not one per arrival";

  counts.clear();
  comm.ExpectBytes(20);
  pty.Write("short");
  ASSERT_TRUE(PumpUntil([&] { return !counts.empty(); }, 3000)) << "fewer bytes are reported once the line is quiet";
  EXPECT_EQ(counts, std::vector<int>{5});
  EXPECT_EQ(received, "frame-of-12!short");

  counts.clear();
  comm.ExpectBytes(1);  // every arrival again
  pty.Write("x");
  ASSERT_TRUE(PumpUntil([&] { return !counts.empty(); }, 3000));
  EXPECT_EQ(counts, std::vector<int>{1});
}

// Bytes that came before a purge are gone, even those a reader was not told
// of yet (fewer than it expects, the line not quiet yet); bytes after it all come.
TEST_F(Events, APurgeDropsWhatCameBeforeItAndNothingAfter) {
  comm.SetBaudrate(br300);
  std::string received;
  comm.OnRxChar = [&](TVaCustomComm* sender, int count) {
    std::string bytes(size_t(count), '\0');
    received += bytes.substr(0, size_t(sender->ReadBuf(bytes.data(), count)));
  };
  comm.Open();
  comm.ExpectBytes(20);
  pty.Write("stale");
  comm.PurgeRead();
  EXPECT_EQ(comm.InQueCount(), 0);
  pty.Write("fresh");
  ASSERT_TRUE(PumpUntil([&] { return received.size() >= 5; }, 3000));
  PumpFor(200);
  EXPECT_EQ(received, "fresh");
}

// A reader that answers each frame at once, as the link does, and says how
// many bytes the next one needs just before or just after it answers: the
// next frame may come while the port gets ready for it, and it must still be
// reported then, not only once more bytes come (a controller sends nothing
// more until it is answered).
TEST_F(Events, AFrameThatComesWhileTheReaderAsksForItIsReported) {
  constexpr int Frames = 300;
  const std::string frame = "HDRrest";
  int done = 0;
  std::string gathered;
  comm.OnRxChar = [&](TVaCustomComm* sender, int) {
    char bytes[16];
    bool answer = false;
    for (int n; (n = sender->ReadBuf(bytes, int(frame.size() - gathered.size()))) > 0;) {
      gathered.append(bytes, size_t(n));
      if (gathered.size() < frame.size()) continue;
      EXPECT_EQ(gathered, frame);
      gathered.clear();
      answer = ++done < Frames;
    }
    if (answer && done % 2 == 0) pty.Write(frame);
    sender->ExpectBytes(int(frame.size() - gathered.size()));
    if (answer && done % 2 == 1) pty.Write(frame);
  };
  comm.Open();
  comm.ExpectBytes(int(frame.size()));
  pty.Write(frame);
  ASSERT_TRUE(PumpUntil([&] { return done == Frames; }, 30000)) << done << " frames came";
}
