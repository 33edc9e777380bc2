// CommandGroup on Windows: a job object, which every process the program
// starts joins, so that terminating the job ends them all. The program joins
// it right after its start; a process it started in that first moment would
// escape, which a script does not do.
#include "bridge/CommandGroup.h"

#include <windows.h>

#include "bridge/BridgeLog.h"
#include "bridge/win32/SystemMessage.h"

CommandGroup::CommandGroup() : job_(reinterpret_cast<intptr_t>(::CreateJobObjectW(nullptr, nullptr))) {}

CommandGroup::~CommandGroup() {
  if (job_ != 0) ::CloseHandle(reinterpret_cast<HANDLE>(job_));
}

void CommandGroup::Prepare(QProcess&) {}

void CommandGroup::Adopt(const QProcess& process) {
  if (job_ == 0) return;
  HANDLE program = ::OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, DWORD(process.processId()));
  if (program == nullptr || !::AssignProcessToJobObject(reinterpret_cast<HANDLE>(job_), program))
    BridgeLog::Line("warning: the alarm command's own programs may outlive it (" + SystemMessage(::GetLastError()) +
                    ")");
  if (program != nullptr) ::CloseHandle(program);
}

void CommandGroup::End(QProcess& process, bool hard) {
  if (process.state() == QProcess::NotRunning) return;
  if (!hard) return process.terminate();
  if (job_ == 0 || !::TerminateJobObject(reinterpret_cast<HANDLE>(job_), 1)) process.kill();
}
