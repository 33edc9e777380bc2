#pragma once
// The order of the blocks in one data exchange, and how the controller follows
// the PC's requests through it.
//
// The PC answers every block at once with a request code that depends on the
// block type and on the controller type (the reply codes below). The controller
// sends its blocks in a fixed order and recognises each request either as the
// answer to the block it sent last (then it sends the next block) or as the
// request it answered last, sent again after a frame the PC could not read
// (then it sends that block again). The order is chosen so that no two
// neighbours share a reply code for any controller type; the two cases can
// therefore never be confused.
#include <array>

namespace Sim {

constexpr int StartExchangeCode = 16;
constexpr int EndOfExchangeType = 11;

// Type 1, then every data block, then type 11.
constexpr std::array<int, 17> ExchangeOrder = {
    1, 2, 3, 4, 5, 6, 7, 8, 9, 14, 10, 17, 15, 18, 16, 19, EndOfExchangeType};

// The request code with which the PC answers a block of this type; 0 for none.
// The PC's link has a table of its own for the same rule, and so do the word
// meanings (WordMap.h) and the plant model: the simulator never uses the PC
// side's, so that it is an independent second reading that can catch the PC
// side's mistakes instead of repeating them.
int PcReplyCode(int type, int controllerType);

class ExchangeChain {
public:
  enum class Action { Send, SendAgain, Unexpected };
  struct Step {
    Action What = Action::Unexpected;
    int Type = 0;  // the block to send
  };

  explicit ExchangeChain(int controllerType) : controllerType_(controllerType) {}

  // What to send for a request code. Request 16 always starts a new exchange.
  Step OnRequest(int code);
  // Forgets the exchange (a connection request came).
  void Reset() { position_ = -1; }
  bool Running() const { return position_ >= 0 && position_ + 1 < static_cast<int>(ExchangeOrder.size()); }

private:
  int controllerType_;
  int position_ = -1;  // index in ExchangeOrder of the block sent last
  int lastCode_ = 0;   // the request that block answered
};

}  // namespace Sim
