#include "serial/internal/VaCommThreads.h"

#include <algorithm>
#include <chrono>
#include <mutex>

#include "base/Exception.h"
#include "serial/internal/CommConstants.h"

using namespace CommConst;

namespace {

// A write that keeps failing is tried again after a pause that doubles up to a second.
constexpr uint32_t FirstRetryDelayMs = 50;
constexpr uint32_t LastRetryDelayMs = 1000;
constexpr uint32_t PurgeAnswerMs = 2000;

}  // namespace

// --- event thread ------------------------------------------------------------------

void TVaCommEventThread::Stop() {
  Terminate();
  FEvent.Signal();
}

void TVaCommEventThread::Execute() {
  while (!Terminated()) {
    uint32_t mask = 0;
    switch (Platform::WaitCommEvent(FOwner->Device(), mask, FEvent.Handle())) {
      case Platform::CommWait::Event: Post([this, mask] { DoEvents(mask); }); break;
      case Platform::CommWait::DeviceLost:
        ReportDeviceLost();
        // Nothing more will come from this device: sleep until Close stops us.
        FEvent.WaitFor(Platform::Infinite);
        break;
      case Platform::CommWait::Cancelled: break;
    }
  }
}

// After the events that came before it have been handled.
void TVaCommEventThread::ReportDeviceLost() {
  if (!WaitForPosted()) return;
  Synchronize([this] {
    if (!Terminated()) FOwner->ReportDeviceLost();
  });
}

// On the main thread. A Close from inside a handler stops the rest of the dispatch.
void TVaCommEventThread::DoEvents(uint32_t mask) {
  if (Terminated()) return;
  try {
    FOwner->UpdateDisplay();
    if (mask & EV_RXCHAR) {
      FOwner->DoRxChar();
      mask &= ~EV_RXCHAR;
    }
    if (mask != 0 && !Terminated()) FOwner->HandleEvents(mask);
  } catch (...) {
    HandleCurrentException();
  }
}

// --- write thread ----------------------------------------------------------------------

void TVaCommWriteThread::Stop() {
  Terminate();
  StopRequest.Signal();
}

void TVaCommWriteThread::Execute() {
  FRetryDelay = FirstRetryDelayMs;
  while (!Terminated()) {
    switch (WaitForAny({&StopRequest, &PurgeRequest, &DataReady}, Platform::Infinite)) {
      case 0:
        Terminate();  // bytes still in the buffer are not sent
        break;
      case 1: AnswerPurge(); break;
      case 2: WriteBuffered(); break;
      default:
        Terminate();  // the wait itself failed: nothing sensible is left to do
        break;
    }
  }
}

void TVaCommWriteThread::WriteBuffered() {
  const uint8_t* data = nullptr;
  int count = 0;
  {
    std::lock_guard guard(FLock);
    data = FBuffer.Data();
    count = FBuffer.Count();
    if (count == 0) DataReady.Reset();
  }
  if (count == 0) return;
  // Appends only add bytes behind Count and only this thread removes any, so
  // the bytes taken here stay in place while they are written.
  Platform::Event* const cancel[] = {StopRequest.Handle(), PurgeRequest.Handle()};
  const Platform::WriteResult result =
      Platform::WriteComm(FOwner->Device(), data, uint32_t(count), cancel, Platform::Infinite);
  switch (result.Status) {
    case Platform::WriteStatus::Completed:
      FFailing = false;
      FRetryDelay = FirstRetryDelayMs;
      WriteCompleted(result.Written);
      break;
    case Platform::WriteStatus::Cancelled:
    case Platform::WriteStatus::TimedOut:
      RemoveWritten(result.Written);  // the loop sees the stop or purge request next
      break;
    case Platform::WriteStatus::Failed:
      RemoveWritten(result.Written);
      HandleWriteFailure();
      break;
  }
}

