#include "PacedFeed.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "MonotonicClock.h"
#include "tests/support/RawPty.h"

namespace PacedFeed {

const char Request[RequestBytes] = {1, 2, 3, 4, 5, 6, 7};

namespace {

void SleepUntil(int64_t ns) {
  const timespec at{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) != 0) {
  }
}

// The line's far end in a child process (async-signal-safe calls only): waits
// for the go, writes `bytes` bytes one at a time every `paceNs`, dropping what
// it receives, and keeps the line open until it is ended, as closing would
// hang it up before the receiver has taken everything.
pid_t StartFeed(int master, int go, int bytes, int64_t paceNs) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  char start = 0;
  if (read(go, &start, 1) != 1) _exit(1);
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  int64_t due = MonotonicNs();
  char drop[256];
  for (int i = 0; i < bytes; ++i) {
    due += paceNs;
    SleepUntil(due);
    const char byte = char(i % BlockBytes);
    if (write(master, &byte, 1) != 1) _exit(2);
    while (read(master, drop, sizeof drop) > 0) {
    }
  }
  for (;;) {
    while (read(master, drop, sizeof drop) > 0) {
    }
    SleepUntil(MonotonicNs() + 10'000'000);
  }
}

}  // namespace

Usage TakeUsage() {
  rusage r{};
  getrusage(RUSAGE_SELF, &r);
  auto us = [](const timeval& t) { return double(t.tv_sec) * 1e6 + double(t.tv_usec); };
  return {us(r.ru_utime) + us(r.ru_stime), r.ru_nvcsw + r.ru_nivcsw};
}

bool BlockCounter::Add(int n) {
  Total += n;
  InBlock += n;
  if (InBlock < BlockBytes) return false;
  InBlock -= BlockBytes;
  return true;
}

Cost Measure(int bytes, int64_t paceNs, const Receiver& receive) {
  const RawPty pty = OpenRawPty();
  int goPipe[2];
  if (pipe(goPipe) != 0) {
    std::perror("pipe");
    std::exit(1);
  }
  const pid_t feed = StartFeed(pty.Master, goPipe[0], bytes, paceNs);
  close(pty.Master);
  const Span span = receive(
      pty.Path,
      [&] {
        const Usage usage = TakeUsage();
        if (write(goPipe[1], "g", 1) != 1) std::exit(1);
        return usage;
      },
      bytes);
  kill(feed, SIGTERM);
  waitpid(feed, nullptr, 0);
  close(goPipe[0]);
  close(goPipe[1]);
  close(pty.Slave);
  return {(span.End.CpuUs - span.Start.CpuUs) / bytes, double(span.End.Switches - span.Start.Switches) / bytes};
}

Span BareReader(const std::string& path, const std::function<Usage()>& go, int bytes) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  const Usage start = go();
  BlockCounter counter;
  char buffer[512];
  while (counter.Total < bytes) {
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, 5000) <= 0) break;
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) break;
    if (n < 0) continue;
    if (counter.Add(int(n)) && write(fd, Request, RequestBytes) != RequestBytes) break;
  }
  const Usage end = TakeUsage();
  close(fd);
  return {start, end};
}

std::vector<double> BareReaderPerByteUs(int runs) {
  std::vector<double> perByteUs;
  for (int run = 0; run < runs; ++run) perByteUs.push_back(Measure(BareBytes, PaceNs, BareReader).CpuUsPerByte);
  return perByteUs;
}

}  // namespace PacedFeed
