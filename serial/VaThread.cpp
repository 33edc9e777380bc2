#include "serial/VaThread.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <vector>

#include "serial/VaClasses.h"

namespace {

const std::thread::id MainThreadId = std::this_thread::get_id();

using SyncCall = TVaSyncCall;

// Calls waiting for the main thread, and the calls it is running now.
struct Dispatcher {
  std::mutex Lock;
  std::condition_variable Changed;
  std::deque<SyncCall*> Queue;
  std::vector<const SyncCall*> Running;  // main thread only; innermost last
};

Dispatcher& TheDispatcher() {
  static Dispatcher dispatcher;
  return dispatcher;
}

std::atomic<MainThreadWake*> Wake{nullptr};

void WakeMainThread() {
  if (MainThreadWake* wake = Wake.load()) wake->Wake();
}

void RunCall(SyncCall* call) {
  Dispatcher& d = TheDispatcher();
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

// Caller holds the dispatcher's lock.
SyncCall* TakeCallOf(Dispatcher& d, const TVaThread* thread) {
  auto found = std::find_if(d.Queue.begin(), d.Queue.end(),
                            [thread](const SyncCall* call) { return call->Thread == thread; });
  if (found == d.Queue.end()) return nullptr;
  SyncCall* call = *found;
  d.Queue.erase(found);
  return call;
}

// The innermost call of `thread` that the main thread is running, if any.
const SyncCall* RunningCallOf(const TVaThread* thread) {
  if (!IsMainThread()) return nullptr;
  const auto& running = TheDispatcher().Running;
  auto found = std::find_if(running.rbegin(), running.rend(),
                            [thread](const SyncCall* call) { return call->Thread == thread; });
  return found == running.rend() ? nullptr : *found;
}

// Queues the call under the dispatcher's lock, held by `lock`, and wakes the
// main thread after releasing it: a main thread woken while the lock is still
// held would only sleep again on the lock. Returns with the lock released.
void QueueCall(std::unique_lock<std::mutex>& lock, SyncCall* call) {
  Dispatcher& d = TheDispatcher();
  d.Queue.push_back(call);
  lock.unlock();
  WakeMainThread();
  d.Changed.notify_all();  // a main-thread WaitFor serves the call too
}

}  // namespace

bool IsMainThread() { return std::this_thread::get_id() == MainThreadId; }

void SetMainThreadWake(MainThreadWake* wake) { Wake.store(wake); }

void CheckSynchronize() {
  Dispatcher& d = TheDispatcher();
  // Taken first in any case: whatever a waking thread made before it queued
  // its call (an event object of the wake, say) is then seen as made, also by
  // tools that cannot see inside the event loop.
  { std::lock_guard guard(d.Lock); }
  // Handlers run one at a time: calls queued while one runs (say, from a
  // message box inside a handler) wait for the outer loop below.
  if (!IsMainThread() || !d.Running.empty()) return;
  for (;;) {
    SyncCall* call = nullptr;
    {
      std::lock_guard guard(d.Lock);
      if (d.Queue.empty()) return;
      call = d.Queue.front();
      d.Queue.pop_front();
    }
    RunCall(call);
  }
}

TVaThread::TVaThread() = default;

TVaThread::~TVaThread() {
  if (!FThread.joinable()) return;
  Terminate();
  // Deleting a thread from inside its own synchronised call is a caller's
  // error; detaching at least keeps the process alive.
  if (!WaitFor()) FThread.detach();
}

void TVaThread::Start() {
  if (!FThread.joinable()) FThread = std::thread(&TVaThread::Run, this);
}

void TVaThread::Terminate() {
  FTerminated = true;
  Dispatcher& d = TheDispatcher();
  { std::lock_guard guard(d.Lock); }  // a waiter that saw the flag unset is in its wait now
  d.Changed.notify_all();
}

void TVaThread::SetPriority(TThreadPriority priority) {
  FPriority = priority;
  if (const Platform::ThreadId id = FThreadId; id != 0) Platform::SetThreadPriority(id, priority);
}

bool TVaThread::Finished() const {
  Dispatcher& d = TheDispatcher();
  std::lock_guard guard(d.Lock);
  return FFinished;
}

bool TVaThread::InSynchronizedCall() const { return RunningCallOf(this) != nullptr; }

bool TVaThread::WaitFor() {
  if (!FThread.joinable()) return true;
  if (const SyncCall* call = RunningCallOf(this)) {
    if (call->Posted && Terminated()) WaitUntilExecuteEnded();
    return false;
  }
  Dispatcher& d = TheDispatcher();
  const bool serve = IsMainThread();
  for (;;) {
    SyncCall* call = nullptr;
    {
      std::unique_lock lock(d.Lock);
      d.Changed.wait(lock, [&] {
        return FFinished || (serve && (call = TakeCallOf(d, this)) != nullptr);
      });
      if (call == nullptr) break;
    }
    RunCall(call);
  }
  FThread.join();
  return true;
}

void TVaThread::Detach() {
  if (FThread.joinable()) FThread.detach();
}

void TVaThread::Synchronize(const std::function<void()>& method) {
  if (IsMainThread()) {
    method();
    return;
  }
  Dispatcher& d = TheDispatcher();
  SyncCall call{this, &method, false, false};
  std::unique_lock lock(d.Lock);
  QueueCall(lock, &call);
  lock.lock();
  d.Changed.wait(lock, [&] { return call.Done; });
}

bool TVaThread::Post(const std::function<void()>& method) {
  if (IsMainThread()) {
    method();
    return true;
  }
  Dispatcher& d = TheDispatcher();
  std::unique_lock lock(d.Lock);
  d.Changed.wait(lock, [&] { return FPosted.Done || FTerminated; });
  if (FTerminated) return false;
  FPostedMethod = method;  // the main thread is done with the one before
  FPosted = SyncCall{this, &FPostedMethod, true, false};
  QueueCall(lock, &FPosted);
  return true;
}

bool TVaThread::WaitForPosted() {
  Dispatcher& d = TheDispatcher();
  std::unique_lock lock(d.Lock);
  d.Changed.wait(lock, [&] { return FPosted.Done || FTerminated; });
  return FPosted.Done;
}

void TVaThread::EndExecute() {
  {
    std::lock_guard guard(TheDispatcher().Lock);
    FExecuteEnded = true;
  }
  TheDispatcher().Changed.notify_all();
}

// On the main thread, inside this thread's posted call: the thread does not
// wait for the main thread once told to terminate, so it leaves Execute soon.
void TVaThread::WaitUntilExecuteEnded() {
  Dispatcher& d = TheDispatcher();
  std::unique_lock lock(d.Lock);
  d.Changed.wait(lock, [&] { return FExecuteEnded; });
}

void TVaThread::Run() {
  FThreadId = Platform::CurrentThreadId();
  if (FPriority != tpNormal) Platform::SetThreadPriority(FThreadId, FPriority);
  std::exception_ptr error;
  try {
    Execute();
  } catch (...) {
    error = std::current_exception();
  }
  EndExecute();
  if (error) {
    Synchronize([error] {
      try {
        std::rethrow_exception(error);
      } catch (...) {
        HandleCurrentException();
      }
    });
  }
  Dispatcher& d = TheDispatcher();
  {
    // The posted method lives in this object, which must outlive its call.
    std::unique_lock lock(d.Lock);
    d.Changed.wait(lock, [&] { return FPosted.Done; });
    FFinished = true;
  }
  d.Changed.notify_all();
}
