// The control block on termios2, so that any baud rate can be set (BOTHER).
// This file must not see <termios.h>, whose struct termios differs from the
// kernel's.
#include "PosixTermios.h"

#include <asm/termbits.h>
#include <linux/serial.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "serial/internal/CommConstants.h"

namespace Platform::PosixTermios {

using namespace CommConst;

namespace {

struct StandardRate {
  uint32_t Rate;
  tcflag_t Code;
};

constexpr StandardRate StandardRates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

constexpr tcflag_t LineBits = CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS;

tcflag_t RateCode(uint32_t rate) {
  for (const StandardRate& standard : StandardRates) {
    if (standard.Rate == rate) return standard.Code;
  }
  return BOTHER;
}

uint32_t CodeRate(tcflag_t code) {
  for (const StandardRate& standard : StandardRates) {
    if (standard.Code == code) return standard.Rate;
  }
  return 0;
}

bool RtsHandshake(const CommDcb& dcb) {
  return (dcb.Flags & DCB_OutxCtsFlow) || (dcb.Flags & DCB_RtsControlMask) == DCB_RtsControlHandshake;
}

// Settings termios cannot express. DSR flow and DTR handshake only matter
// on a device that has those lines.
int Validate(const CommDcb& dcb, bool hasModemLines) {
  if (dcb.BaudRate == 0 || dcb.BaudRate > 0x7FFFFFFFu) return EINVAL;
  if (dcb.ByteSize < 5 || dcb.ByteSize > 8) return EINVAL;
  if (dcb.Parity > SPACEPARITY) return EINVAL;
  if (dcb.StopBits == ONE5STOPBITS && dcb.ByteSize != 5) return EINVAL;
  if (dcb.StopBits == TWOSTOPBITS && dcb.ByteSize == 5) return EINVAL;
  if (dcb.StopBits > TWOSTOPBITS) return EINVAL;
  // Bytes with errors arrive as NUL; another replacement character is not available.
  if ((dcb.Flags & DCB_ErrorChar) && dcb.ErrorChar != 0) return EINVAL;
  if (hasModemLines) {
    if (dcb.Flags & DCB_OutxDsrFlow) return EINVAL;
    if ((dcb.Flags & DCB_DtrControlMask) == DCB_DtrControlHandshake) return EINVAL;
  }
  return 0;
}

void SetRaw(termios2& t) {
  t.c_iflag &= ~(IGNBRK | BRKINT | IGNPAR | PARMRK | INPCK | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC | IXON | IXANY |
                 IXOFF | IMAXBEL | IUTF8);
  t.c_oflag &= ~OPOST;
  t.c_lflag &=
      ~(ISIG | ICANON | ECHO | ECHOE | ECHOK | ECHONL | ECHOCTL | ECHOPRT | ECHOKE | IEXTEN | NOFLSH | TOSTOP | XCASE);
  // One byte satisfies a read, so that an empty non-blocking read reports
  // EAGAIN and a read of 0 bytes can only mean hang-up.
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
}

void SetLine(termios2& t, const CommDcb& dcb) {
  static constexpr tcflag_t Sizes[] = {CS5, CS6, CS7, CS8};
  t.c_cflag &= ~(CBAUD | CIBAUD | LineBits);
  t.c_cflag |= CREAD | CLOCAL | Sizes[dcb.ByteSize - 5];
  const tcflag_t code = RateCode(dcb.BaudRate);
  t.c_cflag |= code;
  t.c_ispeed = t.c_ospeed = dcb.BaudRate;
  if (dcb.StopBits != ONESTOPBIT) t.c_cflag |= CSTOPB;  // with 5 data bits: 1.5
  switch (dcb.Parity) {
    case ODDPARITY: t.c_cflag |= PARENB | PARODD; break;
    case EVENPARITY: t.c_cflag |= PARENB; break;
    case MARKPARITY: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case SPACEPARITY: t.c_cflag |= PARENB | CMSPAR; break;
    default: break;
  }
  if (RtsHandshake(dcb)) t.c_cflag |= CRTSCTS;
  if (dcb.Flags & DCB_Parity) t.c_iflag |= INPCK;
  if (dcb.Flags & DCB_OutX) t.c_iflag |= IXON;
  if (dcb.Flags & DCB_InX) t.c_iflag |= IXOFF;
  t.c_cc[VSTART] = cc_t(dcb.XonChar);
  t.c_cc[VSTOP] = cc_t(dcb.XoffChar);
}

// A driver that cannot take a setting quietly keeps another one; read back and compare.
bool DeviceTookLine(const termios2& wanted, const termios2& got) {
  if ((wanted.c_cflag & LineBits) != (got.c_cflag & LineBits)) return false;
  if ((wanted.c_cflag & CBAUD) != BOTHER) return (got.c_cflag & CBAUD) == (wanted.c_cflag & CBAUD);
  const double rate = wanted.c_ospeed;
  return std::abs(double(got.c_ospeed) - rate) <= rate * 0.03;
}

// A driver without control of this line answers ENOTTY or EINVAL: nothing to set then.
int SetModemLine(int fd, int line, bool on) {
  if (ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line) == 0 || errno == ENOTTY || errno == EINVAL) return 0;
  return errno;
}

// RTS raised by the driver while sending: the RS-485 mode of the tty.
int SetRtsToggle(int fd, bool on) {
  serial_rs485 rs485{};
  if (ioctl(fd, TIOCGRS485, &rs485) != 0) return on ? EINVAL : 0;
  const bool enabled = rs485.flags & SER_RS485_ENABLED;
  if (enabled == on) return 0;
  if (on) {
    rs485.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    rs485.flags &= ~SER_RS485_RTS_AFTER_SEND;
  } else {
    rs485.flags &= ~SER_RS485_ENABLED;
  }
  return ioctl(fd, TIOCSRS485, &rs485) == 0 ? 0 : (on ? EINVAL : errno);
}

int ApplyModemLines(int fd, const CommDcb& dcb) {
  const uint32_t dtr = dcb.Flags & DCB_DtrControlMask;
  const uint32_t rts = dcb.Flags & DCB_RtsControlMask;
  if (int error = SetModemLine(fd, TIOCM_DTR, dtr == DCB_DtrControlEnable)) return error;
  if (int error = SetRtsToggle(fd, rts == DCB_RtsControlToggle)) return error;
  if (rts == 0 || rts == DCB_RtsControlEnable) {
    if (int error = SetModemLine(fd, TIOCM_RTS, rts == DCB_RtsControlEnable)) return error;
  }
  return 0;
}

// termios2 (TCGETS2, TCSETS2) is in every kernel since 2.6.20, but an
// emulator may lack it: qemu-user before 8.1 (Debian 12's, which runs the
// arm64 and armhf builds' tests) answers ENOSYS. The classic ioctls carry the
// same fields without the two speeds, so every rate but a free one (BOTHER)
// is set through them then; the speeds read back follow from the rate code.
int ReadTermios(int fd, termios2& t) {
  if (ioctl(fd, TCGETS2, &t) == 0) return 0;
  if (errno != ENOSYS) return errno;
  termios classic{};
  if (ioctl(fd, TCGETS, &classic) != 0) return errno;
  static_assert(sizeof classic <= sizeof t, "termios2 extends the kernel's termios");
  std::memcpy(&t, &classic, sizeof classic);
  t.c_ispeed = t.c_ospeed = CodeRate(t.c_cflag & CBAUD);
  return 0;
}

int WriteTermios(int fd, const termios2& t) {
  if (ioctl(fd, TCSETS2, &t) == 0) return 0;
  if (errno != ENOSYS || (t.c_cflag & CBAUD) == BOTHER) return errno;
  termios classic{};
  std::memcpy(&classic, &t, sizeof classic);
  return ioctl(fd, TCSETS, &classic) == 0 ? 0 : errno;
}

}  // namespace

