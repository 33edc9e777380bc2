#include "PollRun.h"

#include <chrono>
#include <mutex>

#include "base/MainThreadCalls.h"
#include "base/WakeSignal.h"
#include "protocol/Cp1252.h"
#include "serial/VaComm.h"
#include "session/PollingSession.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Messages the port hands to the application's exception display, printed at
// once on the main thread; the run keeps going unless the line is lost.
class ErrorLog {
public:
  explicit ErrorLog(std::ostream& err) : err_(err) {
    SetApplicationExceptionHandler([this](const std::exception& error) { Add(error.what()); });
  }
  ~ErrorLog() { SetApplicationExceptionHandler(nullptr); }
  void Add(const std::string& message) {
    std::lock_guard guard(lock_);
    err_ << "zentrixnet-poll: " << message << std::endl;
    last_ = message;
  }
  std::string Last() {
    std::lock_guard guard(lock_);
    return last_;
  }

private:
  std::ostream& err_;
  std::mutex lock_;
  std::string last_;
};

// The polling session in a plain main-thread loop: ticks on a timer, the
// port's events through the main-thread wake between them.
class PollLoop {
public:
  PollLoop(const PollOptions& options, std::ostream& out, std::ostream& err)
      : options_(options), out_(out), errors_(err) {
    SetMainThreadWake(&wake_);
    session_.On.ExchangeCompleted = [this] { done_ = true; };
    session_.On.PortLost = [this] { lost_ = true; };
  }
  ~PollLoop() {
    session_.Close();
    SetMainThreadWake(nullptr);
  }

  PollResult Run();

private:
  bool Open(PollResult& result);
  void Tick();
  // Why the run must end now, if it must.
  bool Ended(PollResult& result);

  const PollOptions& options_;
  std::ostream& out_;
  ErrorLog errors_;
  WakeSignal wake_;
  PollingSession session_;
  bool done_ = false;
  bool lost_ = false;
  std::string full_;  // the port's message once a write found the line full
  int ticks_ = 0;
  Clock::time_point start_ = Clock::now();
};

bool PollLoop::Open(PollResult& result) {
  try {
    if (!options_.TracePath.empty()) session_.TraceTo(options_.TracePath);
    session_.Open(*ParsePortChoice(options_.Port));
  } catch (const std::exception& error) {
    result.End = PollEnd::OpenFailed;
    result.Error = error.what();
    return false;
  }
  // A write that finds the output buffer full fails at once instead of
  // holding the tick for the write time-out: a line that does not drain ends the run.
  session_.Port().Buffers().SetWriteTimeout(0);
  return true;
}

void PollLoop::Tick() {
  ++ticks_;
  try {
    const TickActions actions = session_.Tick();
    if (actions.StatusText) out_ << Utf8FromCp1252(*actions.StatusText) << std::endl;
  } catch (const EVaCommError& error) {
    full_ = error.what();
  }
}

bool PollLoop::Ended(PollResult& result) {
  result.Ticks = ticks_;
  if (done_) {
    result.End = PollEnd::ExchangeDone;
    return true;
  }
  if (lost_) {
    result.End = PollEnd::LineLost;
    result.Error = errors_.Last();
    return true;
  }
  if (!full_.empty()) {
    result.End = PollEnd::LineFull;
    result.Error = "the line on " + session_.Port().OpenPath() + " takes nothing more (" + full_ + ")";
    return true;
  }
  const auto waited = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start_).count();
  if (LinkCounts.Frames == 0 && waited >= options_.AnswerLimitSeconds) {
    result.End = PollEnd::NoAnswer;
    result.Error = "the controller on " + session_.Port().OpenPath() + " did not answer within " +
                   std::to_string(options_.AnswerLimitSeconds) + " s";
    if (const std::string hint = session_.Port().DeviceHint(); !hint.empty()) result.Error += "; " + hint;
    return true;
  }
  if (options_.Cycles > 0 && ticks_ >= options_.Cycles) {
    result.End = PollEnd::TickLimit;
    result.Error = "no whole data exchange within " + std::to_string(options_.Cycles) + " ticks";
    return true;
  }
  return false;
}

PollResult PollLoop::Run() {
  PollResult result;
  if (!Open(result)) return result;
  auto nextTick = Clock::now();
  for (;;) {
    if (Clock::now() >= nextTick) {
      Tick();
      nextTick += milliseconds(options_.TickMs);
    }
    // Events of the port run here, between ticks, as in the program's event loop.
    wake_.WaitForWake(std::chrono::duration_cast<milliseconds>(nextTick - Clock::now()));
    CheckSynchronize();
    if (Ended(result)) return result;
  }
}

}  // namespace

PollResult RunPoll(const PollOptions& options, std::ostream& out, std::ostream& err) {
  PollLoop loop(options, out, err);
  return loop.Run();
}