// Deciding that the buffer is empty and resetting DataReady happen under the
// lock, so an append that lands in between is never lost.
void TVaCommWriteThread::WriteCompleted(uint32_t written) {
  bool report = false;
  {
    std::lock_guard guard(FLock);
    FBuffer.Remove(int(written));
    const bool empty = FBuffer.Count() == 0;
    if (empty) {
      DataReady.Reset();
    } else {
      DataReady.Signal();
    }
    report = empty && FReportTxEmpty;
  }
  FSpaceFreed.notify_all();
  if (report) ReportOnMainThread(EV_TXEMPTY);
}

void TVaCommWriteThread::RemoveWritten(uint32_t written) {
  if (written == 0) return;
  {
    std::lock_guard guard(FLock);
    FBuffer.Remove(int(written));
  }
  FSpaceFreed.notify_all();
}

void TVaCommWriteThread::DropBuffer() {
  {
    std::lock_guard guard(FLock);
    FBuffer.Clear();
    DataReady.Reset();
  }
  FSpaceFreed.notify_all();
}

// The buffer is emptied here, by the thread that writes from it, so that no
// write can be running from the bytes being dropped.
void TVaCommWriteThread::AnswerPurge() {
  bool wanted = false;
  {
    std::lock_guard guard(FLock);
    wanted = FPurgeWanted;
    FPurgeWanted = false;
    PurgeRequest.Reset();
  }
  if (wanted) DropBuffer();
  PurgeDone.Signal();
}

// A device that went away is reported once and its bytes are dropped. Any
// other failure is reported at the start of a run of failures and the same
// bytes are tried again after a pause, so a persisting failure neither spins
// nor floods the main thread.
void TVaCommWriteThread::HandleWriteFailure() {
  if (Platform::CommLost(FOwner->Device())) {
    DropBuffer();
    ReportDeviceLost();
    return;
  }
  if (!FFailing) {
    FFailing = true;
    ReportOnMainThread(EV_ERR);
  }
  WaitForAny({&StopRequest, &PurgeRequest}, FRetryDelay);
  FRetryDelay = std::min(FRetryDelay * 2, LastRetryDelayMs);
}

void TVaCommWriteThread::ReportOnMainThread(uint32_t mask) {
  Synchronize([this, mask] {
    if (Terminated()) return;
    try {
      FOwner->HandleEvents(mask);
    } catch (...) {
      HandleCurrentException();
    }
  });
}

void TVaCommWriteThread::ReportDeviceLost() {
  Synchronize([this] {
    if (!Terminated()) FOwner->ReportDeviceLost();
  });
}

bool TVaCommWriteThread::QueueData(const void* data, int count) {
  std::unique_lock lock(FLock);
  const int64_t capacity = FBuffer.Capacity();
  if (FBuffer.Count() + int64_t(count) > capacity) {
    // A caller that has to wait goes on only when a byte stays free afterwards.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(FOwner->WriteTimeout());
    const bool room =
        FSpaceFreed.wait_until(lock, deadline, [&] { return FBuffer.Count() + int64_t(count) < capacity; });
    if (!room) return false;
  }
  FBuffer.Append(data, count);
  // Taken here, on the caller's thread, where the handlers are set: without a
  // handler the drained buffer needs no trip to the main thread.
  FReportTxEmpty = FOwner->WantsTxEmpty();
  // Signalled once the lock is released, as the woken thread takes it first:
  // it would only sleep again on it. The thread empties the buffer and resets
  // the signal under the lock, so bytes appended here are never left unsignalled.
  lock.unlock();
  DataReady.Signal();
  return true;
}

void TVaCommWriteThread::PurgeBuffer() {
  PurgeDone.Reset();
  {
    std::lock_guard guard(FLock);
    FPurgeWanted = true;
  }
  PurgeRequest.Signal();
  if (PurgeDone.WaitFor(PurgeAnswerMs) == wrSignaled) return;
  // No answer: withdraw the request so that it cannot empty the buffer later.
  std::lock_guard guard(FLock);
  FPurgeWanted = false;
}
