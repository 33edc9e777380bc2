#pragma once
// A paced line for measuring what receiving costs: a child process writes
// bytes one at a time into a pseudo-terminal at a fixed pace, in blocks, and
// drops what comes back; the receiver answers each whole block with a short
// request, as the PC answers the controller. Also the bare reader (one
// thread: poll, read, write) that the other receivers are compared with.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace PacedFeed {

constexpr int BlockBytes = 25;                   // about the average block of a data exchange
constexpr int BareBytes = 1200;                  // a bare reader's run: five seconds at 2400 baud
constexpr int64_t PaceNs = 1'000'000'000 / 240;  // a byte's time at 2400 baud, as the simulator paces it
// The goal for a receiver of the program's kind: processor time per received
// byte at most this many times the bare reader's.
constexpr double PerByteGoal = 2.0;
constexpr int RequestBytes = 7;
extern const char Request[RequestBytes];

// Processor time (user + system, all threads) and context switches of this process so far.
struct Usage {
  double CpuUs = 0;
  long Switches = 0;
};
Usage TakeUsage();

// What a receiver used from the go until it had taken every byte.
struct Span {
  Usage Start, End;
};

struct Cost {
  double CpuUsPerByte = 0;
  double SwitchesPerByte = 0;
};

// Opens the terminal side at the path, calls go() (which starts the feed and
// returns the usage then) and returns once every byte has been taken.
using Receiver = std::function<Span(const std::string& path, const std::function<Usage()>& go, int bytes)>;

// A fresh line and feed for one receiver's run; its cost per received byte.
Cost Measure(int bytes, int64_t paceNs, const Receiver& receive);

// Counts received bytes and says when a block is whole.
struct BlockCounter {
  int Total = 0;
  int InBlock = 0;
  bool Add(int n);
};

Span BareReader(const std::string& path, const std::function<Usage()>& go, int bytes);
// The bare reader's processor time per received byte (us), BareBytes at PaceNs, `runs` times.
std::vector<double> BareReaderPerByteUs(int runs);

}  // namespace PacedFeed
