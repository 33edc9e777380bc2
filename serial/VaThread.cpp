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

struct SyncCall {
  const TVaThread* Thread;
  const std::function<void()>* Method;
  bool Done = false;
};

// Calls waiting for the main thread, and the calls it is running now.
struct Dispatcher {
  std::mutex Lock;
  std::condition_variable Changed;
  std::deque<SyncCall*> Queue;
  std::vector<const TVaThread*> Running;  // main thread only; innermost last
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
  d.Running.push_back(call->Thread);
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

void TVaThread::SetPriority(TThreadPriority priority) {
  FPriority = priority;
  if (const Platform::ThreadId id = FThreadId; id != 0) Platform::SetThreadPriority(id, priority);
}

bool TVaThread::Finished() const {
  Dispatcher& d = TheDispatcher();
  std::lock_guard guard(d.Lock);
  return FFinished;
}

bool TVaThread::InSynchronizedCall() const {
  const auto& running = TheDispatcher().Running;
  return IsMainThread() && std::find(running.begin(), running.end(), this) != running.end();
}

bool TVaThread::WaitFor() {
  if (!FThread.joinable()) return true;
  if (InSynchronizedCall()) return false;
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
  SyncCall call{this, &method};
  std::unique_lock lock(d.Lock);
  d.Queue.push_back(&call);
  // The wake comes after the lock is released: a main thread woken while it
  // is still held would only sleep again on the lock.
  lock.unlock();
  WakeMainThread();
  d.Changed.notify_all();  // a main-thread WaitFor serves the call too
  lock.lock();
  d.Changed.wait(lock, [&] { return call.Done; });
}

void TVaThread::Run() {
  FThreadId = Platform::CurrentThreadId();
  if (FPriority != tpNormal) Platform::SetThreadPriority(FThreadId, FPriority);
  try {
    Execute();
  } catch (...) {
    const std::exception_ptr error = std::current_exception();
    Synchronize([error] {
      try {
        std::rethrow_exception(error);
      } catch (...) {
        HandleCurrentException();
      }
    });
  }
  {
    std::lock_guard guard(TheDispatcher().Lock);
    FFinished = true;
  }
  TheDispatcher().Changed.notify_all();
}
