#pragma once
// How work queued for the main thread gets the main thread's attention. The
// program injects its event loop's way: a posted event in the Qt programs, a
// condition variable in programs and tests without an event loop.
class MainThreadWake {
public:
  virtual ~MainThreadWake() = default;
  // Called on any thread, possibly with a lock held: returns at once and never
  // runs the queued work itself. The main thread then runs it (CheckSynchronize).
  virtual void Wake() = 0;
};
