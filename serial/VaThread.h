#pragma once
// The thread base of the component's event and write threads: terminate flag,
// priority, wait-for-end, and Synchronize, which runs a method on the main
// thread while the calling thread waits. Calls queued for the main thread run
// when the main thread calls CheckSynchronize, one at a time; the program
// injects how a queuing thread wakes it (SetMainThreadWake). A main-thread WaitFor keeps running the calls of the thread it waits for, so
// stopping a thread never deadlocks with a thread that waits for the main thread.
#include <atomic>
#include <functional>
#include <thread>

#include "base/MainThreadWake.h"
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
// How threads that queue a call wake the main thread (nullptr: they do not;
// the main thread must then call CheckSynchronize on its own). The wake must
// outlive every thread that may use it.
void SetMainThreadWake(MainThreadWake* wake);
// Runs the calls queued for the main thread; the program calls it from its
// loop whenever the wake fired.
void CheckSynchronize();
