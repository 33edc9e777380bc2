#include "serial/PortReport.h"

#include <set>

using namespace Platform;

namespace {

std::string StateText(const DeviceCheck& check) {
  switch (check.State) {
    case DeviceState::Present: return "vorhanden";
    case DeviceState::Missing: return "nicht vorhanden";
    case DeviceState::NotUsable: break;
  }
  return "nicht verwendbar: " + check.Problem;
}

// "/dev/ttyUSB1" or "/dev/ttyUSB1 = /dev/serial/by-id/…".
std::string DeviceText(const SerialDevice& device) {
  std::string text = device.Path;
  for (const std::string& name : device.Names) text += " = " + name;
  return text;
}

std::set<std::string> DevicesOpenedByComPorts(const PortRoots& roots) {
  std::set<std::string> opened;
  for (int n = 1; n <= ListedComPorts; ++n) {
    const ComPort port = ResolveComPort(n, roots);
    if (port.Check.State == DeviceState::Present) opened.insert(port.Check.Device);
  }
  return opened;
}

std::string LinkCommands(int comNumber, const SerialDevice& device, const PortRoots& roots) {
  const std::string folder = roots.PortsFolder.empty() ? UserPortsFolder() : roots.PortsFolder;
  return "  mkdir -p " + folder + "\n  ln -sfn " + device.Preferred() + " " + folder + "/COM" +
         std::to_string(comNumber) + "\n";
}

}  // namespace

std::string ComPortLine(const ComPort& port) {
  return "COM " + std::to_string(port.Number) + " \u2192 " + port.Shown + " (" + StateText(port.Check) + ")";
}

std::vector<std::string> PortListing(const PortRoots& roots) {
  std::vector<std::string> lines;
  for (int n = 1; n <= ListedComPorts; ++n) lines.push_back(ComPortLine(ResolveComPort(n, roots)));
  const std::set<std::string> opened = DevicesOpenedByComPorts(roots);
  for (const SerialDevice& device : ListSerialDevices(roots))
    if (opened.count(device.Path) == 0) lines.push_back("keine COM-Nummer \u2192 " + DeviceText(device) + " (vorhanden)");
  return lines;
}

std::string MissingDeviceHint(int comNumber, const PortRoots& roots) {
  const std::vector<SerialDevice> devices = ListSerialDevices(roots);
  if (devices.empty()) return "Es ist kein serielles Ger\u00e4t angeschlossen.";
  std::string hint = "Vorhandene serielle Ger\u00e4te:\n";
  for (const SerialDevice& device : devices) hint += "  " + DeviceText(device) + "\n";
  if (comNumber <= 0) return hint;
  // Without a ports folder (Windows) a COM number is the system's own.
  if (roots.PortsFolder.empty() && UserPortsFolder().empty()) return hint + "W\u00e4hlen Sie eines davon.\n";
  hint += "So zeigt COM " + std::to_string(comNumber) + " auf " + devices.front().Preferred() + ":\n";
  return hint + LinkCommands(comNumber, devices.front(), roots);
}
