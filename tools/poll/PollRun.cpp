#include "PollRun.h"

#include <chrono>
#include <mutex>
#include <vector>

#include "base/WakeSignal.h"
#include "link/Dcl.h"
#include "serial/CommConstants.h"
#include "serial/VaComm.h"
#include "serial/VaThread.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The device name is a format for the component: a "%" of a path stays itself.
std::string DeviceNameFormat(const std::string& port) {
  std::string format;
  for (char c : port) format += c == '%' ? std::string("%%") : std::string(1, c);
  return format;
}

// The port as the program configures it.
void ConfigurePort(TVaComm& comm, const std::string& port) {
  comm.SetBaudrate(br2400);
  comm.EventChars().SetEventChar(9);
  comm.EventChars().SetEofChar(9);
  comm.FlowControl().SetControlDtr(dtrDisabled);
  comm.FlowControl().SetControlRts(rtsDisabled);
  comm.SetDeviceName(DeviceNameFormat(port));
  comm.SetMonitorEvents(TVaCommEvents{ceRxChar, ceRx80Full});
}

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

class PollLoop {
public:
  PollLoop(const PollOptions& options, std::ostream& out, std::ostream& err)
      : options_(options), out_(out), errors_(err) {
    SetMainThreadWake(&wake_);
  }
  ~PollLoop() {
    SetLinkPort(nullptr);
    comm_.Close();
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
  TVaComm comm_;
  bool lost_ = false;
  int ticks_ = 0;
  Clock::time_point start_ = Clock::now();
};

bool PollLoop::Open(PollResult& result) {
  ConfigurePort(comm_, options_.Port);
  comm_.OnRxChar = [](TVaCustomComm*, int) { GatherRxBytes(); };
  comm_.OnError = [this](TVaCustomComm*, int errors) {
    if (errors & int(CommConst::CE_IOE)) lost_ = true;
  };
  try {
    comm_.Open();
  } catch (const std::exception& error) {
    result.End = PollEnd::OpenFailed;
    result.Error = error.what();
    return false;
  }
  SetLinkPort(&comm_);
  InitLink();
  return true;
}

void PollLoop::Tick() {
  const TickActions actions = PollingTick();
  ++ticks_;
  if (actions.StatusText) out_ << Utf8FromCp1252(*actions.StatusText) << std::endl;
}

bool PollLoop::Ended(PollResult& result) {
  result.Ticks = ticks_;
  if (NoAnswerCount == 0) {
    result.End = PollEnd::ExchangeDone;
    return true;
  }
  if (lost_) {
    result.End = PollEnd::LineLost;
    result.Error = errors_.Last();
    return true;
  }
  const auto waited = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start_).count();
  if (LinkCounters.Frames == 0 && waited >= options_.AnswerLimitSeconds) {
    result.End = PollEnd::NoAnswer;
    result.Error = "the controller on " + comm_.OpenPath() + " did not answer within " +
                   std::to_string(options_.AnswerLimitSeconds) + " s";
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
    const auto now = Clock::now();
    if (now >= nextTick) {
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
