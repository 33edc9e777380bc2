// Opening ports on Linux: device paths, the COM links, what reaches the tty,
// and the errors of a failed open.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <termios.h>

#include <cerrno>
#include <sstream>

#include "SerialTestSupport.h"
#include "serial/internal/Platform.h"
#include "tests/support/WithoutRoot.h"

namespace {

// The kind and system code of the error Open raises, as "Kind code".
std::string KindAndCode(TVaCommErrorKind kind, int code) {
  std::ostringstream text;
  PrintTo(kind, &text);
  text << " " << code;
  return text.str();
}

std::string OpenKind(TVaComm& comm) {
  const std::optional<EVaCommError> error = CommErrorOf([&] { comm.Open(); });
  return error ? KindAndCode(error->Kind(), error->SystemCode()) : "(no error)";
}

}  // namespace

TEST(OpenClose, MissingDeviceNamesTheResolvedPath) {
  TVaComm comm;
  comm.SetDeviceName("/dev/pczn-missing-%d");
  comm.SetPortNum(4);
  EXPECT_EQ(OpenError(comm), "Specified device not found (/dev/pczn-missing-4).");
  EXPECT_EQ(OpenKind(comm), KindAndCode(TVaCommErrorKind::NotFound, ENOENT));
  EXPECT_FALSE(comm.Active());

  PortsFolder ports;
  const std::string link = ports.Link(7, "/dev/pczn-missing-7");  // a link to nowhere
  TVaComm viaLink;
  viaLink.SetDeviceName("\\\\.\\COM%d");
  viaLink.SetPortNum(7);
  EXPECT_EQ(OpenError(viaLink), "Specified device not found (" + link + ").");
  EXPECT_EQ(OpenKind(viaLink), KindAndCode(TVaCommErrorKind::NotFound, ENOENT));
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
  EXPECT_EQ(OpenKind(second), KindAndCode(TVaCommErrorKind::Busy, EBUSY));
  EXPECT_FALSE(second.Active());
  first.Close();
  second.Open();  // free again once the first port has let go
  EXPECT_TRUE(second.Active());

  TVaComm notATty;
  notATty.SetDeviceName("/dev/null");
  EXPECT_EQ(OpenError(notATty), "Can't open specified device /dev/null (Error 25, Inappropriate ioctl for device)");
  EXPECT_EQ(OpenKind(notATty), KindAndCode(TVaCommErrorKind::InputOutput, ENOTTY));
}

TEST(OpenClose, ADeviceTheUserMayNotOpenRaisesNoPermission) {
  PseudoTerminal pty;
  ASSERT_EQ(chmod(pty.SlavePath().c_str(), 0), 0);  // neither nobody nor an owner without root's rights may
  const WithoutRootResult result = RunWithoutRoot([&] {
    TVaComm comm;
    comm.SetDeviceName(pty.SlavePath());
    return OpenError(comm) + "\n" + OpenKind(comm);
  });
  ASSERT_TRUE(result.Finished);
  EXPECT_EQ(result.Text, "Can't open specified device " + pty.SlavePath() + " (Error 13, Permission denied)\n" +
                             KindAndCode(TVaCommErrorKind::NoPermission, EACCES));
}

TEST(OpenClose, ApplicationPortIs2400EightNoneOneOnTheTty) {
  PseudoTerminal pty;
  TVaComm comm;
  ConfigureLikeApplication(comm);
  comm.SetDeviceName(pty.SlavePath());
  comm.Open();
  ASSERT_TRUE(comm.Active());

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
