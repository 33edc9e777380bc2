#pragma once
// Port names that point at a serial device server on the network instead of a
// local device: "tcp://HOST:PORT" (raw TCP: the server passes the bytes
// through and keeps the line's settings itself) and "rfc2217://HOST:PORT"
// (Telnet with the COM port option: the line's settings go to the server).
// HOST is a name, an IPv4 address or an IPv6 address in brackets.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct NetworkPortName {
  enum class Protocol { RawTcp, Rfc2217 };
  Protocol Kind = Protocol::RawTcp;
  std::string Host;  // without the brackets of an IPv6 address
  uint16_t Port = 0;

  // The name as it is written: "rfc2217://192.0.2.10:4001".
  std::string Text() const;
  // The same server under the other scheme, for hints that the scheme seems wrong.
  std::string OtherSchemeText() const;
};

// True when the name starts with one of the two schemes (any case), whether or
// not the rest is well formed: such a name is never a device path.
bool HasNetworkScheme(std::string_view name);
// The parts of a well-formed name; nothing for anything else (no host, a port
// outside 1..65535, characters a host name cannot hold).
std::optional<NetworkPortName> ParseNetworkPortName(std::string_view name);
