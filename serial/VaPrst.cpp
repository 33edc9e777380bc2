#include "serial/VaPrst.h"

#include <algorithm>
#include <iterator>

#include "base/Exception.h"
#include "serial/internal/CommConstants.h"

namespace {

void CheckNotNegative(TVaIntW value) {
  if (value < 0) throw Exception("Invalid property value");
}

// Copies `source` into `target` inside one update; on a refused change the
// old values come back.
template <typename T>
void AssignNotifying(T& target, const T& source, void (*copy)(T&, const T&)) {
  T old;
  copy(old, target);
  target.BeginUpdate();
  copy(target, source);
  try {
    target.EndUpdate();
  } catch (...) {
    copy(target, old);
    throw;
  }
}

}  // namespace

// --- TVaBuffers ------------------------------------------------------------------

void TVaBuffers::SetNotifying(TVaIntW& field, TVaIntW value) {
  CheckNotNegative(value);
  SetAndApply(field, value, [this] { Changed(); });
}

void TVaBuffers::SetReadTimeout(TVaIntW value) {
  CheckNotNegative(value);
  FReadTimeout = value;
}

void TVaBuffers::SetWriteTimeout(TVaIntW value) {
  CheckNotNegative(value);
  FWriteTimeout = value;
}

void TVaBuffers::Assign(const TVaPersistent& source) {
  const auto* other = dynamic_cast<const TVaBuffers*>(&source);
  if (other == nullptr) AssignError(source);
  AssignNotifying<TVaBuffers>(*this, *other, [](TVaBuffers& to, const TVaBuffers& from) {
    to.FReadSize = from.FReadSize;
    to.FWriteSize = from.FWriteSize;
    to.FReadTimeout = from.FReadTimeout;
    to.FWriteTimeout = from.FWriteTimeout;
    to.FXonLimit = from.FXonLimit;
    to.FXoffLimit = from.FXoffLimit;
  });
}

// --- TVaFlowControl --------------------------------------------------------------

void TVaFlowControl::Assign(const TVaPersistent& source) {
  const auto* other = dynamic_cast<const TVaFlowControl*>(&source);
  if (other == nullptr) AssignError(source);
  AssignNotifying<TVaFlowControl>(*this, *other, [](TVaFlowControl& to, const TVaFlowControl& from) {
    to.FOutCtsFlow = from.FOutCtsFlow;
    to.FOutDsrFlow = from.FOutDsrFlow;
    to.FControlDtr = from.FControlDtr;
    to.FControlRts = from.FControlRts;
    to.FXonXoffOut = from.FXonXoffOut;
    to.FXonXoffIn = from.FXonXoffIn;
    to.FDsrSensitivity = from.FDsrSensitivity;
    to.FTxContinueOnXoff = from.FTxContinueOnXoff;
  });
}

uint32_t TVaFlowControl::DcbFlags() const {
  using namespace CommConst;
  static constexpr uint32_t DtrBits[] = {0, DCB_DtrControlEnable, DCB_DtrControlHandshake};
  static constexpr uint32_t RtsBits[] = {0, DCB_RtsControlEnable, DCB_RtsControlHandshake, DCB_RtsControlToggle};
  uint32_t flags = DtrBits[std::min<size_t>(FControlDtr, std::size(DtrBits) - 1)] |
                   RtsBits[std::min<size_t>(FControlRts, std::size(RtsBits) - 1)];
  if (FOutCtsFlow) flags |= DCB_OutxCtsFlow;
  if (FOutDsrFlow) flags |= DCB_OutxDsrFlow;
  if (FXonXoffOut) flags |= DCB_OutX;
  if (FXonXoffIn) flags |= DCB_InX;
  if (FDsrSensitivity) flags |= DCB_DsrSensitivity;
  if (FTxContinueOnXoff) flags |= DCB_TXContinueOnXoff;
  return flags;
}

// --- TVaEventChars ---------------------------------------------------------------

void TVaEventChars::SetChar(int index, uint8_t value) {
  if (index < 1 || index > 5) throw Exception("Invalid property value");
  const uint8_t old = FChars[index - 1];
  FChars[index - 1] = value;
  try {
    Changed();
  } catch (...) {
    FChars[index - 1] = old;
    throw;
  }
}

void TVaEventChars::Assign(const TVaPersistent& source) {
  const auto* other = dynamic_cast<const TVaEventChars*>(&source);
  if (other == nullptr) AssignError(source);
  AssignNotifying<TVaEventChars>(*this, *other, [](TVaEventChars& to, const TVaEventChars& from) {
    std::copy(std::begin(from.FChars), std::end(from.FChars), std::begin(to.FChars));
  });
}
