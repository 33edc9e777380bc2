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
  Master_ = pty.Master;
  Slave_ = pty.Slave;
  SlavePath_ = pty.Path;
  fcntl(Master_, F_SETFL, fcntl(Master_, F_GETFL) | O_NONBLOCK);
  fcntl(Master_, F_SETFD, FD_CLOEXEC);
  fcntl(Slave_, F_SETFD, FD_CLOEXEC);
}

PtyLine::~PtyLine() {
  CloseMaster();
  close(Slave_);
}

void PtyLine::Write(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size() && Master_ >= 0) {
    const ssize_t n = write(Master_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += size_t(n);
    } else {
      pollfd fd{Master_, POLLOUT, 0};
      poll(&fd, 1, 100);
    }
  }
}

std::string PtyLine::Read(size_t want, int timeoutMs, const std::function<void()>& idle) {
  using Clock = std::chrono::steady_clock;
  std::string bytes;
  const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (bytes.size() < want && Master_ >= 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    if (left <= 0) break;
    if (idle) idle();
    pollfd fd{Master_, POLLIN, 0};
    if (poll(&fd, 1, int(std::min<long long>(left, 5))) <= 0) continue;
    char buffer[4096];
    const ssize_t n = read(Master_, buffer, std::min(sizeof buffer, want - bytes.size()));
    if (n > 0) bytes.append(buffer, size_t(n));
  }
  return bytes;
}

void PtyLine::CloseMaster() {
  if (Master_ >= 0) close(Master_);
  Master_ = -1;
}
