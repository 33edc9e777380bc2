#pragma once
// The unit VaComm: the serial port component. TVaCustomComm holds all of its
// behaviour: configuration in properties, Open and Close, buffered or direct
// writes, reads from the receive queue, status and purge, and the handlers
// that its event and write threads call on the main thread. TVaComm is the
// class programs use; it also serves the link as its BytePort. The whole
// interface stays public though this program uses a part of it (listeners,
// a status display, statistics, streaming in VaStream.h): the component is
// meant for other programs too, and its own tests hold every part to its word.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/BytePort.h"
#include "base/Exception.h"
#include "serial/VaClasses.h"
#include "serial/VaComStat.h"
#include "serial/VaCommError.h"
#include "serial/VaPrst.h"
#include "serial/VaSet.h"

// The open device of the platform binding, opaque here.
namespace Platform {
struct Comm;
}

enum TVaBaudrate : uint8_t {
  brUser,
  br110,
  br300,
  br600,
  br1200,
  br2400,
  br4800,
  br9600,
  br14400,
  br19200,
  br38400,
  br56000,
  br57600,
  br115200,
  br128000,
  br256000
};
enum TVaParity : uint8_t { paNone, paOdd, paEven, paMark, paSpace };
enum TVaDatabits : uint8_t { db4, db5, db6, db7, db8 };
enum TVaStopbits : uint8_t { sb1, sb15, sb2 };
enum TVaCommOption : uint8_t { coErrorChar, coNullStrip, coParityCheck };
enum TVaCommEvent : uint8_t {
  ceBreak,
  ceCts,
  ceDsr,
  ceError,
  ceRing,
  ceRlsd,
  ceRxChar,
  ceTxEmpty,
  ceRxFlag,
  cePErr,
  ceRx80Full,
  ceEvent1,
  ceEvent2
};
using TVaCommOptions = TVaSet<TVaCommOption, uint8_t>;
using TVaCommEvents = TVaSet<TVaCommEvent, uint16_t>;
using TVaPortInt = int32_t;  // 0 .. 2147483647

class TVaCustomComm;
class TVaDisplay;
class TVaCommEventThread;
class TVaCommWriteThread;
class TVaThread;

using TVaNotifyEvent = std::function<void(TVaCustomComm* Sender)>;
using TVaCommErrorEvent = std::function<void(TVaCustomComm* Sender, int Errors)>;
using TVaCommRxCharEvent = std::function<void(TVaCustomComm* Sender, int Count)>;
using TVaCommRxBufEvent = std::function<void(TVaCustomComm* Sender, const void* Data, int Count)>;

// Something that follows a port's events and received data besides its own
// handlers. While listeners are attached, received bytes are read by the port
// and handed to them (and to OnRxBuf) instead of OnRxChar.
class TVaCommListener {
public:
  TVaCommListener() = default;
  TVaCommListener(const TVaCommListener&) = delete;
  TVaCommListener& operator=(const TVaCommListener&) = delete;
  ~TVaCommListener();  // detaches itself

  bool Enabled = true;
  std::function<void(uint32_t Mask)> OnEvent;
  std::function<void(const void* Data, int Count)> OnData;
  TVaCustomComm* Comm() const { return FComm; }

private:
  friend class TVaCustomComm;
  TVaCustomComm* FComm = nullptr;
};

class TVaCustomComm : public TVaComponent, public BytePort {
public:
  explicit TVaCustomComm(TVaComponent* AOwner = nullptr);
  ~TVaCustomComm() override;

  void Loaded() override;

  bool Active() const { return FHandle != nullptr; }
  // True once the open device went away and that was reported (until the next Open).
  bool DeviceLost() const { return FLostReported; }
  // For a line behind a network server that does not answer as it should:
  // what the port suspects (the server speaks another protocol); else empty.
  std::string DeviceHint() const;
  // Hands what the device has to tell its user (a network server refused the
  // line's settings) to the exception display, each once. On the main thread.
  void ReportDeviceNotices();
  void Open();
  void Close();
  // Raises "Can't perform this operation while port is open" when open.
  void CheckClosed() const;

  // BytePort. Closed port (or a device that went away): 0, nothing raised.
  int WriteBuf(const void* Data, int Count) override;
  int ReadBuf(void* Data, int Count) override;
  void PurgeRead() override;
  void ExpectBytes(int Count) override;

  int InQueCount();
  void GetComStat(TVaComStat& Stat);
  void Purge(uint32_t Flags);

  // DeviceName formatted with PortNum; on the NT family with "\\.\" in front.
  std::string GetDevicePath() const;
  // The path the open device was opened by (empty while closed).
  const std::string& OpenPath() const { return FOpenPath; }
  // The comm events the device is asked to report (computed from MonitorEvents).
  uint32_t EventMask() const { return FEventMask; }

  void AttachListener(TVaCommListener* Listener);
  void DetachListener(TVaCommListener* Listener);
  bool ListenerNotification() const { return FListenerNotification; }
  void SetListenerNotification(bool value) { FListenerNotification = value; }

