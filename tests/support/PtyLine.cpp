#include "tests/support/PtyLine.h"

#include "tests/support/RawPty.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

PtyLine::PtyLine() {
  const RawPty pty = OpenRawPty();
  master_ = pty.Master;
  slave_ = pty.Slave;
  slavePath_ = pty.Path;
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  fcntl(master_, F_SETFD, FD_CLOEXEC);
  fcntl(slave_, F_SETFD, FD_CLOEXEC);
}

PtyLine::~PtyLine() {
  CloseMaster();
  close(slave_);
}

void PtyLine::Write(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size() && master_ >= 0) {
    const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += size_t(n);
    } else {
      pollfd fd{master_, POLLOUT, 0};
      poll(&fd, 1, 100);
    }
  }
}

std::string PtyLine::Read(size_t want, int timeoutMs, const std::function<void()>& idle) {
  using Clock = std::chrono::steady_clock;
  std::string bytes;
  const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (bytes.size() < want && master_ >= 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    if (left <= 0) break;
    if (idle) idle();
    pollfd fd{master_, POLLIN, 0};
    if (poll(&fd, 1, int(std::min<long long>(left, 5))) <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(master_, buffer, std::min(sizeof buffer, want - bytes.size()));
    if (n > 0) bytes.append(buffer, size_t(n));
  }
  return bytes;
}

void PtyLine::CloseMaster() {
  if (master_ >= 0) close(master_);
  master_ = -1;
}
