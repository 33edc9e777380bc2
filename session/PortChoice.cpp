#include "session/PortChoice.h"

#include <cctype>

namespace {

bool StartsWithCom(std::string_view text) {
  if (text.size() < 3) return false;
  for (size_t i = 0; i < 3; ++i)
    if (std::toupper(static_cast<unsigned char>(text[i])) != "COM"[i]) return false;
  return true;
}

// The digits after "COM" and an optional blank; -1 when there are none or other characters.
int ComNumberOf(std::string_view text) {
  std::string_view digits = text.substr(3);
  if (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
  if (digits.empty() || digits.size() > 3) return -1;
  int number = 0;
  for (char c : digits) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
    number = number * 10 + (c - '0');
  }
  return number;
}

}  // namespace

std::string PortChoice::Describe() const { return Number > 0 ? "COM " + std::to_string(Number) : Path; }

std::optional<PortChoice> ParsePortChoice(std::string_view text) {
  if (text.empty()) return std::nullopt;
  if (StartsWithCom(text)) {
    const int number = ComNumberOf(text);
    if (number >= 1 && number <= 255) return PortChoice::Com(number);
    if (number != -1) return std::nullopt;  // "COM0", "COM999": a COM name, but no port
  }
  return PortChoice::Device(std::string(text));
}
