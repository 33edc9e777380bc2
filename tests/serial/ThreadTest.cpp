// The threads: closing while they wait for the main thread, a device that
// disappears, and what an idle port costs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SerialTestSupport.h"
#include "serial/internal/CommConstants.h"
#include "serial/internal/Platform.h"

namespace {

class Threads : public ::testing::Test {
protected:
  void SetUp() override {
    ConfigureLikeApplication(comm);
    comm.SetDeviceName(pty.SlavePath());
  }
  ExceptionRecord exceptions;
  PseudoTerminal pty;
  TVaComm comm;
};

}  // namespace

TEST_F(Threads, CloseFromInsideTheReceiveHandlerEndsCleanly) {
  int calls = 0;
  comm.OnRxChar = [&](TVaCustomComm* sender, int) {
    ++calls;
    sender->Close();
    char byte;
    EXPECT_EQ(sender->ReadBuf(&byte, 1), 0);  // closed now
  };
  int rxFlag = 0;
  comm.SetMonitorEvents({ceRxChar, ceRxFlag});
  comm.OnRxFlag = [&](TVaCustomComm*) { ++rxFlag; };
  comm.Open();
  pty.Write("a\t");
  ASSERT_TRUE(PumpUntil([&] { return calls == 1; }, 2000));
  EXPECT_FALSE(comm.Active());
  PumpFor(100);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(rxFlag, 0) << "a closed port dispatches nothing more";
  // The stopped event thread is freed on the next Open; the port works again.
  comm.OnRxChar = [&](TVaCustomComm*, int) { ++calls; };
  comm.Open();
  pty.Write("b");
  ASSERT_TRUE(PumpUntil([&] { return calls == 2; }, 2000));
  EXPECT_TRUE(exceptions.Messages().empty());
}

// The event thread does not sleep while a handler runs: bytes that arrive
// meanwhile are queued for the handler to read, and the dispatch they caused
// fires no empty receive event once the handler took them.
TEST_F(Threads, BytesArrivingWhileAHandlerRunsAreQueuedForIt) {
  std::vector<int> counts;
  std::string received;
  comm.OnRxChar = [&](TVaCustomComm* sender, int count) {
    counts.push_back(count);
    if (counts.size() == 1) {
      pty.Write("more");
      const uint32_t start = Platform::GetTickCount();
      while (sender->InQueCount() < 9 && MillisecondsSince(start) < 2000) Platform::Sleep(5);
    }
    char buffer[64];
    received.append(buffer, size_t(sender->ReadBuf(buffer, sizeof buffer)));
  };
  comm.Open();
  pty.Write("first");
  ASSERT_TRUE(PumpUntil([&] { return !counts.empty(); }, 2000));
  EXPECT_EQ(received, "firstmore") << "the handler saw the bytes that came while it ran";
  PumpFor(300);
  EXPECT_EQ(counts.size(), 1u) << "no receive event without bytes to report";
}

// Closing from inside a handler while bytes keep arriving: the event thread,
// waiting to hand over their event, is let go and ends.
TEST_F(Threads, CloseFromInsideAHandlerWhileBytesKeepArriving) {
  int calls = 0;
  comm.OnRxChar = [&](TVaCustomComm* sender, int) {
    if (++calls < 3) {
      char buffer[64];
      sender->ReadBuf(buffer, sizeof buffer);
      return;
    }
    for (int i = 0; i < 5; ++i) {
      pty.Write("0123456789");
      Platform::Sleep(2);
    }
    sender->Close();
  };
  comm.Open();
  for (int i = 0; i < 3; ++i) {
    pty.Write("abc");
    ASSERT_TRUE(PumpUntil([&] { return calls > i; }, 2000));
  }
  EXPECT_FALSE(comm.Active());
  PumpFor(100);
  EXPECT_EQ(calls, 3);
  // Opened again, the port reports what arrives (the bytes written before the
  // close may come in the same event as the new one or in one before it).
  std::string after;
  comm.OnRxChar = [&](TVaCustomComm* sender, int) {
    char buffer[64];
    after.append(buffer, size_t(sender->ReadBuf(buffer, sizeof buffer)));
  };
  comm.Open();
  pty.Write("x");
  ASSERT_TRUE(PumpUntil([&] { return !after.empty() && after.back() == 'x'; }, 2000)) << after;
  EXPECT_TRUE(exceptions.Messages().empty());
}

// Without a write thread to stop, Close from inside a handler reaches the
// handle right after stopping the event thread, which is in its comm-event
// wait: the handle goes only once the thread has let go of it.
TEST_F(Threads, CloseFromInsideAHandlerWithoutAWriteThread) {
  comm.SetDirectWrite(true);
  int calls = 0;
  comm.OnRxChar = [&](TVaCustomComm* sender, int) {
    ++calls;
    sender->Close();
  };
  for (int round = 1; round <= 3; ++round) {
    comm.Open();
    pty.Write("z");
    ASSERT_TRUE(PumpUntil([&] { return calls == round; }, 2000));
    EXPECT_FALSE(comm.Active());
  }
  EXPECT_TRUE(exceptions.Messages().empty());
}

