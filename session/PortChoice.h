#pragma once
// The port a user names on a command line or in a configuration file: "COMn"
// (also "COM n", any case) goes through the COM mapping like the program's
// port buttons, "tcp://HOST:PORT" and "rfc2217://HOST:PORT" name a serial
// device server, anything else is a device path used as it is.
#include <optional>
#include <string>
#include <string_view>

struct PortChoice {
  int Number = 0;    // COM number 1..255, or 0 when Path is used
  std::string Path;  // a device path

  static PortChoice Com(int number) { return PortChoice{number, {}}; }
  static PortChoice Device(std::string path) { return PortChoice{0, std::move(path)}; }
  // "COM 5" or the path, for messages.
  std::string Describe() const;
};

// Nothing for an empty text, a COM number outside 1..255 or a malformed server name.
std::optional<PortChoice> ParsePortChoice(std::string_view text);
