#pragma once
// The port discovery as people read it: a line per COM number and per device
// no COM number opens, for tooltips and --list-ports, and the hint under a
// "device not found" error. Texts are UTF-8.
#include <string>
#include <vector>

#include "serial/PortDiscovery.h"

constexpr int ListedComPorts = 11;  // the program offers COM 1 .. COM 11

// "COM 5 → /dev/ttyUSB0 (nicht vorhanden)", "COM 3 → /dev/pts/4 (vorhanden)".
std::string ComPortLine(const Platform::ComPort& port);
// COM 1 .. 11, then each present device that none of them opens.
std::vector<std::string> PortListing(const Platform::PortRoots& roots = {});
// The serial devices that exist and how to point COM n at one (n = 0: a
// device path was chosen, so the hint names no link).
std::string MissingDeviceHint(int comNumber, const Platform::PortRoots& roots = {});
