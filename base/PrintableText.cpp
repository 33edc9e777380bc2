#include "base/PrintableText.h"

#include <algorithm>
#include <cstdio>

namespace {

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// The length of the UTF-8 sequence at `at`, or 0 when it is malformed
// (overlong forms, surrogates and code points above U+10FFFF included) or a
// C1 control character (U+0080..U+009F, which MQTT refuses as well).
size_t SequenceLength(const std::string& text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char first = byte(at);
  if (first < 0x80) return 1;
  size_t length = 0;
  unsigned long codePoint = 0;
  if ((first & 0xE0) == 0xC0) length = 2, codePoint = first & 0x1F;
  else if ((first & 0xF0) == 0xE0) length = 3, codePoint = first & 0x0F;
  else if ((first & 0xF8) == 0xF0) length = 4, codePoint = first & 0x07;
  else return 0;
  if (at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    codePoint = codePoint << 6 | (byte(at + i) & 0x3F);
  }
  static const unsigned long shortest[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (codePoint < shortest[length] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
  if (codePoint <= 0x9F) return 0;
  return length;
}

}  // namespace

bool HoldsControlCharacter(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return IsControl(static_cast<unsigned char>(c)); });
}

bool IsCleanUtf8(const std::string& text) {
  for (size_t at = 0; at < text.size();) {
    const size_t length = SequenceLength(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::string Printable(const std::string& text) {
  std::string shown;
  for (size_t at = 0; at < text.size();) {
    const size_t length = IsControl(static_cast<unsigned char>(text[at])) ? 0 : SequenceLength(text, at);
    if (length > 0) {
      shown.append(text, at, length);
      at += length;
      continue;
    }
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(text[at++]));
    shown += escaped;
  }
  return shown;
}
