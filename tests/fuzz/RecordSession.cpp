// Records a session between the link and the controller simulator for the link
// fuzzer's seed corpus. The real link runs against a terminal with polling
// ticks at a fast pace; every chunk of bytes received is written as a record
// (LinkRecords.h) with the ticks and command marks that followed it, so the
// fuzzer replays exactly the session the link had.
//
// Usage: record-session TTY OUT TICKS [TICK_MS [TICK:SLOT ...]]
//   TICK:SLOT marks the command of SLOT just before polling tick TICK.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "LinkRecords.h"
#include "link/Dcl.h"

namespace {

// The link's port over a terminal. Reads are served from the chunk being
// recorded; a purge drops only that, so every byte the terminal delivers is
// recorded once and the replay sees what the link saw.
class TerminalPort : public BytePort {
public:
  explicit TerminalPort(int fd) : fd_(fd) {}
  int WriteBuf(const void* data, int count) override {
    const auto* p = static_cast<const uint8_t*>(data);
    for (int done = 0; done < count;) {
      const ssize_t n = ::write(fd_, p + done, count - done);
      if (n <= 0) return done;
      done += static_cast<int>(n);
    }
    return count;
  }
  int ReadBuf(void* data, int count) override {
    int n = 0;
    for (auto* out = static_cast<uint8_t*>(data); n < count && !chunk_.empty(); ++n) {
      out[n] = chunk_.front();
      chunk_.pop_front();
    }
    return n;
  }
  void PurgeRead() override { chunk_.clear(); }
  void Offer(const uint8_t* bytes, size_t count) { chunk_.assign(bytes, bytes + count); }

private:
  int fd_;
  std::deque<uint8_t> chunk_;
};

int OpenRaw(const char* path) {
  const int fd = ::open(path, O_RDWR | O_NOCTTY);
  if (fd < 0) return -1;
  termios t{};
  if (tcgetattr(fd, &t) == 0) {
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
  }
  return fd;
}

class Recorder {
public:
  void Bytes(const uint8_t* bytes, size_t count) {
    LinkRecords::Append(out_, bytes, count, 0, 0);
    lastTicks_ = 0;
    lastHeader_ = out_.size() - count - LinkRecords::HeaderSize;
  }
  void Mark(int slot) {
    LinkRecords::Append(out_, nullptr, 0, 0, slot);
    lastTicks_ = 0;
    lastHeader_ = out_.size() - LinkRecords::HeaderSize;
  }
  void Tick() {
    if (out_.empty() || lastTicks_ == LinkRecords::MaxTicks) {
      LinkRecords::Append(out_, nullptr, 0, 0, 0);
      lastTicks_ = 0;
      lastHeader_ = out_.size() - LinkRecords::HeaderSize;
    }
    ++lastTicks_;
    ++out_[lastHeader_ + 1];  // the tick count lies in the low bits of the control byte
  }
  const std::vector<uint8_t>& Out() const { return out_; }

private:
  std::vector<uint8_t> out_;
  size_t lastHeader_ = 0;
  int lastTicks_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s TTY OUT TICKS [TICK_MS [TICK:SLOT ...]]\n", argv[0]);
    return 2;
  }
  const int ticks = std::atoi(argv[3]);
  const int tickMs = argc > 4 ? std::atoi(argv[4]) : 25;
  std::multimap<int, int> marks;
  for (int i = 5; i < argc; ++i) {
    int tick = 0, slot = 0;
    if (std::sscanf(argv[i], "%d:%d", &tick, &slot) == 2) marks.emplace(tick, slot);
  }
  const int fd = OpenRaw(argv[1]);
  if (fd < 0) {
    std::perror(argv[1]);
    return 1;
  }

  TerminalPort port(fd);
  Recorder recorder;
  ClearPlantStore();
  SetLinkPort(&port);
  InitLink();
  using Clock = std::chrono::steady_clock;
  for (int tick = 0; tick < ticks; ++tick) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(tickMs);
    for (auto now = Clock::now(); now < deadline; now = Clock::now()) {
      pollfd p{fd, POLLIN, 0};
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
      if (::poll(&p, 1, static_cast<int>(left) + 1) <= 0) continue;
      uint8_t chunk[LinkRecords::MaxBytes];
      const ssize_t n = ::read(fd, chunk, sizeof chunk);
      if (n <= 0) break;
      recorder.Bytes(chunk, static_cast<size_t>(n));
      port.Offer(chunk, static_cast<size_t>(n));
      GatherRxBytes();
    }
    for (auto [it, end] = marks.equal_range(tick); it != end; ++it) {
      recorder.Mark(it->second);
      MarkCommand(it->second);
    }
    PollingTick();
    recorder.Tick();
  }
  SetLinkPort(nullptr);
  ::close(fd);

  std::ofstream out(argv[2], std::ios::binary);
  out.write(reinterpret_cast<const char*>(recorder.Out().data()), static_cast<std::streamsize>(recorder.Out().size()));
  std::printf("%s: %zu bytes, %d ticks\n", argv[2], recorder.Out().size(), ticks);
  return out ? 0 : 1;
}
