// stuck-line: a serial line that never drains, for the poller's tests. It
// makes a pseudo-terminal, prints its terminal side's path, and never reads
// what is written to it, until it is ended.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>

int main() {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    std::perror("stuck-line");
    return 1;
  }
  std::printf("%s\n", ptsname(master));
  std::fflush(stdout);
  for (;;) pause();
}
