#pragma once
// The controller side of the exchange benchmark: the simulator's controller
// on the master side of a pseudo-terminal, in a thread of its own, with both
// directions of the line paced at exactly 2400 baud. A pseudo-terminal passes
// bytes at once, so the pacing is done here: the PC's bytes reach the
// controller only when they would have crossed a real line, and the
// controller's bytes are written to the PC when they would have arrived.
#include <poll.h>

#include <atomic>
#include <deque>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "Clock.h"
#include "ExchangeRecorder.h"
#include "PacedLine.h"
#include "Simulator.h"

class PacedController {
public:
  explicit PacedController(const Sim::SimConfig& config);
  ~PacedController();
  PacedController(const PacedController&) = delete;
  PacedController& operator=(const PacedController&) = delete;

  // The terminal side, which the PC opens.
  const std::string& PortPath() const { return portPath_; }
  void Start();
  void Stop();
  int CompletedExchanges() const { return completed_.load(); }
  // Why the controller stopped on its own (an error of the line), empty if it did not.
  std::string Failure() const;

  // Read these only after Stop.
  const ExchangeRecorder& Recorder() const { return recorder_; }
  std::string FrameLog() const { return log_.str(); }

private:
  void Run();
  void ReadFromPc();
  void ReleaseArrivedPcBytes(int64_t nowNs);
  void QueueToPc(const Sim::Bytes& bytes, int64_t atNs);
  void WriteDueBytes();
  int64_t NextWakeNs(int64_t nowNs) const;
  void Fail(const std::string& why);

  int master_ = -1;
  int slave_ = -1;  // held open, so the PC's close is no hang-up
  std::string portPath_;
  std::ostringstream log_;
  Sim::SystemClock clock_;
  std::unique_ptr<Sim::Simulator> sim_;
  PacedLine fromPc_;
  PacedLine toPc_;
  // The controller's frames on the line, each with the count of bytes queued up to its end.
  struct QueuedFrame {
    Sim::Bytes Bytes;
    int64_t EndCount;
  };
  std::deque<QueuedFrame> frames_;
  int64_t queuedCount_ = 0;
  int64_t writtenCount_ = 0;
  ExchangeRecorder recorder_;
  std::atomic<int> completed_{0};
  std::atomic<bool> stop_{false};
  std::string failure_;
  std::atomic<bool> failed_{false};
  std::thread thread_;
};
