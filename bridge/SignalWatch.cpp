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

void SignalWatch::BlockStopSignals() {
  const sigset_t set = StopSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

bool SignalWatch::StopSignalPending() {
  sigset_t pending;
  sigemptyset(&pending);
  sigpending(&pending);
  return sigismember(&pending, SIGTERM) == 1 || sigismember(&pending, SIGINT) == 1 ||
         sigismember(&pending, SIGHUP) == 1;
}

SignalWatch::SignalWatch(std::function<void(int)> handler) : handler_(std::move(handler)) {
  const sigset_t set = StopSignals();
  fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
  if (fd_ < 0) throw Exception("cannot watch SIGTERM, SIGINT and SIGHUP (signalfd failed)");
  notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { Read(); });
}

SignalWatch::~SignalWatch() {
  notifier_.reset();
  if (fd_ >= 0) close(fd_);
}

std::string SignalWatch::Name(int signal) {
  switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGHUP: return "SIGHUP";
    default: return "SIGTERM";
  }
}

void SignalWatch::Read() {
  signalfd_siginfo info;
  while (read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) handler_(static_cast<int>(info.ssi_signo));
}
