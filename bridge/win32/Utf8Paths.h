#pragma once
// Text inside the bridge is UTF-8; Windows' wide calls take UTF-16. Both ways
// through std::filesystem::path, so a name outside the ANSI code page survives.
#include <filesystem>
#include <string>

inline std::filesystem::path PathFromUtf8(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::wstring WideFromUtf8(const std::string& text) { return PathFromUtf8(text).wstring(); }

inline std::string Utf8FromWide(const std::wstring& text) {
  const std::u8string utf8 = std::filesystem::path(text).u8string();
  return std::string(utf8.begin(), utf8.end());
}
