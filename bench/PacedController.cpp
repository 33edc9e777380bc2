#include "PacedController.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "MonotonicClock.h"
#include "protocol/FrameFormat.h"
#include "tests/support/RawPty.h"

namespace {

constexpr int64_t IdleWakeNs = 100'000'000;

// Splits what the controller sends into its frames (FF FA L ...); the
// controller is run without faults, so its output is whole frames.
std::vector<Sim::Bytes> SplitFrames(const Sim::Bytes& bytes) {
  std::vector<Sim::Bytes> frames;
  size_t i = 0;
  while (i < bytes.size()) {
    size_t length = i + 2 < bytes.size() ? bytes[i + 2] : 0;
    if (length < FrameFormat::MinResponseLength || i + length > bytes.size()) length = bytes.size() - i;
    frames.emplace_back(bytes.begin() + static_cast<long>(i), bytes.begin() + static_cast<long>(i + length));
    i += length;
  }
  return frames;
}

}  // namespace

PacedController::PacedController(const Sim::SimConfig& config) {
  const RawPty pty = OpenRawPty();
  master_ = pty.Master;
  slave_ = pty.Slave;
  portPath_ = pty.Path;
  sim_ = std::make_unique<Sim::Simulator>(config, clock_, &log_);
}

PacedController::~PacedController() {
  Stop();
  close(master_);
  close(slave_);
}

void PacedController::Start() {
  thread_ = std::thread([this] { Run(); });
}

void PacedController::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

std::string PacedController::Failure() const { return failed_ ? failure_ : std::string(); }

void PacedController::Fail(const std::string& why) {
  failure_ = why;
  failed_ = true;
  stop_ = true;
}

void PacedController::Run() {
  prctl(PR_SET_TIMERSLACK, 1UL);  // wake for each byte on time, not up to 50 us late
  while (!stop_) {
    ReleaseArrivedPcBytes(MonotonicNs());
    WriteDueBytes();
    const int64_t now = MonotonicNs();
    const int64_t waitNs = std::max<int64_t>(0, NextWakeNs(now) - now);
    const timespec timeout{static_cast<time_t>(waitNs / 1'000'000'000), static_cast<long>(waitNs % 1'000'000'000)};
    pollfd fd{master_, POLLIN, 0};
    const int ready = ppoll(&fd, 1, &timeout, nullptr);
    if (ready < 0 && errno != EINTR) Fail(std::string("poll: ") + std::strerror(errno));
    if (ready > 0 && (fd.revents & POLLIN)) ReadFromPc();
  }
}

int64_t PacedController::NextWakeNs(int64_t nowNs) const {
  int64_t wake = nowNs + IdleWakeNs;
  if (!fromPc_.Empty()) wake = std::min(wake, fromPc_.NextDueNs());
  if (!toPc_.Empty()) wake = std::min(wake, toPc_.NextDueNs());
  return wake;
}

void PacedController::ReadFromPc() {
  uint8_t buffer[512];
  const ssize_t n = read(master_, buffer, sizeof buffer);
  const int64_t readNs = MonotonicNs();
  if (n < 0 && errno != EAGAIN && errno != EINTR) Fail(std::string("read: ") + std::strerror(errno));
  if (n <= 0) return;
  recorder_.PcBytes(buffer, static_cast<size_t>(n), readNs);
  fromPc_.Send(buffer, static_cast<size_t>(n), readNs);
}

// The controller takes each of the PC's bytes when it has crossed the line and
// starts its answer at that moment.
void PacedController::ReleaseArrivedPcBytes(int64_t nowNs) {
  for (const TimedByte& byte : fromPc_.TakeArrived(nowNs)) {
    sim_->Receive(&byte.Value, 1);
    const Sim::Bytes answer = sim_->TakeDue();
    if (!answer.empty()) QueueToPc(answer, byte.DueNs);
  }
}

void PacedController::QueueToPc(const Sim::Bytes& bytes, int64_t atNs) {
  toPc_.Send(bytes, atNs);
  for (Sim::Bytes& frame : SplitFrames(bytes)) {
    queuedCount_ += static_cast<int64_t>(frame.size());
    frames_.push_back({std::move(frame), queuedCount_});
  }
}

void PacedController::WriteDueBytes() {
  const std::vector<TimedByte> due = toPc_.TakeArrived(MonotonicNs());
  if (due.empty()) return;
  Sim::Bytes bytes;
  for (const TimedByte& b : due) bytes.push_back(b.Value);
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno != EINTR) return Fail(std::string("write: ") + std::strerror(errno));
    if (n > 0) done += static_cast<size_t>(n);
  }
  const int64_t writtenNs = MonotonicNs();
  const int64_t firstCount = writtenCount_;
  writtenCount_ += static_cast<int64_t>(due.size());
  while (!frames_.empty() && frames_.front().EndCount <= writtenCount_) {
    const QueuedFrame& frame = frames_.front();
    const int64_t lastByteDueNs = due[static_cast<size_t>(frame.EndCount - 1 - firstCount)].DueNs;
    recorder_.ControllerFrame(frame.Bytes.data(), frame.Bytes.size(), writtenNs, lastByteDueNs);
    frames_.pop_front();
  }
  completed_ = static_cast<int>(recorder_.Exchanges().size());
}
