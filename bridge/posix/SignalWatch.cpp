// SignalWatch on Linux: the stop signals blocked in every thread and read
// from a signal descriptor that Qt's event loop watches.
#include "bridge/SignalWatch.h"

#include <sys/signalfd.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <csignal>

#include "base/Exception.h"

namespace {

sigset_t StopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  // A closed terminal or `kill -HUP` (often meant as "reload"): without this
  // the default action ended the bridge without a word or an "offline".
  sigaddset(&set, SIGHUP);
  return set;
}

}  // namespace

struct SignalWatch::Source {
  int Fd = -1;
  std::unique_ptr<QSocketNotifier> Notifier;
};

void SignalWatch::TakeOverStopSignals() {
  const sigset_t set = StopSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
}

bool SignalWatch::StopSignalPending() {
  sigset_t pending;
  sigemptyset(&pending);
  sigpending(&pending);
  return sigismember(&pending, SIGTERM) == 1 || sigismember(&pending, SIGINT) == 1 ||
         sigismember(&pending, SIGHUP) == 1;
}

SignalWatch::SignalWatch(std::function<void(int)> handler)
    : source_(std::make_unique<Source>()), handler_(std::move(handler)) {
  const sigset_t set = StopSignals();
  source_->Fd = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
  if (source_->Fd < 0) throw Exception("cannot watch SIGTERM, SIGINT and SIGHUP (signalfd failed)");
  source_->Notifier = std::make_unique<QSocketNotifier>(source_->Fd, QSocketNotifier::Read);
  QObject::connect(source_->Notifier.get(), &QSocketNotifier::activated, this, [this] {
    signalfd_siginfo info;
    while (read(source_->Fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
      handler_(static_cast<int>(info.ssi_signo));
  });
}

SignalWatch::~SignalWatch() {
  source_->Notifier.reset();
  if (source_->Fd >= 0) close(source_->Fd);
}

std::string SignalWatch::Name(int signal) {
  switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGHUP: return "SIGHUP";
    default: return "SIGTERM";
  }
}
