#pragma once
// The calls other threads hand to the main thread, and how it runs them. A
// program installs its loop's way of being woken (SetMainThreadWake) and calls
// CheckSynchronize whenever the wake fired; calls run there one at a time, in
// the order they were queued. Thread classes queue calls and wait for them
// under the dispatcher's lock (the serial component's threads do).
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "base/MainThreadWake.h"

bool IsMainThread();
// How threads that queue a call wake the main thread (nullptr: they do not;
// the main thread must then call CheckSynchronize on its own). The wake must
// outlive every thread that may use it.
void SetMainThreadWake(MainThreadWake* wake);
// Runs the calls queued for the main thread; the program calls it from its
// loop whenever the wake fired.
void CheckSynchronize();

// --- for thread classes ------------------------------------------------------------
// A method handed to the main thread, until the main thread has run it.
struct MainThreadCall {
  const void* Owner = nullptr;  // the thread object that handed it over
  const std::function<void()>* Method = nullptr;
  bool Posted = false;  // the owner goes on while it runs
  bool Done = true;     // guarded by the dispatcher's lock
};

// Calls waiting for the main thread, and the calls it is running now.
struct MainThreadDispatcher {
  std::mutex Lock;
  std::condition_variable Changed;  // a call was queued or done, or a waiter's state changed
  std::deque<MainThreadCall*> Queue;
  std::vector<const MainThreadCall*> Running;  // main thread only; innermost last
};

MainThreadDispatcher& TheDispatcher();
// On the main thread: runs the call (an exception goes to the exception
// display) and marks it done.
void RunCall(MainThreadCall* call);
// Caller holds the dispatcher's lock: removes and returns the first queued
// call of `owner`, if any.
MainThreadCall* TakeCallOf(MainThreadDispatcher& d, const void* owner);
// The innermost call of `owner` that the main thread is running, if any
// (nullptr on other threads).
const MainThreadCall* RunningCallOf(const void* owner);
// Queues the call under the dispatcher's lock, held by `lock`, and wakes the
// main thread after releasing it. Returns with the lock released.
void QueueCall(std::unique_lock<std::mutex>& lock, MainThreadCall* call);
