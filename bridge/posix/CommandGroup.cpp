// CommandGroup on Linux: a process group led by the program.
#include "bridge/CommandGroup.h"

#include <unistd.h>
#include <csignal>

CommandGroup::CommandGroup() = default;
CommandGroup::~CommandGroup() = default;

void CommandGroup::Prepare(QProcess& process) {
  process.setChildProcessModifier([] { setpgid(0, 0); });
}

void CommandGroup::Adopt(const QProcess&) {}

void CommandGroup::End(QProcess& process, bool hard) {
  if (process.state() == QProcess::NotRunning) return;
  ::kill(-static_cast<pid_t>(process.processId()), hard ? SIGKILL : SIGTERM);
}
