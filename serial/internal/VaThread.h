#pragma once
// The thread base of the component's event and write threads: terminate flag,
// priority, wait-for-end, and Synchronize, which runs a method on the main
// thread while the calling thread waits; Post hands one over and waits for it
// only before the thread's next hand-over. The calls go through the main-thread
// dispatcher of base/MainThreadCalls.h. A main-thread WaitFor keeps running the
// calls of the thread it waits for, so stopping a thread never deadlocks with a
// thread that waits for the main thread.
#include <atomic>
#include <functional>
#include <thread>

#include "base/MainThreadCalls.h"
#include "serial/internal/Platform.h"

class TVaThread {
public:
  static constexpr int NormalPriority = 3;

  TVaThread();  // created suspended: Start runs it
  TVaThread(const TVaThread&) = delete;
  TVaThread& operator=(const TVaThread&) = delete;
  // Terminates and waits for a thread that is still running.
  virtual ~TVaThread();

  void Start();
  // Also ends a wait for a posted call (WaitForPosted, Post).
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // 0 (idle) .. 3 (normal) .. 6 (time critical), as the component counts its priorities.
  int Priority() const { return FPriority.load(); }
  void SetPriority(int priority);

  // Waits until the thread has ended. From inside one of this thread's own
  // calls the thread cannot end before the call returns, so it returns false:
  // at once from a Synchronize call; from a posted call once the thread, told
  // to terminate, has left Execute (it ends when the call returns).
  bool WaitFor();
  // True once the thread has ended, its posted call run.
  bool Finished() const;
  // True while the main thread runs a method this thread handed to Synchronize or Post.
  bool InSynchronizedCall() const;
  // Lets a thread that cannot be waited for end on its own; its object must
  // then never be deleted.
  void Detach();

protected:
  virtual void Execute() = 0;
  void Synchronize(const std::function<void()>& method);
  // Hands a copy of `method` to the main thread and returns without waiting
  // for it to run. Waits first until the method posted before has run, so
  // the thread's posted calls run one at a time and in order. Returns false,
  // posting nothing, when the thread was told to terminate.
  bool Post(const std::function<void()>& method);
  // Waits until the method posted last has run; false at once when the thread
  // was told to terminate (the method may still be running then).
  bool WaitForPosted();

private:
  void Run();
  void EndExecute();
  void WaitUntilExecuteEnded();

  std::thread FThread;
  std::atomic<bool> FTerminated{false};
  std::atomic<int> FPriority{NormalPriority};
  std::atomic<Platform::ThreadId> FThreadId{0};
  std::function<void()> FPostedMethod;  // guarded by the dispatcher's lock, like the call
  MainThreadCall FPosted;
  bool FExecuteEnded = false;  // guarded by the dispatcher's lock
  bool FFinished = false;      // guarded by the dispatcher's lock
};
