// SignalWatch on Windows: a console control handler, or a service's control
// handler through RequestStop. The system calls them on a thread of their
// own; they note the request and post it to the watch on the main thread.
#include "bridge/SignalWatch.h"

#include <windows.h>
#include <QMetaObject>
#include <atomic>
#include <mutex>

namespace {

constexpr int NoRequest = -1;

bool IsStopRequest(DWORD event) {
  return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT ||
         event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
}

// For these the system ends the process as soon as the handler returns.
bool EndsOnReturn(DWORD event) {
  return event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
}

}  // namespace

struct SignalWatch::Source {
  static inline std::atomic<int> Pending{NoRequest};
  static inline std::mutex Lock;
  static inline SignalWatch* Current = nullptr;  // under Lock

  // On the main thread: the request, once, to the handler.
  static void Take(SignalWatch* watch) {
    const int request = Pending.exchange(NoRequest);
    if (request != NoRequest) watch->handler_(request);
  }

  // Any thread: the current watch, if any, takes the request on its thread.
  static void Post() {
    const std::lock_guard<std::mutex> hold(Lock);
    if (Current != nullptr)
      QMetaObject::invokeMethod(
          Current, [watch = Current] { Take(watch); }, Qt::QueuedConnection);
  }

  static BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (!IsStopRequest(event)) return FALSE;
    Pending = static_cast<int>(event);
    Post();
    // Returning would end the process before "offline" is published and the
    // archive closed: wait here instead. Main's return ends the process and
    // this thread with it (and Windows ends a process that takes too long).
    if (EndsOnReturn(event)) Sleep(INFINITE);
    return TRUE;
  }
};

void SignalWatch::RequestStop(int request) {
  Source::Pending = request;
  Source::Post();
}

void SignalWatch::TakeOverStopSignals() { SetConsoleCtrlHandler(&Source::OnConsoleEvent, TRUE); }

bool SignalWatch::StopSignalPending() { return Source::Pending != NoRequest; }

SignalWatch::SignalWatch(std::function<void(int)> handler)
    : source_(std::make_unique<Source>()), handler_(std::move(handler)) {
  const std::lock_guard<std::mutex> hold(Source::Lock);
  Source::Current = this;
  // A request that came before the watch existed is taken as soon as the loop runs.
  if (Source::Pending != NoRequest)
    QMetaObject::invokeMethod(
        this, [this] { Source::Take(this); }, Qt::QueuedConnection);
}

SignalWatch::~SignalWatch() {
  const std::lock_guard<std::mutex> hold(Source::Lock);
  if (Source::Current == this) Source::Current = nullptr;
}

std::string SignalWatch::Name(int signal) {
  if (signal == ServiceStop) return "service stop";
  switch (static_cast<DWORD>(signal)) {
    case CTRL_C_EVENT: return "Ctrl+C";
    case CTRL_BREAK_EVENT: return "Ctrl+Break";
    case CTRL_CLOSE_EVENT: return "the console's closing";
    case CTRL_LOGOFF_EVENT: return "logoff";
    default: return "shutdown";
  }
}
