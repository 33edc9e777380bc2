// The port component: construction, properties, Open and Close, and the
// settings it writes to the device.
#include "serial/VaComm.h"

#include <algorithm>
#include <new>

#include "serial/VaDisplay.h"
#include "serial/internal/CommConstants.h"
#include "serial/internal/VaCommThreads.h"
#include "serial/internal/VaFormat.h"

using namespace CommConst;

namespace {

// The operating-system values of the enumerations; brUser has none (UserBaudrate is used).
const uint32_t VaBaudrateValues[16] = {0,     110,   300,   600,   1200,  2400,   4800,   9600,
                                       14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};

const uint32_t VaCommEventBits[13] = {EV_BREAK,   EV_CTS,    EV_DSR,  EV_ERR,      EV_RING,   EV_RLSD,  EV_RXCHAR,
                                      EV_TXEMPTY, EV_RXFLAG, EV_PERR, EV_RX80FULL, EV_EVENT1, EV_EVENT2};

uint32_t CommEventMask(TVaCommEvents events) {
  uint32_t mask = 0;
  for (int event = ceBreak; event <= ceEvent2; ++event) {
    if (events.Contains(TVaCommEvent(event))) mask |= VaCommEventBits[event];
  }
  return mask;
}

uint32_t CommOptionFlags(TVaCommOptions options) {
  uint32_t flags = 0;
  if (options.Contains(coErrorChar)) flags |= DCB_ErrorChar;
  if (options.Contains(coNullStrip)) flags |= DCB_Null;
  if (options.Contains(coParityCheck)) flags |= DCB_Parity;
  return flags;
}

constexpr uint32_t PackedVersion = 0x01030800;  // 1.3.8.0, highest byte first
constexpr int PlatformNt = 2;
constexpr uint32_t ClosePauseMs = 300;

template <typename T>
void CheckRange(T value, T last) {
  if (value > last) throw Exception("Invalid property value");
}

}  // namespace

// --- construction ------------------------------------------------------------------

class TVaCustomComm::ThreadSide final : public TVaCommThreadOwner {
public:
  explicit ThreadSide(TVaCustomComm& comm) : FComm(comm) {}

  Platform::Comm* Device() const override { return FComm.FHandle; }
  int WriteTimeout() const override { return FComm.FBuffers.WriteTimeout(); }
  bool WantsTxEmpty() const override { return FComm.WantsTxEmpty(); }
  void UpdateDisplay() override { FComm.UpdateDisplay(); }
  void DoRxChar() override { FComm.DoRxChar(); }
  void HandleEvents(uint32_t mask) override { FComm.HandleEvents(mask); }
  void ReportDeviceLost() override { FComm.ReportDeviceLost(); }

private:
  TVaCustomComm& FComm;
};

TVaCustomComm::TVaCustomComm(TVaComponent* AOwner)
    : TVaComponent(AOwner), FThreadSide(std::make_unique<ThreadSide>(*this)) {
  FBuffers.OnChange = [this](TVaPersistent*) {
    CheckClosed();
    ApplyBuffers();
    ApplyDCB();
  };
  FEventChars.OnChange = [this](TVaPersistent*) { ApplyDCB(); };
  FFlowControl.OnChange = [this](TVaPersistent*) { ApplyDCB(); };
}

TVaCustomComm::~TVaCustomComm() {
  MarkDestroying();
  Close();
  ReapRetiredThreads(true);
  while (!FListeners.empty()) DetachListener(FListeners.back());
}

void TVaCustomComm::Loaded() {
  TVaComponent::Loaded();
  if (!Designing() && FAutoOpen) Open();
}

void TVaCustomComm::Notification(TVaComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && FDisplay != nullptr && AComponent == FDisplay) FDisplay = nullptr;
  TVaComponent::Notification(AComponent, Operation);
}

// --- properties --------------------------------------------------------------------

