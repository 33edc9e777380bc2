#pragma once
// --list-ports of the simulator: what COM 1 .. COM 11 open with the ports
// folder the simulator links into, and the serial devices no COM number opens.
#include <string>
#include <vector>

namespace Sim {

std::vector<std::string> PortList();

}  // namespace Sim
