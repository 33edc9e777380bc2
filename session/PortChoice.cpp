#include "session/PortChoice.h"

#include "serial/DeviceName.h"

std::string PortChoice::Describe() const { return Number > 0 ? "COM " + std::to_string(Number) : Path; }

std::optional<PortChoice> ParsePortChoice(std::string_view text) {
  if (text.empty()) return std::nullopt;
  // "COM 5" as the program's buttons write it is "COM5" too.
  std::string name(text);
  if (name.size() > 4 && name[3] == ' ') name.erase(3, 1);
  const long number = DeviceName::ComNumber(name);
  if (number == -1) return PortChoice::Device(std::string(text));
  if (number < 1 || number > 255) return std::nullopt;  // a COM name, but no port
  return PortChoice::Com(static_cast<int>(number));
}
