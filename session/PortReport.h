#pragma once
// The port discovery as the program's users read it: a line per COM number
// and per device no COM number opens, for tooltips and --list-ports, and the
// hint under a "device not found" error (texts are UTF-8); and the program's
// own ports folder, which the serial component is told of.
#include <string>
#include <vector>

#include "serial/PortDiscovery.h"

constexpr int ListedComPorts = 11;  // the program offers COM 1 .. COM 11

// $XDG_CONFIG_HOME/PCZentrixNet/ports (default ~/.config/...); empty on Windows.
std::string ProgramPortsFolder();
// Points the serial component's COMn entries at that folder; each program
// calls it before it lists or opens a port.
void UseProgramPortsFolder();

// "COM 5 → /dev/ttyUSB0 (nicht vorhanden)", "COM 3 → /dev/pts/4 (vorhanden)",
// "COM 4 → rfc2217://192.0.2.10:4001".
std::string ComPortLine(const PortDiscovery::ComPort& port);
// COM 1 .. 11, then each present device that none of them opens.
std::vector<std::string> PortListing(const PortDiscovery::PortRoots& roots = {});
// The serial devices that exist and how to point COM n at one (n = 0: a
// device path was chosen, so the hint names no link).
std::string MissingDeviceHint(int comNumber, const PortDiscovery::PortRoots& roots = {});
