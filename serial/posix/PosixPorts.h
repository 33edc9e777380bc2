#pragma once
// The COM mapping's pieces that the device path and the port discovery share.
#include <string>

#include "serial/PortsEntry.h"

namespace PortDiscovery {

// The fixed device of COM 1..11 under the device folder `dev`, empty for other numbers:
// COM1..COM4 ttyS0..3, COM5..COM8 ttyUSB0..3, COM9..COM11 ttyACM0..2.
std::string FixedComDevice(long number, const std::string& dev);
// Whether the ports folder holds an entry of that path (a dangling link counts:
// then the error names the entry the user made instead of a port they did not choose).
bool HasPortsEntry(const std::string& entry);

}  // namespace PortDiscovery
