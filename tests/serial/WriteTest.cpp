// Buffered and direct writes, purges, and what a closed port does.
#include <gtest/gtest.h>

#include <thread>

#include "SerialTestSupport.h"
#include "serial/internal/CommConstants.h"
#include "serial/internal/Platform.h"

using namespace CommConst;

namespace {

class Writes : public ::testing::Test {
protected:
  void SetUp() override {
    comm.SetDeviceName(pty.SlavePath());
    comm.SetBaudrate(br2400);
    comm.FlowControl().SetXonXoffOut(true);  // lets the test hold the line with XOFF
  }
  void HoldLine() {
    pty.Write(std::string(1, PseudoTerminal::Xoff));
    PumpFor(30);
  }
  void ReleaseLine() { pty.Write(std::string(1, PseudoTerminal::Xon)); }

  PseudoTerminal pty;
  TVaComm comm;
};

}  // namespace

TEST_F(Writes, MoreThanTheBufferHoldsRaisesAfterTheWriteTimeout) {
  comm.Buffers().SetWriteSize(64);
  comm.Buffers().SetWriteTimeout(200);
  comm.Open();
  const std::string tooMuch(100, 'x');
  const uint32_t start = Platform::GetTickCount();
  try {
    comm.WriteBuf(tooMuch.data(), int(tooMuch.size()));
    FAIL() << "no exception";
  } catch (const EVaCommError& error) {
    EXPECT_STREQ(error.what(), "Output buffer is full. Please check comm status.");
    EXPECT_EQ(error.Kind(), TVaCommErrorKind::InputOutput);
    EXPECT_EQ(error.SystemCode(), 0) << "no system call failed";
  }
  const uint32_t waited = MillisecondsSince(start);
  EXPECT_GE(waited, 195u);
  EXPECT_LT(waited, 1500u);
  // Nothing of it was queued, and the port goes on working.
  EXPECT_EQ(comm.WriteBuf("fits", 4), 4);
  EXPECT_EQ(pty.Read(200, 300), "fits");
}

TEST_F(Writes, AWriterWaitsForRoomWhileTheLineDrains) {
  comm.Buffers().SetWriteSize(64);
  comm.Open();
  HoldLine();
  EXPECT_EQ(comm.WriteBuf(std::string(64, 'a').data(), 64), 64);  // fills the buffer exactly
  const uint32_t start = Platform::GetTickCount();
  std::thread release([this] {
    Platform::Sleep(150);
    ReleaseLine();
  });
  EXPECT_EQ(comm.WriteBuf("b", 1), 1);  // waits until the held bytes went out
  release.join();
  EXPECT_GE(MillisecondsSince(start), 140u);
  EXPECT_EQ(pty.Read(65, 2000), std::string(64, 'a') + "b");
}

TEST_F(Writes, PurgeReadLeavesTheWriteBufferPurgeEmptiesIt) {
  comm.Open();
  pty.Write("incoming");
  ASSERT_TRUE(PumpUntil([&] { return comm.InQueCount() == 8; }, 2000));
  HoldLine();
  EXPECT_EQ(comm.WriteBuf("kept", 4), 4);
  comm.PurgeRead();
  EXPECT_EQ(comm.InQueCount(), 0);
  ReleaseLine();
  EXPECT_EQ(pty.Read(4, 2000), "kept");

  HoldLine();
  EXPECT_EQ(comm.WriteBuf("dropped", 7), 7);
  PumpFor(50);
  comm.Purge(PURGE_TXABORT | PURGE_TXCLEAR);
  ReleaseLine();
  EXPECT_EQ(pty.Read(7, 300), "");
  EXPECT_EQ(comm.WriteBuf("after", 5), 5);
  EXPECT_EQ(pty.Read(5, 2000), "after");
}

TEST_F(Writes, CloseDropsBytesStillWaitingToBeSent) {
  comm.Open();
  HoldLine();
  EXPECT_EQ(comm.WriteBuf("never sent", 10), 10);
  PumpFor(50);
  comm.Close();
  ReleaseLine();
  EXPECT_EQ(pty.Read(10, 300), "");
}

TEST_F(Writes, DirectWriteReturnsWhatWentOutWithinTheTimeout) {
  comm.SetDirectWrite(true);
  comm.Buffers().SetWriteTimeout(100);
  comm.Open();
  EXPECT_EQ(comm.WriteBuf("direct", 6), 6);
  EXPECT_EQ(pty.Read(6, 2000), "direct");
  HoldLine();
  const uint32_t start = Platform::GetTickCount();
  EXPECT_EQ(comm.WriteBuf("held", 4), 0);  // timed out, nothing raised
  EXPECT_GE(MillisecondsSince(start), 95u);
  ReleaseLine();
  EXPECT_EQ(pty.Read(4, 300), "") << "an abandoned write must not go out later";
}

TEST(ClosedPort, OperationsDoNothingAndRaiseNothing) {
  TVaComm comm;
  char buffer[4] = {};
  EXPECT_EQ(comm.WriteBuf("abc", 3), 0);
  EXPECT_EQ(comm.ReadBuf(buffer, 4), 0);
  EXPECT_EQ(comm.InQueCount(), 0);
  comm.PurgeRead();
  comm.Purge(PURGE_TXCLEAR);
  TVaComStat stat;
  stat.InQue = 7;
  comm.GetComStat(stat);
  EXPECT_EQ(stat.InQue, 0u);
  comm.Close();
}

TEST_F(Writes, NonsenseCountsAreRefusedQuietly) {
  comm.Open();
  char buffer[4] = {};
  EXPECT_EQ(comm.WriteBuf("abc", -5), 0);
  EXPECT_EQ(comm.WriteBuf(nullptr, 3), 0);
  EXPECT_EQ(comm.ReadBuf(buffer, -1), 0);
  EXPECT_EQ(comm.ReadBuf(nullptr, 4), 0);
  EXPECT_EQ(pty.Read(1, 100), "");
}
