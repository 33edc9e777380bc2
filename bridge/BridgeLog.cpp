#include "bridge/BridgeLog.h"

#include <cstdio>

void BridgeLog::Line(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
}

void BridgeLog::Once(const std::string& subject, const std::string& text) {
  auto [at, added] = last_.try_emplace(subject, text);
  if (!added) {
    if (at->second == text) return;
    at->second = text;
  }
  Line(text);
}
