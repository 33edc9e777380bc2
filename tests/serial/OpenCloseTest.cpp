// Opening and closing ports, on Linux and under wine.
#include <gtest/gtest.h>

#include "SerialTestSupport.h"
#include "serial/internal/Platform.h"

namespace {

const char* const WhileOpen = "Can't perform this operation while port is open";

}  // namespace

TEST(OpenClose, OpensClosesAndReopensAPseudoTerminal) {
  PseudoTerminal pty;
  TVaComm comm;
  comm.SetDeviceName(pty.SlavePath());
  comm.Open();
  ASSERT_TRUE(comm.Active());
  EXPECT_EQ(comm.OpenPath(), pty.SlavePath());
  EXPECT_EQ(comm.WriteBuf("ping", 4), 4);
  EXPECT_EQ(pty.Read(4, 2000), "ping");

  const uint32_t start = Platform::GetTickCount();
  comm.Close();
  EXPECT_GE(MillisecondsSince(start), 280u) << "Close pauses (the tick count may step by 16 ms)";
  EXPECT_LT(MillisecondsSince(start), 1000u) << "Close ends the threads' waits at once";
  EXPECT_FALSE(comm.Active());

  const uint32_t again = Platform::GetTickCount();
  comm.Close();  // already closed: nothing happens, no pause
  EXPECT_LT(MillisecondsSince(again), 100u);

  comm.Open();
  pty.Write("pong");
  char buffer[8] = {};
  ASSERT_TRUE(PumpUntil([&] { return comm.InQueCount() == 4; }, 2000));
  EXPECT_EQ(comm.ReadBuf(buffer, sizeof buffer), 4);
  EXPECT_EQ(std::string(buffer, 4), "pong");
}

TEST(OpenClose, OpeningAnOpenPortRaisesAndLeavesItWorking) {
  PseudoTerminal pty;
  TVaComm comm;
  comm.SetDeviceName(pty.SlavePath());
  comm.Open();
  EXPECT_EQ(OpenError(comm), WhileOpen);
  EXPECT_EQ(CommErrorOf([&] { comm.Open(); })->Kind(), TVaCommErrorKind::PortOpen);
  EXPECT_TRUE(comm.Active());
  EXPECT_EQ(comm.WriteBuf("x", 1), 1);
  EXPECT_EQ(pty.Read(1, 2000), "x");
}

TEST(OpenClose, OpenPortRefusesSettingsThatNeedAClosedPort) {
  PseudoTerminal pty;
  TVaComm comm;
  comm.SetDeviceName(pty.SlavePath());
  comm.Open();
  const auto raises = [](const std::function<void()>& change) {
    const std::optional<EVaCommError> error = CommErrorOf(change);
    return error && error->Kind() == TVaCommErrorKind::PortOpen && std::string(error->what()) == WhileOpen;
  };
  EXPECT_TRUE(raises([&] { comm.SetPortNum(3); }));
  EXPECT_TRUE(raises([&] { comm.SetDeviceName("COM%d"); }));
  EXPECT_TRUE(raises([&] { comm.SetMonitorEvents({ceRxChar}); }));
  EXPECT_TRUE(raises([&] { comm.SetDirectWrite(true); }));
  EXPECT_TRUE(raises([&] { comm.SetUpdateDCB(false); }));
  EXPECT_TRUE(raises([&] { comm.SetBuffers(TVaBuffers()); }));
  EXPECT_TRUE(raises([&] { comm.Buffers().SetReadSize(100); }));
  EXPECT_TRUE(raises([&] { comm.Buffers().SetXoffLimit(10); }));
  // A refused change leaves the property as the port uses it.
  EXPECT_EQ(comm.PortNum(), 0);
  EXPECT_EQ(comm.DeviceName(), pty.SlavePath());
  EXPECT_EQ(comm.Buffers().ReadSize(), 4096);
  EXPECT_EQ(comm.Buffers().XoffLimit(), 1024);
  // Time-outs are read by each call and may change while open.
  comm.Buffers().SetReadTimeout(50);
  EXPECT_EQ(comm.Buffers().ReadTimeout(), 50);

  comm.Close();
  comm.Buffers().SetReadSize(100);
  comm.SetPortNum(3);
  EXPECT_EQ(comm.Buffers().ReadSize(), 100);
  EXPECT_EQ(comm.PortNum(), 3);
}

TEST(OpenClose, ApplicationPortOpensThroughItsComNumberAndIsBinaryClean) {
  PseudoTerminal pty;
  PortsFolder ports;
  const std::string link = ports.Link(3, pty);
  TVaComm comm;
  ConfigureLikeApplication(comm);
  comm.SetPortNum(3);
  comm.Open();
  ASSERT_TRUE(comm.Active());
  EXPECT_EQ(comm.OpenPath(), link);
  EXPECT_EQ(comm.EventMask(), 0x0401u);

  const std::string bytes("\x00\x0d\x0a\x03\x7f\xff\x11\x13", 8);
  EXPECT_EQ(comm.WriteBuf(bytes.data(), int(bytes.size())), int(bytes.size()));
  EXPECT_EQ(pty.Read(bytes.size(), 2000), bytes);
  pty.Write(bytes);
  ASSERT_TRUE(PumpUntil([&] { return comm.InQueCount() == int(bytes.size()); }, 2000));
  char back[8];
  EXPECT_EQ(comm.ReadBuf(back, 8), 8);
  EXPECT_EQ(std::string(back, 8), bytes);
}

TEST(OpenClose, VersionIsFixed) {
  TVaComm comm;
  EXPECT_EQ(comm.Version(), "1.3.8.0");
  comm.SetVersion("2.0");
  EXPECT_EQ(comm.Version(), "1.3.8.0");
}
