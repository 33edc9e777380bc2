#pragma once
// Bytes as lower-case hex text and back: how the serial tests under wine and
// serial-line-peer carry a line's bytes in their one-line commands.
#include <string>

inline std::string HexText(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (unsigned char c : bytes) {
    text += digits[c >> 4];
    text += digits[c & 15];
  }
  return text;
}

inline std::string BytesOfHexText(const std::string& text) {
  std::string bytes;
  for (size_t i = 0; i + 1 < text.size(); i += 2) bytes += char(std::stoi(text.substr(i, 2), nullptr, 16));
  return bytes;
}