TEST_F(Threads, CloseDoesNotDeadlockWithAThreadWaitingForTheMainThread) {
  int empty = 0;
  comm.OnTxEmpty = [&](TVaCustomComm*) { ++empty; };
  comm.Open();
  EXPECT_EQ(comm.WriteBuf("x", 1), 1);
  Platform::Sleep(100);  // no event loop: the write thread sends, then waits to report transmit-empty
  const uint32_t start = Platform::GetTickCount();
  comm.Close();
  EXPECT_LT(MillisecondsSince(start), 1500u);
  EXPECT_EQ(pty.Read(1, 2000), "x");
  EXPECT_EQ(empty, 0) << "no handler runs for a port being closed";
}

TEST_F(Threads, AnIdleOpenPortCostsNoProcessorTime) {
  comm.Open();
  PumpFor(100);
  const double before = ProcessCpuMilliseconds();
  Platform::Sleep(1000);
  EXPECT_LT(ProcessCpuMilliseconds() - before, 20.0);
}

TEST_F(Threads, AHungUpDeviceIsReportedOnceThenQuietUntilReopened) {
  PortsFolder ports;
  ports.Link(4, pty);
  comm.SetDeviceName("\\\\.\\COM%d");
  comm.SetPortNum(4);
  std::vector<int> errors;
  comm.OnError = [&](TVaCustomComm*, int bits) { errors.push_back(bits); };
  std::string received;
  comm.OnRxChar = [&](TVaCustomComm* sender, int count) {
    std::string bytes(size_t(count), '\0');
    received.append(bytes.data(), size_t(sender->ReadBuf(bytes.data(), count)));
  };
  comm.Open();
  const std::string path = comm.OpenPath();

  pty.Write("last words");
  ASSERT_TRUE(PumpUntil([&] { return received == "last words"; }, 2000));
  pty.CloseMaster();  // a hang-up drops what the tty still held, so the bytes went first
  ASSERT_TRUE(PumpUntil([&] { return !exceptions.Messages().empty(); }, 3000));
  EXPECT_EQ(exceptions.Messages()[0], "Connection to device " + path + " lost (Error " + LostLineError() + ")");
  EXPECT_EQ(exceptions.CommErrorKinds(), std::vector{TVaCommErrorKind::Lost});
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_TRUE(errors[0] & int(CommConst::CE_IOE));

  // Quiet afterwards: no spinning thread, no more reports, writes go nowhere.
  const double before = ProcessCpuMilliseconds();
  PumpFor(500);
  EXPECT_LT(ProcessCpuMilliseconds() - before, 100.0);
  EXPECT_EQ(comm.WriteBuf("x", 1), 0);
  comm.PurgeRead();
  PumpFor(200);
  EXPECT_EQ(exceptions.Messages().size(), 1u);
  EXPECT_EQ(errors.size(), 1u);

  // The device is back (the link points at a new terminal): selecting the port again works.
  PseudoTerminal back;
  ports.Link(4, back);
  comm.Close();
  comm.Open();
  back.Write("hello again");
  ASSERT_TRUE(PumpUntil([&] { return received == "last wordshello again"; }, 2000));
  EXPECT_EQ(comm.WriteBuf("ok", 2), 2);
  EXPECT_EQ(back.Read(2, 2000), "ok");
}

TEST_F(Threads, TheWriteThreadAloneReportsAHangUpOnce) {
  comm.SetMonitorEvents({});  // no event thread
  comm.Open();
  pty.CloseMaster();
  PumpFor(50);
  EXPECT_EQ(comm.WriteBuf("abc", 3), 3);  // queued before anyone noticed
  ASSERT_TRUE(PumpUntil([&] { return !exceptions.Messages().empty(); }, 3000));
  const double before = ProcessCpuMilliseconds();
  PumpFor(500);
  EXPECT_LT(ProcessCpuMilliseconds() - before, 100.0);
  EXPECT_EQ(comm.WriteBuf("def", 3), 0);
  PumpFor(100);
  EXPECT_EQ(exceptions.Messages().size(), 1u);
}

TEST_F(Threads, HandlerExceptionsReachTheExceptionDisplayAndDispatchGoesOn) {
  int calls = 0;
  comm.OnRxChar = [&](TVaCustomComm* sender, int count) {
    ++calls;
    std::string bytes(size_t(count), '\0');
    sender->ReadBuf(bytes.data(), count);
    throw EVaCommError("handler failed", TVaCommErrorKind::InputOutput);
  };
  comm.Open();
  pty.Write("1");
  ASSERT_TRUE(PumpUntil([&] { return calls == 1; }, 2000));
  pty.Write("2");
  ASSERT_TRUE(PumpUntil([&] { return calls == 2; }, 2000));
  EXPECT_EQ(exceptions.Messages(), (std::vector<std::string>{"handler failed", "handler failed"}));
}
