#include "session/PortReport.h"

#include <map>

using namespace PortDiscovery;

namespace {

std::string ProblemText(Unusable problem) {
  switch (problem) {
    case Unusable::LinkLoop: return "Verweisschleife";
    case Unusable::Folder: return "Verzeichnis";
    case Unusable::NotSerial: return "kein serielles Ger\u00e4t";
    case Unusable::NotNetworkName: return "keine Netzwerkadresse (tcp://HOST:PORT oder rfc2217://HOST:PORT)";
    case Unusable::NotComDevice: return "kein COM-Ger\u00e4t";
    case Unusable::None: break;
  }
  return "unbekannt";
}

// " (vorhanden)"; nothing for a line on the network, which only a connection can check.
std::string StateText(const DeviceCheck& check) {
  switch (check.State) {
    case DeviceState::Present: return " (vorhanden)";
    case DeviceState::Missing: return " (nicht vorhanden)";
    case DeviceState::Network: return "";
    case DeviceState::NotUsable: break;
  }
  return " (nicht verwendbar: " + ProblemText(check.Problem) + ")";
}

// "/dev/ttyUSB1" or "/dev/ttyUSB1 = /dev/serial/by-id/…".
std::string DeviceText(const SerialDevice& device) {
  std::string text = device.Path;
  for (const std::string& name : device.Names) text += " = " + name;
  return text;
}

// Which COM numbers open each present device.
std::map<std::string, std::vector<int>> ComNumbersByDevice(const PortRoots& roots) {
  std::map<std::string, std::vector<int>> opened;
  for (int n = 1; n <= ListedComPorts; ++n) {
    const ComPort port = ResolveComPort(n, roots);
    if (port.Check.State == DeviceState::Present) opened[port.Check.Device].push_back(n);
  }
  return opened;
}

// " (COM 1, COM 4)" or nothing.
std::string ComNumbersText(const std::vector<int>& numbers) {
  std::string text;
  for (int n : numbers) text += (text.empty() ? " (COM " : ", COM ") + std::to_string(n);
  return text.empty() ? text : text + ")";
}

std::string LinkCommands(int comNumber, const SerialDevice& device, const PortRoots& roots) {
  const std::string folder = roots.PortsFolder.empty() ? PortsFolder() : roots.PortsFolder;
  return "  mkdir -p " + folder + "\n  ln -sfn " + device.Preferred() + " " + folder + "/COM" +
         std::to_string(comNumber) + "\n";
}

}  // namespace

std::string ComPortLine(const ComPort& port) {
  return "COM " + std::to_string(port.Number) + " \u2192 " + port.Shown + StateText(port.Check);
}

std::string ProgramPortsFolder() {
  const std::string config = UserConfigFolder();
  return config.empty() ? std::string() : config + "/PCZentrixNet/ports";
}

void UseProgramPortsFolder() { SetPortsFolder(ProgramPortsFolder()); }

std::vector<std::string> PortListing(const PortRoots& roots) {
  std::vector<std::string> lines;
  for (int n = 1; n <= ListedComPorts; ++n) lines.push_back(ComPortLine(ResolveComPort(n, roots)));
  const auto opened = ComNumbersByDevice(roots);
  for (const SerialDevice& device : ListSerialDevices(roots))
    if (opened.count(device.Path) == 0)
      lines.push_back("keine COM-Nummer \u2192 " + DeviceText(device) + " (vorhanden)");
  return lines;
}

std::string MissingDeviceHint(int comNumber, const PortRoots& roots) {
  const std::vector<SerialDevice> devices = ListSerialDevices(roots);
  if (devices.empty()) return "Es ist kein serielles Ger\u00e4t angeschlossen.";
  const auto opened = ComNumbersByDevice(roots);
  std::string hint = "Vorhandene serielle Ger\u00e4te:\n";
  const SerialDevice* free = nullptr;
  for (const SerialDevice& device : devices) {
    const auto numbers = opened.find(device.Path);
    hint += "  " + DeviceText(device) + (numbers == opened.end() ? "" : ComNumbersText(numbers->second)) + "\n";
    if (free == nullptr && numbers == opened.end()) free = &device;
  }
  if (comNumber <= 0) return hint;
  // Without a ports folder that takes links (Windows) a COM number leads to a
  // device only as the system's own; a device that a COM number opens
  // already is best chosen by that number.
  const bool canLink = PortsFolderTakesLinks() && !(roots.PortsFolder.empty() && PortsFolder().empty());
  if (!canLink || free == nullptr) return hint + "W\u00e4hlen Sie die COM-Nummer eines davon.\n";
  hint += "So zeigt COM " + std::to_string(comNumber) + " auf " + free->Preferred() + ":\n";
  return hint + LinkCommands(comNumber, *free, roots);
}
