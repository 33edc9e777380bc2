#include "link/FrameTrace.h"

#include <cstdio>

#include "base/Exception.h"

namespace {

FrameTrace* Trace = nullptr;

}  // namespace

FrameTrace::FrameTrace(const std::string& file) : out_(file, std::ios::out | std::ios::trunc) {
  if (!out_) throw Exception("The frame trace " + file + " cannot be written");
}

std::string FrameTrace::HexBytes(const uint8_t* bytes, int length) {
  static const char Digits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(length > 0 ? length * 3 : 0);
  for (int i = 0; i < length; ++i) {
    if (i > 0) hex += ' ';
    hex += Digits[bytes[i] >> 4];
    hex += Digits[bytes[i] & 0x0F];
  }
  return hex;
}

void FrameTrace::Write(const char* kind, const std::string& text) {
  const auto elapsed = std::chrono::steady_clock::now() - start_;
  const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%lld.%03lld ", ms / 1000, ms % 1000);
  out_ << stamp << kind << ' ' << text << '\n';
  out_.flush();
}

void SetFrameTrace(FrameTrace* trace) { Trace = trace; }
FrameTrace* LinkFrameTrace() { return Trace; }

void TraceLinkState(const std::string& text) {
  if (Trace != nullptr) Trace->State(text);
}
