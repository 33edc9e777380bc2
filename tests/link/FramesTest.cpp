#include "LinkTestSupport.h"

namespace {

using FramesTest = LinkTest;

TEST_F(FramesTest, SendFrameAddsChecksumAndWritesLengthBytes) {
  const Bytes body = {0xFE, 0x8F, 0x07, 0x02, 0x06, 0x00};
  std::copy(body.begin(), body.end(), TxFrame);
  TxFrame[6] = 0x55;  // stale byte where the checksum goes
  TxFrame[7] = 0x77;  // beyond the frame: must not be written
  SendFrame();
  EXPECT_EQ(port.TakeWritten(), (Bytes{0xFE, 0x8F, 0x07, 0x02, 0x06, 0x00, 0x9C}));
}

TEST_F(FramesTest, RequestAndConnectRequestBytes) {
  SendRequest(2);
  EXPECT_EQ(port.TakeWritten(), (Bytes{0xFF, 0xF8, 0x06, 0x02, 0x00, 0xFF}));
  SendRequest(16);
  EXPECT_EQ(port.TakeWritten(), Request(16));
  SendConnectRequest();
  EXPECT_EQ(port.TakeWritten(), ConnectRequestBytes);
}

TEST_F(FramesTest, VerifyRxChecksum) {
  const Bytes good = Response(11, {});
  std::copy(good.begin(), good.end(), RxFrame);
  VerifyRxChecksum();
  EXPECT_EQ(ChecksumOk, 1);
  RxFrame[4] ^= 1;
  VerifyRxChecksum();
  EXPECT_EQ(ChecksumOk, 0);
  RxFrame[2] = 0;  // a length that cannot hold a checksum
  VerifyRxChecksum();
  EXPECT_EQ(ChecksumOk, 0);
}

TEST_F(FramesTest, GatherSkipsLeadingJunk) {
  Bytes stream = {0x00, 0x12, 0x34};
  const Bytes frame = Response(20, {0});
  stream.insert(stream.end(), frame.begin(), frame.end());
  Receive(stream);
  EXPECT_EQ(ConnectPending, 0);
  EXPECT_EQ(RxIndex, 0);
  EXPECT_EQ(RxActivity, 3);
}

TEST_F(FramesTest, DoubleStartByteIsNotANewStart) {
  // FF FF: the second FF is stored at position 1 and dropped with the first, so
  // a frame that follows directly without its own FF is not recognised...
  Bytes stream = {0xFF, 0xFF, 0xFA, 6, 20, 0, 0x19};
  Receive(stream);
  EXPECT_EQ(ConnectPending, 0xFF);
  // ...while a complete frame after the pair is gathered from position 0.
  Bytes again = {0xFF, 0xFF};
  const Bytes frame = Response(20, {0});
  again.insert(again.end(), frame.begin(), frame.end());
  Receive(again);
  EXPECT_EQ(ConnectPending, 0);
}

TEST_F(FramesTest, FrameOfLengthFiveCompletesAfterItsFifthByte) {
  NoAnswerCount = 3;
  const Bytes end = Response(11, {});
  ASSERT_EQ(end.size(), 5u);
  Receive(Bytes(end.begin(), end.end() - 1));
  EXPECT_EQ(NoAnswerCount, 3);
  EXPECT_EQ(RxIndex, 4);
  Receive({end.back()});
  EXPECT_EQ(NoAnswerCount, 0);
  EXPECT_EQ(RxIndex, 0);
}

TEST_F(FramesTest, OverlongFrameIsDropped) {
  // Length byte 255 cannot complete within 252 positions: dropped at index 251.
  Bytes stream = {0xFF, 0xFA, 0xFF, 3};
  stream.resize(252, 0x01);
  Receive(stream);
  EXPECT_EQ(RxIndex, 0);
  EXPECT_TRUE(port.Written().empty());
  // The next frame is gathered normally.
  Receive(DataBlock(3, 500));
  EXPECT_EQ(Block3[0], 500);
}

TEST_F(FramesTest, LongestFrameThatFitsIsDecoded) {
  // L = 252 completes exactly at the last usable position; type 12 is ignored.
  Bytes data(247, 0x00);
  Receive(Response(12, data));
  EXPECT_EQ(RxIndex, 0);
  EXPECT_TRUE(port.Written().empty());
}

// The port hears what the frame still needs, so that it can wake the reader
// once for the rest of a frame; the reader never takes bytes of the next frame.
TEST_F(FramesTest, ThePortIsToldHowManyBytesTheFrameStillNeeds) {
  const Bytes block = DataBlock(4, 1000);
  Bytes two = block;
  two.insert(two.end(), block.begin(), block.begin() + 2);
  Receive(Bytes(block.begin(), block.begin() + 2));
  EXPECT_EQ(port.ExpectedBytes(), 1) << "the header's length byte";
  Receive(Bytes(block.begin() + 2, block.begin() + 10));
  EXPECT_EQ(port.ExpectedBytes(), int(block.size()) - 10);
  Receive(Bytes(block.begin() + 10, block.end()));
  EXPECT_EQ(port.ExpectedBytes(), 3) << "a whole frame taken: the next header";
  Receive(two);
  EXPECT_EQ(port.Pending(), 0u);
  EXPECT_EQ(RxIndex, 2);
  EXPECT_EQ(port.ExpectedBytes(), 1);
  PollingTick();
  PollingTick();  // a tick without bytes drops the partial frame
  EXPECT_EQ(port.ExpectedBytes(), 3);
}

TEST_F(FramesTest, SilenceBetweenTicksDropsPartialFrame) {
  const Bytes block = DataBlock(4, 1000);
  Receive(Bytes(block.begin(), block.begin() + 50));
  EXPECT_EQ(RxIndex, 50);
  PollingTick();  // bytes arrived since the last tick: only clears the activity
  EXPECT_EQ(RxIndex, 50);
  EXPECT_EQ(port.PurgeCount(), 1);  // InitLink's purge
  PollingTick();                    // a whole tick without bytes: the partial frame goes
  EXPECT_EQ(RxIndex, 0);
  EXPECT_EQ(RxFrame[0], 0);
  EXPECT_EQ(port.PurgeCount(), 2);
  // The rest of the old frame is now junk and the next frame is still read.
  port.TakeWritten();
  Receive(Bytes(block.begin() + 50, block.end() - 1));
  Receive(block);
  EXPECT_EQ(Block4[99], 1099);
}

// A port whose writes fail, as a line that does not drain does.
class RefusingPort : public MemoryPort {
public:
  int WriteBuf(const void*, int) override { throw Exception("Output buffer is full. Please check comm status."); }
};

TEST_F(FramesTest, AReplyThatCannotBeWrittenStillEndsTheFrame) {
  RefusingPort refusing;
  SetLinkPort(&refusing);
  refusing.Feed(DataBlock(4, 1000));
  EXPECT_THROW(GatherRxBytes(), Exception);
  EXPECT_EQ(Block4[0], 1000);
  EXPECT_EQ(RxIndex, 0) << "the next byte would land behind the old frame";
  // The next frame is gathered from its first byte.
  SetLinkPort(&port);
  Receive(DataBlock(5, 2000));
  EXPECT_EQ(Block5[0], 2000);
}

TEST_F(FramesTest, NoPortMeansNoReadAndNoWrite) {
  SetLinkPort(nullptr);
  SendRequest(16);
  GatherRxBytes();
  PollingTick();
  EXPECT_EQ(TxFrame[3], FrameFormat::ConnectCode);  // built, though nowhere to go
  EXPECT_TRUE(port.Written().empty());
}

}  // namespace
