#include "ReferenceLink.h"

namespace {

constexpr uint8_t Start = 0xFF;
constexpr uint8_t ResponseMark = 0xFA;
// A partial frame longer than this is dropped (the buffer holds 252 bytes).
constexpr size_t LongestFrame = 251;
constexpr size_t DataBlockLength = 205;

bool IsDataBlock(int type) { return (type >= 2 && type <= 10) || (type >= 14 && type <= 19); }

bool ChecksumHolds(const std::vector<uint8_t>& frame) {
  unsigned sum = 0;
  for (size_t i = 0; i + 1 < frame.size(); ++i) sum += frame[i];
  return static_cast<uint8_t>(sum) == frame.back();
}

// The length that carries what a type needs: a data block exactly 205 bytes,
// type 1 its four data bytes, type 20 its one.
bool LengthCarriesType(int type, size_t length) {
  if (IsDataBlock(type)) return length == DataBlockLength;
  if (type == 1) return length >= 9;
  if (type == 20) return length >= 6;
  return true;
}

}  // namespace

bool ReferenceLink::TakeByte(uint8_t byte) {
  if (partial_.empty()) {
    if (byte == Start) partial_.push_back(byte);
    return false;
  }
  if (partial_.size() == 1) {
    if (byte == ResponseMark) partial_.push_back(byte);
    else partial_.clear();  // this byte is dropped too, even when it is 0xFF
    return false;
  }
  partial_.push_back(byte);
  if (partial_.size() == partial_[2]) return true;
  if (partial_.size() > LongestFrame) partial_.clear();
  return false;
}

ReferenceLink::Answer ReferenceLink::Act(const std::vector<uint8_t>& frame) {
  // Shorter than header, type and checksum: nothing to act on.
  if (frame.size() < 5 || !ChecksumHolds(frame)) return Answer::SameAgain;
  const int type = frame[3];
  if (!LengthCarriesType(type, frame.size())) return Answer::SameAgain;
  if (IsDataBlock(type)) {
    for (int i = 0; i < 100; ++i) tables_[type][i] = static_cast<uint16_t>(frame[4 + 2 * i] << 8 | frame[5 + 2 * i]);
    return Answer::Request;
  }
  if (type == 1) {
    controllerType_ = frame[4];
    version_ = {frame[5], frame[6], frame[7]};
    return Answer::Request;
  }
  return Answer::Nothing;
}

void ReferenceLink::Receive(const uint8_t* bytes, size_t count, std::vector<Answer>& answers) {
  activity_ = true;
  for (size_t i = 0; i < count; ++i) {
    if (!TakeByte(bytes[i])) continue;
    answers.push_back(Act(partial_));
    partial_.clear();
  }
}

void ReferenceLink::Tick() {
  if (!activity_) partial_.clear();
  activity_ = false;
}
