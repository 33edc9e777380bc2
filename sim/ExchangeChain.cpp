#include "ExchangeChain.h"

namespace Sim {

int PcReplyCode(int type, int ct) {
  switch (type) {
    case 1: return 1;
    case 2: return (ct == 14 || ct > 21) ? 14 : 2;
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 8:
    case 9: return type;
    case 10: return ct > 23 ? 15 : 10;
    case 14: return 2;
    case 15: return ct > 249 ? 17 : 10;
    case 16: return 10;
    case 17: return 18;
    case 18: return ct == 255 ? 19 : 20;
    case 19: return 20;
    default: return 0;
  }
}

ExchangeChain::Step ExchangeChain::OnRequest(int code) {
  if (code == StartExchangeCode) {
    position_ = 0;
    lastCode_ = code;
    return {Action::Send, ExchangeOrder[0]};
  }
  if (position_ < 0) return {};
  const int sentType = ExchangeOrder[position_];
  const int expected = PcReplyCode(sentType, controllerType_);
  if (expected != 0 && code == expected && position_ + 1 < static_cast<int>(ExchangeOrder.size())) {
    ++position_;
    lastCode_ = code;
    return {Action::Send, ExchangeOrder[position_]};
  }
  if (code == lastCode_) return {Action::SendAgain, sentType};
  return {};
}

}  // namespace Sim
