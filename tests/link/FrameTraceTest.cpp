#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "LinkTestSupport.h"
#include "link/FrameTrace.h"
#include "tests/support/TempFolder.h"

namespace {

// The link on an in-memory port with a trace attached; the trace's lines split
// into their time stamp, kind and text.
class FrameTraceTest : public LinkTest {
protected:
  void TearDown() override {
    SetFrameTrace(nullptr);
    LinkTest::TearDown();
  }

  struct Line {
    double Seconds;
    std::string Kind;
    std::string Text;
  };

  std::vector<Line> Lines() const {
    static const std::regex form(R"(^(\d+\.\d{3}) (TX|RX|LINK) (.+)$)");
    std::vector<Line> lines;
    std::ifstream in(file);
    for (std::string text; std::getline(in, text);) {
      std::smatch parts;
      EXPECT_TRUE(std::regex_match(text, parts, form)) << "line \"" << text << "\"";
      if (!parts.empty()) lines.push_back({std::stod(parts[1]), parts[2], parts[3]});
    }
    return lines;
  }

  TempFolder folder{"pczn-trace"};
  std::string file = (folder / "frames.trace").string();
};

std::string Hex(const Bytes& bytes) { return FrameTrace::HexBytes(bytes.data(), int(bytes.size())); }

TEST_F(FrameTraceTest, HexBytesAreUpperCaseWithSingleBlanks) {
  EXPECT_EQ(Hex({0xFF, 0xF8, 0x06, 0x0A, 0x00}), "FF F8 06 0A 00");
  EXPECT_EQ(Hex({0x00}), "00");
  EXPECT_EQ(Hex({}), "");
}

TEST_F(FrameTraceTest, EverySentAndReceivedFrameInOrderWithItsDirection) {
  FrameTrace trace(file);
  SetFrameTrace(&trace);
  SendRequest(16);
  port.TakeWritten();
  const Bytes block = DataBlock(3, 500);
  // Junk before the frame and the frame split in two reads: one RX line, the frame only.
  Receive({0x00, 0x12});
  Receive(Bytes(block.begin(), block.begin() + 40));
  Receive(Bytes(block.begin() + 40, block.end()));
  const Bytes reply = port.TakeWritten();  // the decoder's answer to the block
  ASSERT_FALSE(reply.empty());
  TraceLinkState("port lost: /dev/null");

  const std::vector<Line> lines = Lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].Kind, "TX");
  EXPECT_EQ(lines[0].Text, Hex(Request(16)));
  EXPECT_EQ(lines[1].Kind, "RX");
  EXPECT_EQ(lines[1].Text, Hex(block));
  EXPECT_EQ(lines[2].Kind, "TX");
  EXPECT_EQ(lines[2].Text, Hex(reply));
  EXPECT_EQ(lines[3].Kind, "LINK");
  EXPECT_EQ(lines[3].Text, "port lost: /dev/null");
  for (size_t i = 1; i < lines.size(); ++i) EXPECT_LE(lines[i - 1].Seconds, lines[i].Seconds);
}

TEST_F(FrameTraceTest, FrameWithBadChecksumIsTracedAsReceived) {
  FrameTrace trace(file);
  SetFrameTrace(&trace);
  Bytes block = DataBlock(4, 7);
  block.back() ^= 0x01;
  Receive(block);
  const std::vector<Line> lines = Lines();
  ASSERT_GE(lines.size(), 1u);
  EXPECT_EQ(lines[0].Kind, "RX");
  EXPECT_EQ(lines[0].Text, Hex(block));
}

TEST_F(FrameTraceTest, DetachedTraceWritesNothingMore) {
  {
    FrameTrace trace(file);
    SetFrameTrace(&trace);
    SendRequest(2);
    SetFrameTrace(nullptr);
  }
  SendRequest(3);
  Receive(Response(20, {0}));
  TraceLinkState("not written");
  EXPECT_EQ(Lines().size(), 1u);
}

TEST_F(FrameTraceTest, FileThatCannotBeWrittenIsRefused) {
  EXPECT_THROW(FrameTrace((folder / "no-such-folder" / "t").string()), Exception);
}

}  // namespace
