// Line settings: what reaches the tty, when the device is touched, and what
// happens to a setting the device cannot take.
#include <gtest/gtest.h>
#include <termios.h>

#include <cerrno>

#include "SerialTestSupport.h"

namespace {

speed_t TtySpeed(int fd) {
  termios t{};
  tcgetattr(fd, &t);
  return cfgetospeed(&t);
}

void SetTtySpeed(int fd, speed_t speed) {
  termios t{};
  tcgetattr(fd, &t);
  cfsetspeed(&t, speed);
  tcsetattr(fd, TCSANOW, &t);
}

tcflag_t TtyControlFlags(int fd) {
  termios t{};
  tcgetattr(fd, &t);
  return t.c_cflag;
}

std::string ErrorOf(const std::function<void()>& change) {
  try {
    change();
  } catch (const std::exception& error) {
    return error.what();
  }
  return "(no error)";
}

class Config : public ::testing::Test {
protected:
  void SetUp() override {
    comm.SetDeviceName(pty.SlavePath());
    comm.SetBaudrate(br2400);
  }
  PseudoTerminal pty;
  TVaComm comm;
};

}  // namespace

TEST_F(Config, SettingsReachTheDeviceOnlyWhenTheyChange) {
  comm.Open();
  ASSERT_EQ(TtySpeed(pty.Slave()), speed_t(B2400));
  // Someone else changes the tty behind the port's back: same values do not rewrite it.
  SetTtySpeed(pty.Slave(), B9600);
  comm.SetBaudrate(br2400);
  comm.SetParity(paNone);
  comm.SetDatabits(db8);
  comm.SetStopbits(sb1);
  comm.SetOptions({});
  comm.SetUserBaudrate(0);
  EXPECT_EQ(TtySpeed(pty.Slave()), speed_t(B9600));
  // Assigning a whole configuration object always writes, even when nothing differs.
  comm.SetEventChars(TVaEventChars(comm.EventChars()));
  EXPECT_EQ(TtySpeed(pty.Slave()), speed_t(B2400));
  SetTtySpeed(pty.Slave(), B9600);
  comm.SetFlowControl(TVaFlowControl(comm.FlowControl()));
  EXPECT_EQ(TtySpeed(pty.Slave()), speed_t(B2400));
  // A real change is applied at once.
  comm.SetBaudrate(br4800);
  EXPECT_EQ(TtySpeed(pty.Slave()), speed_t(B4800));
}

TEST_F(Config, WithoutUpdateDcbTheDeviceKeepsItsSettings) {
  comm.SetUpdateDCB(false);
  SetTtySpeed(pty.Slave(), B9600);
  comm.Open();
  EXPECT_EQ(TtySpeed(pty.Slave()), speed_t(B9600));
  comm.SetBaudrate(br19200);
  comm.SetParity(paEven);
  comm.FlowControl().SetXonXoffOut(true);
  EXPECT_EQ(TtySpeed(pty.Slave()), speed_t(B9600));
  EXPECT_EQ(TtyControlFlags(pty.Slave()) & PARENB, 0u);
}

TEST_F(Config, FreeRatesStopBitsAndFlowControlReachTheTty) {
  comm.Open();
  comm.SetUserBaudrate(14400);
  EXPECT_EQ(comm.Baudrate(), brUser);
  EXPECT_TRUE(TtyUsesFreeRate(pty.Slave()));
  EXPECT_EQ(TtyOutputSpeed(pty.Slave()), 14400u);
  comm.SetBaudrate(br256000);  // not a standard tty rate either
  EXPECT_EQ(comm.UserBaudrate(), 0);
  EXPECT_EQ(TtyOutputSpeed(pty.Slave()), 256000u);
  comm.SetBaudrate(br9600);
  EXPECT_EQ(TtySpeed(pty.Slave()), speed_t(B9600));
  EXPECT_FALSE(TtyUsesFreeRate(pty.Slave()));

  comm.SetStopbits(sb2);
  EXPECT_TRUE(TtyControlFlags(pty.Slave()) & CSTOPB);

  comm.EventChars().SetXonChar('Q');
  comm.EventChars().SetXoffChar('S');
  comm.FlowControl().SetXonXoffOut(true);
  comm.FlowControl().SetXonXoffIn(true);
  comm.FlowControl().SetOutCtsFlow(true);
  termios t{};
  tcgetattr(pty.Slave(), &t);
  EXPECT_TRUE(t.c_iflag & IXON);
  EXPECT_TRUE(t.c_iflag & IXOFF);
  EXPECT_TRUE(t.c_cflag & CRTSCTS);
  EXPECT_EQ(t.c_cc[VSTART], 'Q');
  EXPECT_EQ(t.c_cc[VSTOP], 'S');
}