template <typename T>
void TVaCustomComm::SetLineSetting(T& field, T value) {
  // A setting the device refuses: it keeps its old one, so does the property.
  SetAndApply(field, value, [this] { ApplyDCB(); });
}

void TVaCustomComm::SetBaudrate(TVaBaudrate value) {
  CheckRange(value, br256000);
  if (value == FBaudrate) return;
  const int32_t oldUser = FUserBaudrate;
  if (value != brUser) FUserBaudrate = 0;
  try {
    SetLineSetting(FBaudrate, value);
  } catch (...) {
    FUserBaudrate = oldUser;
    throw;
  }
}

void TVaCustomComm::SetUserBaudrate(int32_t value) {
  if (value == FUserBaudrate) return;
  const TVaBaudrate oldBaudrate = FBaudrate;
  FBaudrate = brUser;
  try {
    SetLineSetting(FUserBaudrate, value);
  } catch (...) {
    FBaudrate = oldBaudrate;
    throw;
  }
}

void TVaCustomComm::SetParity(TVaParity value) {
  CheckRange(value, paSpace);
  SetLineSetting(FParity, value);
}

void TVaCustomComm::SetDatabits(TVaDatabits value) {
  CheckRange(value, db8);
  SetLineSetting(FDatabits, value);
}

void TVaCustomComm::SetStopbits(TVaStopbits value) {
  CheckRange(value, sb2);
  SetLineSetting(FStopbits, value);
}

void TVaCustomComm::SetOptions(TVaCommOptions value) { SetLineSetting(FOptions, value); }

void TVaCustomComm::SetPortNum(TVaPortInt value) {
  CheckClosed();
  FPortNum = value;
}

void TVaCustomComm::SetDeviceName(const std::string& value) {
  CheckClosed();
  FDeviceName = value;
}

void TVaCustomComm::SetMonitorEvents(TVaCommEvents value) {
  CheckClosed();
  FMonitorEvents = value;
}

void TVaCustomComm::SetBuffers(const TVaBuffers& value) {
  CheckClosed();
  FBuffers.Assign(value);
}

void TVaCustomComm::SetEventPriority(TThreadPriority value) {
  CheckRange(value, tpTimeCritical);
  if (value == FEventPriority) return;
  FEventPriority = value;
  if (FEventThread) FEventThread->SetPriority(value);
}

void TVaCustomComm::SetWritePriority(TThreadPriority value) {
  CheckRange(value, tpTimeCritical);
  if (value == FWritePriority) return;
  FWritePriority = value;
  if (FWriteThread) FWriteThread->SetPriority(value);
}

void TVaCustomComm::SetDirectWrite(bool value) {
  CheckClosed();
  FDirectWrite = value;
}

void TVaCustomComm::SetUpdateDCB(bool value) {
  CheckClosed();
  FUpdateDCB = value;
}

void TVaCustomComm::SetDisplay(TVaDisplay* value) {
  if (value == FDisplay) return;
  if (FDisplay != nullptr) RemoveFreeNotification(FDisplay);
  FDisplay = value;
  if (FDisplay != nullptr) FreeNotification(FDisplay);
}

std::string TVaCustomComm::Version() const {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    if (!text.empty()) text += '.';
    text += std::to_string((PackedVersion >> shift) & 0xFF);
  }
  return text;
}

// --- errors ------------------------------------------------------------------------

namespace {

// The exception's kind for what the binding read from an error code; `otherwise`
// when the code says nothing of the device.
TVaCommErrorKind KindOf(Platform::ErrorMeaning meaning, TVaCommErrorKind otherwise) {
  switch (meaning) {
    case Platform::ErrorMeaning::NotFound: return TVaCommErrorKind::NotFound;
    case Platform::ErrorMeaning::NoPermission: return TVaCommErrorKind::NoPermission;
    case Platform::ErrorMeaning::Busy: return TVaCommErrorKind::Busy;
    case Platform::ErrorMeaning::Lost: return TVaCommErrorKind::Lost;
    case Platform::ErrorMeaning::Other: break;
  }
  return otherwise;
}

}  // namespace

