// Reads a tty's rate with termios2 (kept apart from <termios.h>, which clashes).
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cstdint>

uint32_t TtyOutputSpeed(int fd) {
  termios2 t{};
  return ioctl(fd, TCGETS2, &t) == 0 ? t.c_ospeed : 0;
}

bool TtyUsesFreeRate(int fd) {
  termios2 t{};
  return ioctl(fd, TCGETS2, &t) == 0 && (t.c_cflag & CBAUD) == BOTHER;
}
