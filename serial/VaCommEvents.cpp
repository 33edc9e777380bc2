// The port component's side of the event dispatch: received bytes, the
// handlers of the other events, listeners, and the report of a lost device.
#include <algorithm>
#include <vector>

#include "serial/VaComm.h"
#include "serial/VaDisplay.h"
#include "serial/internal/CommConstants.h"
#include "serial/internal/Platform.h"
#include "serial/internal/VaFormat.h"

using namespace CommConst;

namespace {

// "Connection to device X lost (Error N, text)"; a resolver's text stands
// alone, its number is no system's; a hint follows after a semicolon.
std::string LossMessage(const std::string& path, int code, const std::string& hint) {
  const std::string cause = Platform::IsResolverError(code)
                                ? Platform::SysErrorMessage(code)
                                : FormatArgs("Error %d, %s", {std::to_string(code), Platform::SysErrorMessage(code)});
  std::string message = "Connection to device " + path + " lost (" + cause + ")";
  if (!hint.empty()) message += "; " + hint;
  return message;
}

void Fire(const TVaNotifyEvent& handler, TVaCustomComm* sender, uint32_t mask, uint32_t bit) {
  if ((mask & bit) && handler) handler(sender);
}

}  // namespace

void TVaCustomComm::UpdateDisplay() {
  if (FDisplay != nullptr) FDisplay->Refresh(this);
}

bool TVaCustomComm::WantsTxEmpty() const { return bool(OnTxEmpty) || (FListenerNotification && !FListeners.empty()); }

void TVaCustomComm::DoRxChar() {
  const int count = InQueCount();
  if (count <= 0) return;
  if (!FListeners.empty()) {
    std::vector<uint8_t> block(size_t(count), 0);
    const int read = ReadBuf(block.data(), count);
    DoRxBuf(block.data(), read);
  } else if (OnRxChar) {
    // The handler reads the bytes itself; what it leaves is counted again next time.
    OnRxChar(this, count);
  }
}

void TVaCustomComm::HandleEvents(uint32_t Mask) {
  if (Mask & EV_ERR) DoError();
  if (!FListeners.empty()) NotifyListeners(Mask);
  Fire(OnRxFlag, this, Mask, EV_RXFLAG);
  Fire(OnCts, this, Mask, EV_CTS);
  Fire(OnDsr, this, Mask, EV_DSR);
  Fire(OnRing, this, Mask, EV_RING);
  Fire(OnRlsd, this, Mask, EV_RLSD);
  Fire(OnTxEmpty, this, Mask, EV_TXEMPTY);
  Fire(OnBreak, this, Mask, EV_BREAK);
  Fire(OnPErr, this, Mask, EV_PERR);
  Fire(OnRx80Full, this, Mask, EV_RX80FULL);
  Fire(OnEvent1, this, Mask, EV_EVENT1);
  Fire(OnEvent2, this, Mask, EV_EVENT2);
}

void TVaCustomComm::DoError() {
  TVaComStat stat;
  GetComStat(stat);
  const uint32_t errors = stat.Errors | FUnreportedErrors;
  FUnreportedErrors = 0;
  if (errors == 0 || !OnError) return;
  try {
    OnError(this, int(errors));
  } catch (...) {
    HandleCurrentException();
  }
}

void TVaCustomComm::NotifyListeners(uint32_t Mask) {
  if (!FListenerNotification) return;
  const std::vector<TVaCommListener*> listeners = FListeners;  // a handler may detach
  for (TVaCommListener* listener : listeners) {
    if (listener->Enabled && listener->OnEvent) listener->OnEvent(Mask);
  }
}

void TVaCustomComm::DoRxBuf(const void* Data, int Count) {
  const std::vector<TVaCommListener*> listeners = FListeners;
  for (TVaCommListener* listener : listeners) {
    if (listener->Enabled && listener->OnData) listener->OnData(Data, Count);
  }
  if (OnRxBuf) OnRxBuf(this, Data, Count);
}

void TVaCustomComm::AttachListener(TVaCommListener* Listener) {
  if (Listener == nullptr || Listener->FComm == this) return;
  if (Listener->FComm != nullptr) Listener->FComm->DetachListener(Listener);
  Listener->FComm = this;
  FListeners.push_back(Listener);
}

void TVaCustomComm::DetachListener(TVaCommListener* Listener) {
  auto found = std::find(FListeners.begin(), FListeners.end(), Listener);
  if (found == FListeners.end()) return;
  FListeners.erase(found);
  Listener->FComm = nullptr;
}

TVaCommListener::~TVaCommListener() {
  if (FComm != nullptr) FComm->DetachListener(this);
}

void TVaCustomComm::ReportDeviceLost() {
  if (FLostReported || !Active()) return;
  FLostReported = true;
  const int code = Platform::CommLostError(FHandle);
  uint32_t errors = FUnreportedErrors;
  FUnreportedErrors = 0;
  if (Platform::CommStat stat; Platform::ClearCommError(FHandle, stat)) errors |= stat.Errors;
  if (OnError) {
    try {
      OnError(this, int(errors));
    } catch (...) {
      HandleCurrentException();
    }
  }
  HandleApplicationException(EVaCommError(LossMessage(FOpenPath, code, DeviceHint()), TVaCommErrorKind::Lost, code));
}

std::string TVaCustomComm::DeviceHint() const { return Platform::CommHint(FHandle); }

void TVaCustomComm::ReportDeviceNotices() {
  if (!Active()) return;
  const std::string notice = Platform::TakeCommNotice(FHandle);
  if (!notice.empty()) HandleApplicationException(EVaCommError(notice, TVaCommErrorKind::SettingsRefused));
}