void TVaCustomComm::RaiseCommError(const char* Message, TVaCommErrorKind Kind) const {
  const int code = Platform::LastError();
  const TVaCommErrorKind kind =
      Platform::CommLost(FHandle) ? TVaCommErrorKind::Lost : KindOf(Platform::DeviceErrorMeaning(code), Kind);
  throw EVaCommError(FormatArgs(Message, {std::to_string(code), Platform::SysErrorMessage(code)}), kind, code);
}

void TVaCustomComm::CheckCommResult(bool Ok, const char* Message, TVaCommErrorKind Kind) const {
  if (!Ok) RaiseCommError(Message, Kind);
}

void TVaCustomComm::CheckClosed() const {
  if (Active()) throw EVaCommError("Can't perform this operation while port is open", TVaCommErrorKind::PortOpen);
}

// --- open and close ------------------------------------------------------------------

std::string TVaCustomComm::GetDevicePath() const {
  std::string path = FormatArgs(FDeviceName, {std::to_string(FPortNum)});
  if (Platform::PlatformId() == PlatformNt) path = "\\\\.\\" + path;
  return path;
}

void TVaCustomComm::OpenDevice() {
  const std::string path = Platform::ResolveDevicePath(GetDevicePath());
  Platform::Comm* handle = Platform::OpenComm(path);
  if (handle == nullptr) {
    const int code = Platform::LastError();
    const TVaCommErrorKind kind = KindOf(Platform::OpenErrorMeaning(code), TVaCommErrorKind::InputOutput);
    if (kind == TVaCommErrorKind::NotFound) {
      throw EVaCommError(FormatArgs("Specified device not found (%s).", {path}), kind, code);
    }
    throw EVaCommError(FormatArgs("Can't open specified device %s (Error %d, %s)",
                                  {path, std::to_string(code), Platform::SysErrorMessage(code)}),
                       kind, code);
  }
  FHandle = handle;
  FOpenPath = path;
}

void TVaCustomComm::Open() {
  CheckClosed();
  ReapRetiredThreads(false);
  OpenDevice();
  try {
    ApplyDCB();
    ApplyBuffers();
    ApplyTimeouts();
    ApplyEventMask();
    CreateThreads();
  } catch (...) {
    StopThreads();  // a thread must never outlive the handle it works on
    CloseHandle();
    throw;
  }
  FLostReported = false;
  FUnreportedErrors = 0;
  DoOpen();
}

void TVaCustomComm::CreateThreads() {
  if (FEventMask != 0) {
    FEventThread = std::make_unique<TVaCommEventThread>(FThreadSide.get());
    FEventThread->SetPriority(FEventPriority);
    FEventThread->Start();
  }
  if (FDirectWrite) return;
  try {
    FWriteThread = std::make_unique<TVaCommWriteThread>(FThreadSide.get(), FBuffers.WriteSize());
  } catch (const std::bad_alloc&) {
    const int code = Platform::OutOfMemoryError();
    throw EVaCommError(
        FormatArgs("Error initializing buffers (%d), %s", {std::to_string(code), Platform::SysErrorMessage(code)}),
        TVaCommErrorKind::SettingsRefused, code);
  }
  FWriteThread->SetPriority(FWritePriority);
  FWriteThread->Start();
}

void TVaCustomComm::DoOpen() {
  if (!OnOpen) return;
  try {
    OnOpen(this);
  } catch (...) {
    HandleCurrentException();
  }
}

void TVaCustomComm::Close() {
  ReapRetiredThreads(false);
  if (!Active()) return;
  {
    std::lock_guard guard(FReadLock);
    StopThreads();
  }
  CloseHandle();
  DoClose();
  Platform::Sleep(ClosePauseMs);
}

void TVaCustomComm::CloseHandle() {
  Platform::CloseComm(FHandle);
  FHandle = nullptr;
  FOpenPath.clear();
}

void TVaCustomComm::DoClose() {
  if (!Destroying() && OnClose) OnClose(this);
}

