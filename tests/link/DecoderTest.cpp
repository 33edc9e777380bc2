#include "LinkTestSupport.h"

namespace {

class DecoderTest : public LinkTest {
protected:
  // The reply the PC sends to a data block of the given type.
  int ReplyTo(int type) {
    port.TakeWritten();
    Receive(DataBlock(type, 0));
    const Bytes reply = port.TakeWritten();
    if (reply.empty()) return 0;
    EXPECT_EQ(reply.size(), 6u);
    EXPECT_EQ(reply, Request(reply[3]));
    return reply[3];
  }
};

TEST_F(DecoderTest, EveryDataBlockIsStoredBigEndian) {
  const int types[] = {2, 3, 4, 5, 6, 7, 8, 9, 10, 14, 15, 16, 17, 18, 19};
  for (int type : types) {
    Receive(DataBlock(type, static_cast<uint16_t>(type * 1000 + 0x0102)));
    const uint16_t* table = BlockTable(type);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table[0], type * 1000 + 0x0102) << type;
    EXPECT_EQ(table[99], type * 1000 + 0x0102 + 99) << type;
  }
  EXPECT_EQ(Block14[0], 14 * 1000 + 0x0102);
  EXPECT_EQ(Block19[99], 19 * 1000 + 0x0102 + 99);
}

TEST_F(DecoderTest, RepliesForDefaultControllerType) {
  ControllerType = 20;
  const std::pair<int, int> expected[] = {{2, 2},   {3, 3},  {4, 4},   {5, 5},   {6, 6},   {7, 7},   {8, 8},  {9, 9},
                                          {10, 10}, {14, 2}, {15, 10}, {16, 10}, {17, 18}, {18, 20}, {19, 20}};
  for (auto [type, reply] : expected) EXPECT_EQ(ReplyTo(type), reply) << "type " << type;
}

TEST_F(DecoderTest, ControllerTypeVariants) {
  const struct {
    int controllerType, type, reply;
  } cases[] = {
      {14, 2, 14},   {20, 2, 2},    {21, 2, 2},    {22, 2, 14},   {23, 10, 10},
      {24, 10, 15},  {24, 15, 10},  {249, 15, 10}, {250, 15, 17}, {250, 17, 18},
      {250, 18, 20}, {255, 15, 17}, {255, 17, 18}, {255, 18, 19}, {254, 18, 20},
  };
  for (const auto& c : cases) {
    ControllerType = c.controllerType;
    EXPECT_EQ(ReplyTo(c.type), c.reply) << "controller " << c.controllerType << " type " << c.type;
  }
}

TEST_F(DecoderTest, TypeOneSetsControllerTypeAndVersion) {
  Receive(Response(1, {22, 1, 2, 3}));
  EXPECT_EQ(ControllerType, 22);
  EXPECT_EQ(ControllerVersion[0], 1);
  EXPECT_EQ(ControllerVersion[2], 3);
  EXPECT_EQ(port.TakeWritten(), Request(1));
}

TEST_F(DecoderTest, EndAndConnectFramesGetNoReply) {
  NoAnswerCount = 5;
  Receive(Response(11, {}));
  EXPECT_EQ(NoAnswerCount, 0);
  Receive(Response(20, {7}));
  EXPECT_EQ(ConnectPending, 7);
  Receive(Response(20, {0}));
  EXPECT_EQ(ConnectPending, 0);
  EXPECT_TRUE(port.Written().empty());
}

TEST_F(DecoderTest, UnknownTypesAreIgnored) {
  for (int type : {0, 12, 13, 21, 200, 255}) {
    Receive(Response(type, {1, 2, 3, 4}));
  }
  EXPECT_TRUE(port.Written().empty());
}

TEST_F(DecoderTest, BadChecksumResendsTheIdenticalFrame) {
  SendRequest(3);
  const Bytes sent = port.TakeWritten();
  Bytes bad = DataBlock(3, 77);
  bad[100] ^= 0x40;
  Receive(bad);
  EXPECT_EQ(port.TakeWritten(), sent);
  EXPECT_EQ(Block3[0], 0);  // nothing stored
  // A command in TxFrame is what gets repeated.
  PlantSizeSetting = 1234;
  BuildCommand(SlotSetPlantSize);
  const Bytes command = port.TakeWritten();
  Receive(bad);
  EXPECT_EQ(port.TakeWritten(), command);
}

TEST_F(DecoderTest, LengthThatDoesNotFitItsTypeIsNeverStored) {
  // Stale bytes in RxFrame from an earlier full block must not be stored.
  Receive(DataBlock(5, 900));
  ASSERT_EQ(Block5[0], 900);
  port.TakeWritten();
  SendRequest(5);
  const Bytes lastRequest = port.TakeWritten();

  Receive(Response(5, {0x00, 0x01}));  // a data block of 7 bytes
  Receive(Response(1, {30}));          // type 1 shorter than 9
  Receive(Response(20, {}));           // type 20 shorter than 6
  Bytes tiny = {0xFF, 0xFA, 4, 0x00};  // a length below 5
  tiny[3] = FrameFormat::Checksum(tiny.data(), 4);
  Receive(tiny);
  EXPECT_EQ(Block5[0], 900);
  EXPECT_EQ(Block5[1], 901);
  EXPECT_EQ(ControllerType, 0);
  EXPECT_EQ(ConnectPending, 0xFF);
  const Bytes written = port.TakeWritten();
  ASSERT_EQ(written.size(), 4 * lastRequest.size());
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(Bytes(written.begin() + 6 * i, written.begin() + 6 * (i + 1)), lastRequest);
}

TEST_F(DecoderTest, CountersTellBlocksResendsAndBadChecksumsApart) {
  Receive(DataBlock(3, 1));
  Receive(DataBlock(4, 2));
  Bytes bad = DataBlock(5, 3);
  bad[50] ^= 0x01;
  Receive(bad);
  Receive(Response(5, {0x00, 0x01}));  // good checksum, length wrong for its type
  Receive(Response(11, {}));           // end of exchange: a frame, not a block
  EXPECT_EQ(LinkCounts.Frames, 5u);
  EXPECT_EQ(LinkCounts.BlocksStored, 2u);
  EXPECT_EQ(LinkCounts.FramesAskedAgain, 2u);
  EXPECT_EQ(LinkCounts.BadChecksums, 1u);
  InitLink();
  EXPECT_EQ(LinkCounts.Frames, 0u);
  EXPECT_EQ(LinkCounts.FramesAskedAgain, 0u);
}

}  // namespace
