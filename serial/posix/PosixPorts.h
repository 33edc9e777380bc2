#pragma once
// The COM mapping's pieces that the device path and the port discovery share.
#include <optional>
#include <string>

namespace PortDiscovery {

// The fixed device of COM 1..11 under the device folder `dev`, empty for other numbers:
// COM1..COM4 ttyS0..3, COM5..COM8 ttyUSB0..3, COM9..COM11 ttyACM0..2.
std::string FixedComDevice(long number, const std::string& dev);
// Whether the ports folder holds an entry of that path (a dangling link counts:
// then the error names the entry the user made instead of a port they did not choose).
bool HasPortsEntry(const std::string& entry);
// The first line of an entry that is a plain file (a network port name, when
// the user wrote it right); nothing for a link or anything else.
std::optional<std::string> TextEntry(const std::string& entry);

}  // namespace PortDiscovery
