#include "bridge/PortTarget.h"

#include "serial/PortDiscovery.h"

namespace {

bool InPortsFolder(int number) { return PortDiscovery::ResolveComPort(number).FromPortsFolder; }

}  // namespace

std::optional<std::string> PortTarget::Refusal() const {
  if (choice_.Number == 0 || !linked_ || InPortsFolder(choice_.Number)) return std::nullopt;
  return "the ports folder no longer points " + choice_.Describe() + " at a device (it was " + device_ +
         "); not falling back to another device";
}

std::optional<std::string> PortTarget::Opened() {
  if (choice_.Number > 0) linked_ = InPortsFolder(choice_.Number);
  const std::string device = Device();
  const bool changed = !device_.empty() && device != device_;
  const std::string before = device_;
  device_ = device;
  if (!changed) return std::nullopt;
  return choice_.Describe() + " now leads to " + device + " (before: " + before + ")";
}

// The device the name leads to now, links followed.
std::string PortTarget::Device() const {
  const PortDiscovery::DeviceCheck check = choice_.Number > 0 ? PortDiscovery::ResolveComPort(choice_.Number).Check
                                                              : PortDiscovery::CheckDevice(choice_.Path);
  return check.Device.empty() ? choice_.Describe() : check.Device;
}
