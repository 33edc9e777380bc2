#pragma once
// A pseudo-terminal pair with the terminal side in raw mode, as a serial line
// carries bytes: no echo, no line editing, no translation. The tests' lines
// and the benchmarks' lines are opened here alike.
#include <pty.h>
#include <termios.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

struct RawPty {
  int Master = -1;
  int Slave = -1;
  std::string Path;
};

inline RawPty OpenRawPty() {
  RawPty pty;
  char name[256] = {};
  if (openpty(&pty.Master, &pty.Slave, name, nullptr, nullptr) != 0)
    throw std::runtime_error(std::string("openpty: ") + std::strerror(errno));
  pty.Path = name;
  termios raw{};
  tcgetattr(pty.Slave, &raw);
  cfmakeraw(&raw);
  tcsetattr(pty.Slave, TCSANOW, &raw);
  return pty;
}
