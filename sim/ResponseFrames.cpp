#include "ResponseFrames.h"

#include "protocol/FrameFormat.h"

namespace Sim {

Bytes ResponseFrame(int type, const Bytes& data) {
  Bytes frame(data.size() + 5);
  frame[0] = FrameFormat::ResponseHead0;
  frame[1] = FrameFormat::ResponseHead1;
  frame[2] = static_cast<uint8_t>(frame.size());
  frame[3] = static_cast<uint8_t>(type);
  std::copy(data.begin(), data.end(), frame.begin() + 4);
  frame.back() = FrameFormat::Checksum(frame.data(), frame.size());
  return frame;
}

Bytes DataBlockFrame(int type, const BlockTable& words) {
  Bytes data;
  data.reserve(2 * words.size());
  for (uint16_t w : words) {
    data.push_back(static_cast<uint8_t>(w >> 8));
    data.push_back(static_cast<uint8_t>(w));
  }
  return ResponseFrame(type, data);
}

Bytes ControllerInfoFrame(int controllerType, const std::array<uint8_t, 3>& version) {
  return ResponseFrame(1, {static_cast<uint8_t>(controllerType), version[0], version[1], version[2]});
}

Bytes EndFrame() { return ResponseFrame(11, {}); }

Bytes ConnectAnswerFrame(uint8_t state) { return ResponseFrame(20, {state}); }

}  // namespace Sim
