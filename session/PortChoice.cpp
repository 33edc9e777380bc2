#include "session/PortChoice.h"

#include "serial/DeviceName.h"
#include "serial/NetworkPortName.h"

std::string PortChoice::Describe() const { return Number > 0 ? "COM " + std::to_string(Number) : Path; }

std::optional<PortChoice> ParsePortChoice(std::string_view text) {
  if (text.empty()) return std::nullopt;
  // A server's name is taken whole or not at all, so a mistyped one is told at once.
  if (HasNetworkScheme(text)) {
    if (!ParseNetworkPortName(text)) return std::nullopt;
    return PortChoice::Device(std::string(text));
  }
  // "COM 5" as the program's buttons write it is "COM5" too.
  std::string name(text);
  if (name.size() > 4 && name[3] == ' ') name.erase(3, 1);
  const long number = DeviceName::ComNumber(name);
  if (number == -1) return PortChoice::Device(std::string(text));
  if (number < 1 || number > 255) return std::nullopt;  // a COM name, but no port
  return PortChoice::Com(static_cast<int>(number));
}