  // --- properties ---------------------------------------------------------------
  bool AutoOpen() const { return FAutoOpen; }
  void SetAutoOpen(bool value) { FAutoOpen = value; }
  TVaBaudrate Baudrate() const { return FBaudrate; }
  void SetBaudrate(TVaBaudrate value);
  TVaParity Parity() const { return FParity; }
  void SetParity(TVaParity value);
  TVaDatabits Databits() const { return FDatabits; }
  void SetDatabits(TVaDatabits value);
  TVaStopbits Stopbits() const { return FStopbits; }
  void SetStopbits(TVaStopbits value);
  TVaEventChars& EventChars() { return FEventChars; }
  const TVaEventChars& EventChars() const { return FEventChars; }
  void SetEventChars(const TVaEventChars& value) { FEventChars.Assign(value); }
  TVaFlowControl& FlowControl() { return FFlowControl; }
  const TVaFlowControl& FlowControl() const { return FFlowControl; }
  void SetFlowControl(const TVaFlowControl& value) { FFlowControl.Assign(value); }
  TVaCommOptions Options() const { return FOptions; }
  void SetOptions(TVaCommOptions value);
  TVaPortInt PortNum() const { return FPortNum; }
  void SetPortNum(TVaPortInt value);
  const std::string& DeviceName() const { return FDeviceName; }
  void SetDeviceName(const std::string& value);
  TVaCommEvents MonitorEvents() const { return FMonitorEvents; }
  void SetMonitorEvents(TVaCommEvents value);
  TVaBuffers& Buffers() { return FBuffers; }
  const TVaBuffers& Buffers() const { return FBuffers; }
  void SetBuffers(const TVaBuffers& value);
  TThreadPriority EventPriority() const { return FEventPriority; }
  void SetEventPriority(TThreadPriority value);
  TThreadPriority WritePriority() const { return FWritePriority; }
  void SetWritePriority(TThreadPriority value);
  bool DirectWrite() const { return FDirectWrite; }
  void SetDirectWrite(bool value);
  bool UpdateDCB() const { return FUpdateDCB; }
  void SetUpdateDCB(bool value);
  int32_t UserBaudrate() const { return FUserBaudrate; }
  void SetUserBaudrate(int32_t value);
  TVaDisplay* Display() const { return FDisplay; }
  void SetDisplay(TVaDisplay* value);
  std::string Version() const;
  void SetVersion(const std::string&) {}  // the version cannot be set

  // --- events (handlers run on the main thread) -------------------------------------
  TVaNotifyEvent OnOpen;
  TVaNotifyEvent OnClose;
  TVaNotifyEvent OnCts;
  TVaNotifyEvent OnDsr;
  TVaNotifyEvent OnRlsd;
  TVaNotifyEvent OnRing;
  TVaNotifyEvent OnBreak;
  TVaCommErrorEvent OnError;
  TVaCommRxCharEvent OnRxChar;
  TVaNotifyEvent OnRxFlag;
  TVaCommRxBufEvent OnRxBuf;
  TVaNotifyEvent OnTxEmpty;
  TVaNotifyEvent OnPErr;
  TVaNotifyEvent OnRx80Full;
  TVaNotifyEvent OnEvent1;
  TVaNotifyEvent OnEvent2;

protected:
  void Notification(TVaComponent* AComponent, TOperation Operation) override;

  virtual void OpenDevice();
  virtual void CreateThreads();
  virtual void DoRxChar();
  virtual void HandleEvents(uint32_t Mask);
  virtual void NotifyListeners(uint32_t Mask);
  virtual void DoRxBuf(const void* Data, int Count);

  void ApplyDCB();
  void ApplyBuffers();
  void ApplyTimeouts();
  void ApplyEventMask();
  // Raises EVaCommError with the message filled with the OS's last error code
  // and text; its kind is Lost when the device went away, else what the code
  // says, else `Kind`.
  [[noreturn]] void RaiseCommError(const char* Message, TVaCommErrorKind Kind) const;
  void CheckCommResult(bool Ok, const char* Message, TVaCommErrorKind Kind) const;

private:
  // What the port's event and write threads call back.
  class ThreadSide;

  void DoOpen();
  void DoClose();
  void DoError();
  void UpdateDisplay();
  // Whether a transmit-empty report would reach a handler or listener.
  bool WantsTxEmpty() const;
  // Tells OnError and the exception display, once per open, that the device went away.
  void ReportDeviceLost();
  void StopThreads();
  void FinishThread(std::unique_ptr<TVaThread> thread);
  void ReapRetiredThreads(bool destroying);
  void CloseHandle();
  template <typename T>
  void SetLineSetting(T& field, T value);

  Platform::Comm* FHandle = nullptr;
  std::unique_ptr<ThreadSide> FThreadSide;
  TVaCriticalSection FWriteLock;  // direct writes from several threads
  TVaCriticalSection FReadLock;
  std::unique_ptr<TVaCommEventThread> FEventThread;
  std::unique_ptr<TVaCommWriteThread> FWriteThread;
  // Threads stopped from inside their own handler: they end once it returns.
  std::vector<TVaThread*> FRetiredThreads;
  uint32_t FEventMask = 0;
  bool FAutoOpen = false;
  TVaPortInt FPortNum = 0;
  std::string FDeviceName = "COM%d";
  TVaCommEvents FMonitorEvents{ceError, ceRxChar, ceTxEmpty};
  TVaBuffers FBuffers;
  TThreadPriority FEventPriority = tpNormal;
  TThreadPriority FWritePriority = tpHighest;
  bool FDirectWrite = false;
  bool FListenerNotification = true;
  std::vector<TVaCommListener*> FListeners;
  TVaBaudrate FBaudrate = br1200;
  TVaParity FParity = paNone;
  TVaDatabits FDatabits = db8;
  TVaStopbits FStopbits = sb1;
  TVaCommOptions FOptions;
  TVaFlowControl FFlowControl;
  TVaEventChars FEventChars;
  bool FUpdateDCB = true;
  int32_t FUserBaudrate = 0;
  TVaDisplay* FDisplay = nullptr;
  std::string FOpenPath;
  uint32_t FUnreportedErrors = 0;  // line errors read by InQueCount, kept for OnError
  bool FLostReported = false;
};

// The component as programs place it: all properties published for streaming.
class TVaComm : public TVaCustomComm {
public:
  using TVaCustomComm::TVaCustomComm;
};
