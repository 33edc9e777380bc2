#include "base/MainThreadCalls.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "base/Exception.h"

namespace {

const std::thread::id MainThreadId = std::this_thread::get_id();

std::atomic<MainThreadWake*> Wake{nullptr};

void WakeMainThread() {
  if (MainThreadWake* wake = Wake.load()) wake->Wake();
}

}  // namespace

MainThreadDispatcher& TheDispatcher() {
  static MainThreadDispatcher dispatcher;
  return dispatcher;
}

void RunCall(MainThreadCall* call) {
  MainThreadDispatcher& d = TheDispatcher();
  d.Running.push_back(call);
  try {
    (*call->Method)();
  } catch (...) {
    HandleCurrentException();
  }
  d.Running.pop_back();
  {
    std::lock_guard guard(d.Lock);
    call->Done = true;
  }
  d.Changed.notify_all();
}

MainThreadCall* TakeCallOf(MainThreadDispatcher& d, const void* owner) {
  auto found = std::find_if(d.Queue.begin(), d.Queue.end(),
                            [owner](const MainThreadCall* call) { return call->Owner == owner; });
  if (found == d.Queue.end()) return nullptr;
  MainThreadCall* call = *found;
  d.Queue.erase(found);
  return call;
}

const MainThreadCall* RunningCallOf(const void* owner) {
  if (!IsMainThread()) return nullptr;
  const auto& running = TheDispatcher().Running;
  auto found = std::find_if(running.rbegin(), running.rend(),
                            [owner](const MainThreadCall* call) { return call->Owner == owner; });
  return found == running.rend() ? nullptr : *found;
}

// A main thread woken while the lock is still held would only sleep again on
// the lock, so the wake comes after the unlock.
void QueueCall(std::unique_lock<std::mutex>& lock, MainThreadCall* call) {
  MainThreadDispatcher& d = TheDispatcher();
  d.Queue.push_back(call);
  lock.unlock();
  WakeMainThread();
  d.Changed.notify_all();  // a main-thread WaitFor serves the call too
}

bool IsMainThread() { return std::this_thread::get_id() == MainThreadId; }

void SetMainThreadWake(MainThreadWake* wake) { Wake.store(wake); }

void CheckSynchronize() {
  MainThreadDispatcher& d = TheDispatcher();
  // Taken first in any case: whatever a waking thread made before it queued
  // its call (an event object of the wake, say) is then seen as made, also by
  // tools that cannot see inside the event loop.
  { std::lock_guard guard(d.Lock); }
  // Handlers run one at a time: calls queued while one runs (say, from a
  // message box inside a handler) wait for the outer loop below.
  if (!IsMainThread() || !d.Running.empty()) return;
  for (;;) {
    MainThreadCall* call = nullptr;
    {
      std::lock_guard guard(d.Lock);
      if (d.Queue.empty()) return;
      call = d.Queue.front();
      d.Queue.pop_front();
    }
    RunCall(call);
  }
}
