#pragma once
// The main-thread wake of the Qt programs: a queuing thread posts an event to
// the main thread's event loop, which then runs the queued calls.
void InstallQtMainThreadWake();  // on the main thread, once a QCoreApplication exists; idempotent
