#pragma once
// The simulator's end of the serial line: a new pseudo-terminal, whose other
// side the PC program opens, or an existing tty. Both are raw, 2400 baud, 8N1.
//
// On a pseudo-terminal the simulator keeps the terminal side open itself as
// well: when the PC closes its port, reads on the master would otherwise report
// a hang-up over and over.
#include <sys/types.h>
#include <cstddef>
#include <cstdint>
#include <string>

namespace Sim {

class SerialLine {
public:
  static SerialLine OpenPseudoTerminal();
  static SerialLine OpenDevice(const std::string& path);
  SerialLine(SerialLine&& other) noexcept;
  SerialLine& operator=(SerialLine&&) = delete;
  ~SerialLine();

  int Fd() const { return fd_; }
  // The path the PC opens: the terminal side of the pseudo-terminal, or the device.
  const std::string& Path() const { return path_; }
  bool IsPseudoTerminal() const { return heldFd_ >= 0 || pseudo_; }
  // Closes the line (and the held terminal side): the PC sees a hang-up.
  void Close();

private:
  SerialLine(int fd, int heldFd, std::string path, bool pseudo);

  int fd_ = -1;
  int heldFd_ = -1;
  std::string path_;
  bool pseudo_ = false;
};

// Sets a terminal to raw 2400 baud, 8 data bits, no parity, one stop bit, no flow control.
void MakeRawLine(int fd);

}  // namespace Sim
