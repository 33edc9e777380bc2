#pragma once
// The main thread's loop of tests and programs without an event loop: threads
// that queue a call for the main thread wake it, and the loop runs the call.
#include <functional>

// Makes queued calls wake this loop (call once, on the main thread).
void InstallPlainMainLoop();
// Waits up to waitMs for a wake, then runs what is queued.
void RunMainThreadCalls(int waitMs);
// Runs the loop until done() holds or the time is up; returns done().
bool PumpUntil(const std::function<bool()>& done, int timeoutMs);
void PumpFor(int milliseconds);
