#include "SerialLine.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace Sim {

namespace {

std::runtime_error SystemError(const std::string& what) {
  return std::runtime_error(what + ": " + std::strerror(errno));
}

void SetNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) throw SystemError("fcntl");
}

}  // namespace

void MakeRawLine(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) throw SystemError("tcgetattr");
  cfmakeraw(&t);
  t.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS | CSIZE);
  t.c_cflag |= CS8 | CREAD | CLOCAL;
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  cfsetispeed(&t, B2400);
  cfsetospeed(&t, B2400);
  if (tcsetattr(fd, TCSANOW, &t) != 0) throw SystemError("tcsetattr");
}

SerialLine::SerialLine(int fd, int heldFd, std::string path, bool pseudo)
    : fd_(fd), heldFd_(heldFd), path_(std::move(path)), pseudo_(pseudo) {}

SerialLine::SerialLine(SerialLine&& other) noexcept
    : fd_(other.fd_), heldFd_(other.heldFd_), path_(std::move(other.path_)), pseudo_(other.pseudo_) {
  other.fd_ = other.heldFd_ = -1;
}

SerialLine::~SerialLine() { Close(); }

void SerialLine::Close() {
  if (heldFd_ >= 0) close(heldFd_);
  if (fd_ >= 0) close(fd_);
  fd_ = heldFd_ = -1;
}

SerialLine SerialLine::OpenPseudoTerminal() {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0) throw SystemError("posix_openpt");
  char name[128];
  if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0) {
    const std::runtime_error e = SystemError("pseudo-terminal");
    close(master);
    throw e;
  }
  const int held = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (held < 0) {
    const std::runtime_error e = SystemError(std::string("open ") + name);
    close(master);
    throw e;
  }
  SerialLine line(master, held, name, true);
  MakeRawLine(held);  // no echo, no line editing, until the PC sets its own mode
  SetNonBlocking(master);
  return line;
}

SerialLine SerialLine::OpenDevice(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) throw SystemError("open " + path);
  SerialLine line(fd, -1, path, false);
  MakeRawLine(fd);
  return line;
}

}  // namespace Sim