TEST_F(Config, ASettingTheDeviceCannotTakeRaisesAndIsNotKept) {
  comm.Open();
  const std::string refused = "Error writing dcb (22), Invalid argument";
  // A pseudo-terminal always carries eight data bits.
  EXPECT_EQ(ErrorOf([&] { comm.SetDatabits(db5); }), refused);
  EXPECT_EQ(comm.Databits(), db8);
  const std::optional<EVaCommError> error = CommErrorOf([&] { comm.SetDatabits(db4); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Kind(), TVaCommErrorKind::SettingsRefused);
  EXPECT_EQ(error->SystemCode(), EINVAL);
  const auto refusedByDevice = [&](const std::function<void()>& change) {
    const std::optional<EVaCommError> e = CommErrorOf(change);
    return e && e->Kind() == TVaCommErrorKind::SettingsRefused;
  };
  // ... and no parity bit: the kernel clears it, so every parity is refused here.
  for (TVaParity parity : {paOdd, paEven, paMark, paSpace}) {
    EXPECT_TRUE(refusedByDevice([&] { comm.SetParity(parity); })) << int(parity);
  }
  EXPECT_EQ(comm.Parity(), paNone);
  EXPECT_TRUE(refusedByDevice([&] { comm.SetStopbits(sb15); }));  // 1.5 only with five bits
  EXPECT_EQ(comm.Stopbits(), sb1);
  EXPECT_TRUE(refusedByDevice([&] { comm.SetBaudrate(brUser); }));  // a rate of 0 would hang up
  EXPECT_EQ(comm.Baudrate(), br2400);
  EXPECT_EQ(TtySpeed(pty.Slave()), speed_t(B2400));
  EXPECT_EQ(TtyControlFlags(pty.Slave()) & CSIZE, tcflag_t(CS8));

  // Closed, the same settings are only stored; the next Open reports them.
  comm.Close();
  comm.SetDatabits(db7);
  EXPECT_EQ(ErrorOf([&] { comm.Open(); }), refused);
  EXPECT_TRUE(refusedByDevice([&] { comm.Open(); }));
  EXPECT_FALSE(comm.Active());
}

TEST_F(Config, ASettingForADeviceThatWentAwayRaisesLost) {
  comm.Open();
  pty.CloseMaster();  // the terminal hangs up
  const std::optional<EVaCommError> error = CommErrorOf([&] { comm.SetBaudrate(br9600); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Kind(), TVaCommErrorKind::Lost) << error->what();
  EXPECT_EQ(comm.Baudrate(), br2400);
}

TEST(ConfigObjects, ChangeNotificationsFollowTheirRules) {
  int changes = 0;
  TVaEventChars chars;
  chars.OnChange = [&](TVaPersistent*) { ++changes; };
  chars.SetEventChar(0);  // unchanged, still notifies
  chars.SetEofChar(9);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(chars.EventChar(), 0);
  EXPECT_EQ(chars.EofChar(), 9);  // the two characters are independent

  TVaBuffers buffers;
  changes = 0;
  buffers.OnChange = [&](TVaPersistent*) { ++changes; };
  buffers.SetReadSize(4096);  // unchanged: no notice
  buffers.SetReadTimeout(5);  // plain field: no notice
  EXPECT_EQ(changes, 0);
  TVaBuffers other;
  other.SetReadSize(10);
  other.SetWriteSize(20);
  other.SetXonLimit(30);
  buffers.Assign(other);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(buffers.WriteSize(), 20);
  EXPECT_EQ(buffers.ReadTimeout(), 1000);  // copied from the source like the rest
  EXPECT_EQ(ErrorOf([&] { buffers.Assign(TVaEventChars()); }), "Cannot assign a TVaEventChars to a TVaBuffers");
  EXPECT_EQ(ErrorOf([&] { buffers.SetWriteSize(-1); }), "Invalid property value");
}