int ApplyDcb(int fd, const CommDcb& dcb, bool hasModemLines) {
  if (int error = Validate(dcb, hasModemLines)) return error;
  termios2 before{};
  if (int error = ReadTermios(fd, before)) return error;
  termios2 wanted = before;
  SetRaw(wanted);
  SetLine(wanted, dcb);
  if (int error = WriteTermios(fd, wanted)) return error;
  termios2 got{};
  int error = ReadTermios(fd, got);
  if (error == 0 && !DeviceTookLine(wanted, got)) error = EINVAL;
  // A device without modem lines (a pseudo-terminal) has nothing to set here.
  if (error == 0 && hasModemLines) error = ApplyModemLines(fd, dcb);
  if (error != 0) WriteTermios(fd, before);
  return error;
}

int ReadDcb(int fd, CommDcb& dcb) {
  termios2 t{};
  if (int error = ReadTermios(fd, t)) return error;
  const tcflag_t code = t.c_cflag & CBAUD;
  dcb.BaudRate = code == BOTHER ? t.c_ospeed : CodeRate(code);
  static constexpr uint8_t Sizes[] = {5, 6, 7, 8};
  dcb.ByteSize = Sizes[(t.c_cflag & CSIZE) / CS6];
  dcb.StopBits = (t.c_cflag & CSTOPB) ? (dcb.ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS) : ONESTOPBIT;
  if (!(t.c_cflag & PARENB)) {
    dcb.Parity = NOPARITY;
  } else if (t.c_cflag & CMSPAR) {
    dcb.Parity = (t.c_cflag & PARODD) ? MARKPARITY : SPACEPARITY;
  } else {
    dcb.Parity = (t.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
  }
  uint32_t flags = dcb.Flags & ~(DCB_Parity | DCB_OutxCtsFlow | DCB_OutX | DCB_InX);
  if (t.c_iflag & INPCK) flags |= DCB_Parity;
  if (t.c_cflag & CRTSCTS) flags |= DCB_OutxCtsFlow;
  if (t.c_iflag & IXON) flags |= DCB_OutX;
  if (t.c_iflag & IXOFF) flags |= DCB_InX;
  dcb.Flags = flags | DCB_Binary;
  dcb.XonChar = char(t.c_cc[VSTART]);
  dcb.XoffChar = char(t.c_cc[VSTOP]);
  return 0;
}

}  // namespace Platform::PosixTermios