void TVaCustomComm::StopThreads() {
  if (FEventThread) {
    FEventThread->Stop();
    FinishThread(std::move(FEventThread));
  }
  if (FWriteThread) {
    FWriteThread->Stop();
    FinishThread(std::move(FWriteThread));
  }
}

// A thread whose handler is running right now (Close called from inside that
// handler) cannot end before the handler returns; it ends on its own then and
// is freed later.
void TVaCustomComm::FinishThread(std::unique_ptr<TVaThread> thread) {
  if (!thread->WaitFor()) FRetiredThreads.push_back(thread.release());
}

void TVaCustomComm::ReapRetiredThreads(bool destroying) {
  // On destruction a thread whose handler has returned is waited for: it ends
  // at once, and none is left running past its port.
  auto stillRunning = std::remove_if(FRetiredThreads.begin(), FRetiredThreads.end(), [destroying](TVaThread* thread) {
    if (destroying ? thread->InSynchronizedCall() : !thread->Finished()) return false;
    thread->WaitFor();
    delete thread;
    return true;
  });
  FRetiredThreads.erase(stillRunning, FRetiredThreads.end());
  if (!destroying) return;
  // Destroyed from inside its own handler: the thread's object must outlive it.
  for (TVaThread* thread : FRetiredThreads) thread->Detach();
  FRetiredThreads.clear();
}

// --- device settings -------------------------------------------------------------------

void TVaCustomComm::ApplyDCB() {
  if (!Active() || !FUpdateDCB) return;
  Platform::CommDcb dcb;
  Platform::GetCommState(FHandle, dcb);  // keeps what the block does not set
  dcb.BaudRate = FBaudrate == brUser ? uint32_t(FUserBaudrate) : VaBaudrateValues[FBaudrate];
  dcb.Parity = uint8_t(FParity);
  dcb.StopBits = uint8_t(FStopbits);
  dcb.ByteSize = uint8_t(FDatabits + 4);
  dcb.XonChar = char(FEventChars.XonChar());
  dcb.XoffChar = char(FEventChars.XoffChar());
  dcb.ErrorChar = char(FEventChars.ErrorChar());
  dcb.EofChar = char(FEventChars.EofChar());
  dcb.EvtChar = char(FEventChars.EventChar());
  dcb.XonLim = uint16_t(FBuffers.XonLimit());
  dcb.XoffLim = uint16_t(FBuffers.XoffLimit());
  dcb.Flags = DCB_Binary | FFlowControl.DcbFlags() | CommOptionFlags(FOptions);
  CheckCommResult(Platform::SetCommState(FHandle, dcb), "Error writing dcb (%d), %s",
                  TVaCommErrorKind::SettingsRefused);
}

void TVaCustomComm::ApplyBuffers() {
  if (!Active()) return;
  CheckCommResult(Platform::SetupComm(FHandle, uint32_t(FBuffers.ReadSize()), uint32_t(FBuffers.WriteSize())),
                  "Error initializing buffers (%d), %s", TVaCommErrorKind::SettingsRefused);
}

void TVaCustomComm::ApplyTimeouts() {
  if (!Active()) return;
  Platform::CommTimeouts timeouts;
  timeouts.ReadIntervalTimeout = MAXDWORD;  // reads return at once with what is queued
  CheckCommResult(Platform::SetCommTimeouts(FHandle, timeouts), "Error setting timeouts (%d), %s",
                  TVaCommErrorKind::SettingsRefused);
}

void TVaCustomComm::ApplyEventMask() {
  FEventMask = CommEventMask(FMonitorEvents);
  // The write thread reports transmit-empty itself.
  if (!FDirectWrite) FEventMask &= ~EV_TXEMPTY;
  if (Active()) {
    CheckCommResult(Platform::SetCommMask(FHandle, FEventMask), " Error setting EventMask (%d), %s",
                    TVaCommErrorKind::SettingsRefused);
  }
}
