#pragma once
// The port's two threads. The event thread waits for comm events and hands
// each one to the component's handlers on the main thread. It does not wait
// for them there: it waits for the device again at once, and for the handlers
// only before it hands over the next event, so that the main thread need not
// wake it when they are done. The write thread drains the write buffer to the
// device, so that WriteBuf returns without waiting for the line.
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "serial/internal/Platform.h"
#include "serial/internal/VaCommBuffer.h"
#include "serial/internal/VaSync.h"
#include "serial/internal/VaThread.h"

// What the threads use of the port they serve.
class TVaCommThreadOwner {
public:
  // The open device; it stays open while the threads run.
  virtual Platform::Comm* Device() const = 0;
  // How long a write waits for room in the write buffer, in milliseconds.
  virtual int WriteTimeout() const = 0;
  // Whether a transmit-empty report would reach anyone.
  virtual bool WantsTxEmpty() const = 0;
  // The handlers, called on the main thread.
  virtual void UpdateDisplay() = 0;
  virtual void DoRxChar() = 0;
  virtual void HandleEvents(uint32_t mask) = 0;
  virtual void ReportDeviceLost() = 0;

protected:
  ~TVaCommThreadOwner() = default;
};

class TVaCommEventThread : public TVaThread {
public:
  explicit TVaCommEventThread(TVaCommThreadOwner* owner) : FOwner(owner) {}
  // Ends a pending wait; the loop ends without dispatching.
  void Stop();

protected:
  void Execute() override;

private:
  void DoEvents(uint32_t mask);
  void ReportDeviceLost();

  TVaWaitEvent FEvent;
  TVaCommThreadOwner* FOwner;
};

class TVaCommWriteThread : public TVaThread {
public:
  TVaCommWriteThread(TVaCommThreadOwner* owner, int bufferSize) : FBuffer(bufferSize), FOwner(owner) {}
  void Stop();

  // On the caller's thread: queues the bytes, waiting up to the owner's
  // WriteTimeout for room. False when they did not fit; nothing is queued then.
  bool QueueData(const void* data, int count);
  // On the caller's thread: empties the buffer, ending a write in progress.
  // Waits up to 2000 ms for the thread; if it does not answer, the buffer stays.
  void PurgeBuffer();

protected:
  void Execute() override;

private:
  void WriteBuffered();
  void WriteCompleted(uint32_t written);
  void RemoveWritten(uint32_t written);
  void DropBuffer();
  void AnswerPurge();
  void HandleWriteFailure();
  void ReportOnMainThread(uint32_t mask);
  void ReportDeviceLost();

  TVaCommBuffer FBuffer;
  TVaWaitEvent DataReady;
  TVaWaitEvent StopRequest;
  TVaWaitEvent PurgeRequest;
  TVaWaitEvent PurgeDone;
  std::mutex FLock;                         // guards the buffer and the flags below
  std::condition_variable_any FSpaceFreed;  // with FLock
  bool FPurgeWanted = false;                // under FLock
  bool FReportTxEmpty = false;              // under FLock: someone listens to transmit-empty
  bool FFailing = false;                    // in a run of failed writes (thread only)
  uint32_t FRetryDelay = 0;                 // thread only
  TVaCommThreadOwner* FOwner;
};
