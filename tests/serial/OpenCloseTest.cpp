// Opening and closing ports, device paths and the errors of a failed open.
#include <gtest/gtest.h>
#include <termios.h>

#include "SerialTestSupport.h"
#include "serial/Platform.h"

namespace {

const char* const WhileOpen = "Can't perform this operation while port is open";

std::string OpenError(TVaComm& comm) {
  try {
    comm.Open();
  } catch (const EVaCommError& error) {
    return error.what();
  }
  return "(no error)";
}

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
  EXPECT_GE(MillisecondsSince(start), 290u) << "Close pauses";
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
  EXPECT_TRUE(comm.Active());
  EXPECT_EQ(comm.WriteBuf("x", 1), 1);
  EXPECT_EQ(pty.Read(1, 2000), "x");
}

TEST(OpenClose, MissingDeviceNamesTheResolvedPath) {
  TVaComm comm;
  comm.SetDeviceName("/dev/pczn-missing-%d");
  comm.SetPortNum(4);
  EXPECT_EQ(OpenError(comm), "Specified device not found (/dev/pczn-missing-4).");
  EXPECT_FALSE(comm.Active());

  PortsFolder ports;
  const std::string link = ports.Link(7, "/dev/pczn-missing-7");  // a link to nowhere
  TVaComm viaLink;
  viaLink.SetDeviceName("\\\\.\\COM%d");
  viaLink.SetPortNum(7);
  EXPECT_EQ(OpenError(viaLink), "Specified device not found (" + link + ").");
}

TEST(OpenClose, DeviceHeldElsewhereOrNotATerminalRaisesCantOpen) {
  PseudoTerminal pty;
  TVaComm first;
  first.SetDeviceName(pty.SlavePath());
  first.Open();
  TVaComm second;
  second.SetDeviceName(pty.SlavePath());
  EXPECT_EQ(OpenError(second),
            "Can't open specified device " + pty.SlavePath() + " (Error 16, Device or resource busy)");
  EXPECT_FALSE(second.Active());
  first.Close();
  second.Open();  // free again once the first port has let go
  EXPECT_TRUE(second.Active());

  TVaComm notATty;
  notATty.SetDeviceName("/dev/null");
  EXPECT_EQ(OpenError(notATty), "Can't open specified device /dev/null (Error 25, Inappropriate ioctl for device)");
}

TEST(OpenClose, OpenPortRefusesSettingsThatNeedAClosedPort) {
  PseudoTerminal pty;
  TVaComm comm;
  comm.SetDeviceName(pty.SlavePath());
  comm.Open();
  const auto raises = [](const std::function<void()>& change) {
    try {
      change();
    } catch (const EVaCommError& error) {
      return std::string(error.what()) == WhileOpen;
    }
    return false;
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

TEST(OpenClose, ApplicationPortOpensThroughItsComLinkAt2400EightNoneOne) {
  PseudoTerminal pty;
  PortsFolder ports;
  const std::string link = ports.Link(3, pty.SlavePath());
  TVaComm comm;
  ConfigureLikeApplication(comm);
  comm.SetPortNum(3);
  comm.Open();
  ASSERT_TRUE(comm.Active());
  EXPECT_EQ(comm.OpenPath(), link);
  EXPECT_EQ(comm.EventMask(), 0x0401u);

  termios t{};
  ASSERT_EQ(tcgetattr(pty.Slave(), &t), 0);
  EXPECT_EQ(cfgetospeed(&t), speed_t(B2400));
  EXPECT_EQ(cfgetispeed(&t), speed_t(B2400));
  EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_TRUE(t.c_cflag & CREAD);
  EXPECT_TRUE(t.c_cflag & CLOCAL);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | INPCK | ICRNL | ISTRIP), 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);

  // The line is binary clean in both directions.
  const std::string bytes("\x00\x0d\x0a\x03\x7f\xff\x11\x13", 8);
  EXPECT_EQ(comm.WriteBuf(bytes.data(), int(bytes.size())), int(bytes.size()));
  EXPECT_EQ(pty.Read(bytes.size(), 2000), bytes);
  pty.Write(bytes);
  ASSERT_TRUE(PumpUntil([&] { return comm.InQueCount() == int(bytes.size()); }, 2000));
  char back[8];
  EXPECT_EQ(comm.ReadBuf(back, 8), 8);
  EXPECT_EQ(std::string(back, 8), bytes);
}

TEST(OpenClose, DevicePathsResolveAsDocumented) {
  PortsFolder ports;  // empty: the fixed mapping applies
  EXPECT_EQ(Platform::ResolveDevicePath("COM1"), "/dev/ttyS0");
  EXPECT_EQ(Platform::ResolveDevicePath("\\\\.\\COM4"), "/dev/ttyS3");
  EXPECT_EQ(Platform::ResolveDevicePath("\\\\.\\\\\\.\\COM5"), "/dev/ttyUSB0");
  EXPECT_EQ(Platform::ResolveDevicePath("COM8"), "/dev/ttyUSB3");
  EXPECT_EQ(Platform::ResolveDevicePath("com9"), "/dev/ttyACM0");
  EXPECT_EQ(Platform::ResolveDevicePath("COM11"), "/dev/ttyACM2");
  EXPECT_EQ(Platform::ResolveDevicePath("COM0"), "COM0");
  EXPECT_EQ(Platform::ResolveDevicePath("COM12"), "COM12");
  EXPECT_EQ(Platform::ResolveDevicePath("\\\\.\\/dev/ttyX"), "/dev/ttyX");
  const std::string link = ports.Link(2, "/dev/null");
  EXPECT_EQ(Platform::ResolveDevicePath("COM2"), link);

  // The device name is a format that a user may have typed: only its number placeholder counts.
  TVaComm comm;
  comm.SetPortNum(3);
  EXPECT_EQ(comm.GetDevicePath(), "COM3");
  comm.SetDeviceName("dev%s%x%n%%%d%d");
  EXPECT_EQ(comm.GetDevicePath(), "dev3%x%n%%d%d");
}

TEST(OpenClose, VersionIsFixed) {
  TVaComm comm;
  EXPECT_EQ(comm.Version(), "1.3.8.0");
  comm.SetVersion("2.0");
  EXPECT_EQ(comm.Version(), "1.3.8.0");
}
