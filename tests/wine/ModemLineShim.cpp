// Test equipment for the serial tests under wine, preloaded into wine's
// processes (LD_PRELOAD): a pseudo-terminal has no modem lines, so wine's
// modem-line ioctls on it fail, and wine then ends every comm-event wait at
// once (ERROR_OPERATION_ABORTED) and refuses EscapeCommFunction and
// GetCommModemStatus. Here those ioctls succeed on a terminal side that
// refused them: the lines read as a connected device's (CTS, DSR, CD) plus
// the DTR and RTS last set. Every other call, and every failure other than
// "not supported" (a hung-up terminal's EIO), passes through unchanged.
#include <dlfcn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>

namespace {

using IoctlFunction = int (*)(int, unsigned long, ...);

constexpr int MaxFd = 4096;
constexpr int ConnectedLines = TIOCM_CTS | TIOCM_DSR | TIOCM_CD;
std::atomic<int> OutputLines[MaxFd];  // DTR and RTS per descriptor

// Pseudo-terminal terminal sides have the majors 136..143.
bool IsPseudoTerminalSide(int fd) {
  struct stat info {};
  return fstat(fd, &info) == 0 && S_ISCHR(info.st_mode) && major(info.st_rdev) >= 136 && major(info.st_rdev) <= 143;
}

bool Emulate(int fd, unsigned long request, int* bits) {
  if (fd < 0 || fd >= MaxFd || bits == nullptr) return false;
  constexpr int Outputs = TIOCM_DTR | TIOCM_RTS;
  switch (request) {
    case TIOCMGET: *bits = ConnectedLines | OutputLines[fd].load(); return true;
    case TIOCMSET: OutputLines[fd] = *bits & Outputs; return true;
    case TIOCMBIS: OutputLines[fd] |= *bits & Outputs; return true;
    case TIOCMBIC: OutputLines[fd] &= ~(*bits & Outputs); return true;
    default: return false;
  }
}

}  // namespace

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept {
  static const auto real = reinterpret_cast<IoctlFunction>(dlsym(RTLD_NEXT, "ioctl"));
  va_list args;
  va_start(args, request);
  void* argument = va_arg(args, void*);
  va_end(args);
  const int result = real(fd, request, argument);
  if (result == 0 || (errno != ENOTTY && errno != EINVAL)) return result;
  const int error = errno;
  if (IsPseudoTerminalSide(fd) && Emulate(fd, request, static_cast<int*>(argument))) return 0;
  errno = error;
  return result;
}
