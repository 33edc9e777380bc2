#pragma once
// The processes a desktop run started (the virtual display, the simulator,
// the program), kept where a signal handler can reach them, so that a run
// that is interrupted (Ctrl+C, SIGTERM, a hang-up, its output closed) ends
// them too instead of leaving them running.
#include <sys/types.h>

namespace StartedProcesses {

void Add(pid_t pid);
void Remove(pid_t pid);
// From now on SIGINT, SIGTERM, SIGHUP and SIGPIPE end every process added and
// then the run itself, with the signal's usual status.
void EndAllOnSignals();

}  // namespace StartedProcesses
