#include "bridge/ValueChecks.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

// The length of the UTF-8 sequence at `at`, or 0 when it is malformed
// (overlong forms, surrogates and code points above U+10FFFF included).
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
  // C1 control characters (U+0080..U+009F), which MQTT refuses as well.
  if (codePoint <= 0x9F) return 0;
  return length;
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

}  // namespace

std::optional<std::string> TextProblem(const std::string& text) {
  for (size_t at = 0; at < text.size();) {
    if (IsControl(static_cast<unsigned char>(text[at]))) return "holds a control character";
    const size_t length = SequenceLength(text, at);
    if (length == 0) return "is not valid UTF-8 (was the file saved as Latin-1? save it as UTF-8)";
    at += length;
  }
  return std::nullopt;
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

std::optional<std::string> CertificateFileProblem(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "cannot read " + path + " (" + std::strerror(errno) + ")";
  std::stringstream content;
  content << in.rdbuf();
  const std::string text = content.str();
  const std::string begin = "-----BEGIN CERTIFICATE-----", end = "-----END CERTIFICATE-----";
  const size_t from = text.find(begin);
  const size_t to = from == std::string::npos ? std::string::npos : text.find(end, from);
  if (to == std::string::npos || text.find_first_not_of(" \t\r\n", from + begin.size()) == to)
    return path + " holds no certificate (PEM, \"" + begin + "\")";
  return std::nullopt;
}

bool IsThisMachine(const std::string& host) {
  if (host == "localhost" || (host.size() > 10 && host.compare(host.size() - 10, 10, ".localhost") == 0)) return true;
  in_addr v4{};
  if (inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
  in6_addr v6{};
  if (inet_pton(AF_INET6, host.c_str(), &v6) == 1) return IN6_IS_ADDR_LOOPBACK(&v6);
  char own[256] = {};
  return gethostname(own, sizeof own - 1) == 0 && host == own;
}
