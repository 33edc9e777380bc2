#include "PortList.h"

#include <set>

#include "ComLink.h"
#include "serial/PortDiscovery.h"

namespace Sim {

namespace {

constexpr int ListedPorts = 11;

std::string StateOf(const PortDiscovery::DeviceCheck& check) {
  switch (check.State) {
    case PortDiscovery::DeviceState::Present: return " (present)";
    case PortDiscovery::DeviceState::Missing: return " (missing)";
    case PortDiscovery::DeviceState::Network: return " (network)";
    case PortDiscovery::DeviceState::NotUsable: break;
  }
  return " (not usable)";
}

}  // namespace

std::vector<std::string> PortList() {
  PortDiscovery::PortRoots roots;
  roots.PortsFolder = ComLink::PortsFolder();
  std::vector<std::string> lines;
  std::set<std::string> opened;
  for (int n = 1; n <= ListedPorts; ++n) {
    const PortDiscovery::ComPort port = PortDiscovery::ResolveComPort(n, roots);
    lines.push_back("COM " + std::to_string(n) + " \u2192 " + port.Shown + StateOf(port.Check));
    if (port.Check.State == PortDiscovery::DeviceState::Present) opened.insert(port.Check.Device);
  }
  for (const PortDiscovery::SerialDevice& device : PortDiscovery::ListSerialDevices(roots))
    if (opened.count(device.Path) == 0) lines.push_back("no COM number \u2192 " + device.Path + " (present)");
  return lines;
}

}  // namespace Sim
