#include "BareLine.h"

#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <ctime>
#include <thread>

#include "MonotonicClock.h"
#include "PacedLine.h"
#include "tests/support/RawPty.h"

namespace {

constexpr uint8_t LastByte = 0xEE;  // ends the reader

// Reads what comes and answers once per whole block, as the PC answers a block.
void AnswerBlocks(int fd, int blockBytes) {
  uint8_t buffer[512];
  int pending = 0;
  for (;;) {
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, 5000) <= 0) return;
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return;
    pending += static_cast<int>(n);
    if (pending >= blockBytes) {
      pending -= blockBytes;
      const uint8_t answer = 1;
      if (write(fd, &answer, 1) != 1) return;
    }
    if (buffer[n - 1] == LastByte) return;
  }
}

void SleepUntil(int64_t ns) {
  const timespec at{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) != 0) {
  }
}

}  // namespace

std::vector<double> MeasureBareReplyLatenciesMs(int blocks, int blockBytes) {
  const RawPty pty = OpenRawPty();
  const int master = pty.Master, slave = pty.Slave;
  std::thread reader(AnswerBlocks, slave, blockBytes);
  prctl(PR_SET_TIMERSLACK, 1UL);
  const int64_t byteNs = 1'000'000'000 / PacedLine::BytesPerSecond;
  std::vector<double> latencies;
  for (int block = 0; block < blocks; ++block) {
    const bool last = block == blocks - 1;
    int64_t due = MonotonicNs();
    for (int i = 0; i < blockBytes; ++i) {
      due += byteNs;
      SleepUntil(due);
      const uint8_t byte = last && i == blockBytes - 1 ? LastByte : 0;
      if (write(master, &byte, 1) != 1) break;
    }
    const int64_t written = MonotonicNs();
    if (last) break;  // the reader ends on the last byte without answering
    pollfd answer{master, POLLIN, 0};
    uint8_t value = 0;
    if (poll(&answer, 1, 1000) != 1 || read(master, &value, 1) != 1) break;
    latencies.push_back(static_cast<double>(MonotonicNs() - written) / 1e6);
  }
  reader.join();
  close(master);
  close(slave);
  return latencies;
}
