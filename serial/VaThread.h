#pragma once
// The thread base of the component's event and write threads: terminate flag,
// priority, wait-for-end, and Synchronize, which runs a method on the main
// thread while the calling thread waits. Calls queued for the main thread run
// from its Qt event loop (a QCoreApplication must exist), one at a time; a
// main-thread WaitFor keeps running the calls of the thread it waits for, so
// stopping a thread never deadlocks with a thread that waits for the main thread.
#include <atomic>
#include <functional>
#include <thread>

#include "serial/Platform.h"

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TVaThread {
public:
  TVaThread();  // created suspended: Start runs it
  TVaThread(const TVaThread&) = delete;
  TVaThread& operator=(const TVaThread&) = delete;
  // Terminates and waits for a thread that is still running.
  virtual ~TVaThread();

  void Start();
  void Terminate() { FTerminated = true; }
  bool Terminated() const { return FTerminated; }
  TThreadPriority Priority() const { return TThreadPriority(FPriority.load()); }
  void SetPriority(TThreadPriority priority);

  // Waits until Execute has returned. Returns false without waiting when
  // called from inside one of this thread's own synchronised calls, where the
  // thread cannot end before the call returns.
  bool WaitFor();
  bool Finished() const;
  // True while the main thread runs a method this thread handed to Synchronize.
  bool InSynchronizedCall() const;
  // Lets a thread that cannot be waited for end on its own; its object must
  // then never be deleted.
  void Detach();

protected:
  virtual void Execute() = 0;
  void Synchronize(const std::function<void()>& method);

private:
  void Run();

  std::thread FThread;
  std::atomic<bool> FTerminated{false};
  std::atomic<int> FPriority{tpNormal};
  std::atomic<Platform::ThreadId> FThreadId{0};
  bool FFinished = false;  // guarded by the dispatcher's lock
};

bool IsMainThread();
// Runs the calls queued for the main thread (the Qt event loop calls it after
// each Synchronize; a program without an event loop may call it itself).
void CheckSynchronize();
