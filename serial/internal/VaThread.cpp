#include "serial/internal/VaThread.h"

#include <exception>

#include "base/Exception.h"

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
  MainThreadDispatcher& d = TheDispatcher();
  { std::lock_guard guard(d.Lock); }  // a waiter that saw the flag unset is in its wait now
  d.Changed.notify_all();
}

void TVaThread::SetPriority(int priority) {
  FPriority = priority;
  if (const Platform::ThreadId id = FThreadId; id != 0) Platform::SetThreadPriority(id, priority);
}

bool TVaThread::Finished() const {
  MainThreadDispatcher& d = TheDispatcher();
  std::lock_guard guard(d.Lock);
  return FFinished;
}

bool TVaThread::InSynchronizedCall() const { return RunningCallOf(this) != nullptr; }

bool TVaThread::WaitFor() {
  if (!FThread.joinable()) return true;
  if (const MainThreadCall* call = RunningCallOf(this)) {
    if (call->Posted && Terminated()) WaitUntilExecuteEnded();
    return false;
  }
  MainThreadDispatcher& d = TheDispatcher();
  const bool serve = IsMainThread();
  for (;;) {
    MainThreadCall* call = nullptr;
    {
      std::unique_lock lock(d.Lock);
      d.Changed.wait(lock, [&] { return FFinished || (serve && (call = TakeCallOf(d, this)) != nullptr); });
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
  MainThreadDispatcher& d = TheDispatcher();
  MainThreadCall call{this, &method, false, false};
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
  MainThreadDispatcher& d = TheDispatcher();
  std::unique_lock lock(d.Lock);
  d.Changed.wait(lock, [&] { return FPosted.Done || FTerminated; });
  if (FTerminated) return false;
  FPostedMethod = method;  // the main thread is done with the one before
  FPosted = MainThreadCall{this, &FPostedMethod, true, false};
  QueueCall(lock, &FPosted);
  return true;
}

bool TVaThread::WaitForPosted() {
  MainThreadDispatcher& d = TheDispatcher();
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
  MainThreadDispatcher& d = TheDispatcher();
  std::unique_lock lock(d.Lock);
  d.Changed.wait(lock, [&] { return FExecuteEnded; });
}

void TVaThread::Run() {
  FThreadId = Platform::CurrentThreadId();
  if (FPriority != NormalPriority) Platform::SetThreadPriority(FThreadId, FPriority);
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
  MainThreadDispatcher& d = TheDispatcher();
  {
    // The posted method lives in this object, which must outlive its call.
    std::unique_lock lock(d.Lock);
    d.Changed.wait(lock, [&] { return FPosted.Done; });
    FFinished = true;
  }
  d.Changed.notify_all();
}
