#include "bridge/BridgeLog.h"

#include <cstdio>
#include <memory>

#include "bridge/LogFile.h"

namespace {

std::unique_ptr<LogFile>& File() {
  static std::unique_ptr<LogFile> file;
  return file;
}

}  // namespace

void BridgeLog::ToFile(const std::filesystem::path& path) { File() = std::make_unique<LogFile>(path); }

void BridgeLog::Line(const std::string& text) {
  if (File()) {
    File()->Write(text);
    return;
  }
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
