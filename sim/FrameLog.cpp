#include "FrameLog.h"

#include <cstdio>

namespace Sim {

std::string FrameLog::Line(double seconds, const char* direction, const std::vector<uint8_t>& bytes,
                           const std::string& meaning) {
  char head[48];
  std::snprintf(head, sizeof head, "%.3f %s ", seconds, direction);
  std::string line = head;
  if (bytes.empty()) line += "-";
  for (size_t i = 0; i < bytes.size(); ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, i == 0 ? "%02X" : " %02X", bytes[i]);
    line += hex;
  }
  return line + "  " + meaning;
}

void FrameLog::Received(int64_t ms, const std::vector<uint8_t>& bytes, const std::string& meaning) {
  Write(ms, "PC>SIM", bytes, meaning);
}

void FrameLog::Sent(int64_t ms, const std::vector<uint8_t>& bytes, const std::string& meaning) {
  Write(ms, "SIM>PC", bytes, meaning);
}

void FrameLog::Event(int64_t ms, const std::string& meaning) { Write(ms, "SIM", {}, meaning); }

void FrameLog::Write(int64_t ms, const char* direction, const std::vector<uint8_t>& bytes, const std::string& meaning) {
  if (out_ == nullptr) return;
  *out_ << Line(static_cast<double>(ms - startMs_) / 1000.0, direction, bytes, meaning) << '\n';
  out_->flush();
}

}  // namespace Sim
