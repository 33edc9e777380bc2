#pragma once
// The controller's response frames: FF FA L type data.. checksum.
#include <array>
#include <cstdint>
#include <vector>

#include "BlockSet.h"

namespace Sim {

using Bytes = std::vector<uint8_t>;

Bytes ResponseFrame(int type, const Bytes& data);
// A data block of 100 words, high byte first (205 bytes).
Bytes DataBlockFrame(int type, const BlockTable& words);
// Type 1: the controller type and three version bytes.
Bytes ControllerInfoFrame(int controllerType, const std::array<uint8_t, 3>& version);
// Type 11: the end of an exchange.
Bytes EndFrame();
// Type 20: the answer to a connection request, 0 when ready.
Bytes ConnectAnswerFrame(uint8_t state);

}  // namespace Sim
