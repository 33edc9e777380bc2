#pragma once
// The device control block mapped to the tty's termios settings and modem lines.
#include "serial/internal/Platform.h"

namespace Platform::PosixTermios {

// Puts the tty into raw mode with the block's line settings, flow control and
// DTR/RTS handling. Returns 0, or an errno value when the device refused or
// cannot take a setting; then the tty keeps the settings it had.
int ApplyDcb(int fd, const CommDcb& dcb, bool hasModemLines);
// Reads the line settings of the tty into the block's line fields and flags.
int ReadDcb(int fd, CommDcb& dcb);

}  // namespace Platform::PosixTermios
