// The serial devices of a Linux system and what each COM number opens, found
// from the device folder and sysfs without opening any device.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>

#include "serial/NetworkPortName.h"
#include "serial/PortDiscovery.h"
#include "serial/posix/PosixPorts.h"

namespace fs = std::filesystem;

namespace PortDiscovery {

namespace {

PortRoots WithDefaults(PortRoots roots) {
  if (roots.Dev.empty()) roots.Dev = "/dev";
  if (roots.Sys.empty()) roots.Sys = "/sys";
  if (roots.PortsFolder.empty()) roots.PortsFolder = PortsFolder();
  return roots;
}

// Pseudo-terminal slaves (Unix 98 ptys) have no entry in sysfs.
bool IsPtySlaveMajor(unsigned major) { return major >= 136 && major <= 143; }

// A character device is a terminal when sysfs files it under a tty class.
bool IsTerminal(dev_t device, const std::string& sys) {
  if (IsPtySlaveMajor(major(device))) return true;
  const std::string node = sys + "/dev/char/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
  std::error_code error;
  const fs::path target = fs::canonical(node, error);
  return !error && target.string().find("/tty/") != std::string::npos;
}

DeviceCheck NotUsable(Unusable problem) { return DeviceCheck{DeviceState::NotUsable, {}, problem}; }

DeviceCheck CheckDeviceIn(const std::string& path, const std::string& sys) {
  std::error_code error;
  const fs::path device = fs::canonical(path, error);
  if (error == std::errc::too_many_symbolic_link_levels) return NotUsable(Unusable::LinkLoop);
  if (error) return DeviceCheck{DeviceState::Missing, {}, {}};
  struct stat info {};
  if (stat(device.c_str(), &info) != 0) return DeviceCheck{DeviceState::Missing, {}, {}};
  if (S_ISDIR(info.st_mode)) return NotUsable(Unusable::Folder);
  if (!S_ISCHR(info.st_mode) || !IsTerminal(info.st_rdev, sys)) return NotUsable(Unusable::NotSerial);
  return DeviceCheck{DeviceState::Present, device.string(), {}};
}

// A ttyS device (named `name` in the device folder) is a port only when a
// UART sits behind it. The serial core files the port's type under sysfs (the
// type TIOCGSERIAL reports; 0 when no UART answered), so nothing is opened:
// opening a port would raise its modem lines. Without that entry, a driver
// other than the legacy one, which claims its ports whether or not a UART is
// there, stands for the hardware.
bool IsRealUart(const std::string& name, const std::string& sys) {
  const std::string entry = sys + "/class/tty/" + name;
  std::ifstream typeFile(entry + "/type");
  if (int type = 0; typeFile >> type) return type != 0;
  std::error_code error;
  const fs::path driver = fs::read_symlink(entry + "/device/driver", error);
  return !error && driver.filename() != "serial8250";
}

bool IsLegacyName(const std::string& name) { return name.rfind("ttyS", 0) == 0; }

bool IsPortName(const std::string& name) {
  for (const char* prefix : {"ttyS", "ttyUSB", "ttyACM"})
    if (name.rfind(prefix, 0) == 0 && name.size() > std::string(prefix).size()) return true;
  return false;
}

void AddPortDevices(const PortRoots& roots, std::map<std::string, SerialDevice>& found) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(roots.Dev, error)) {
    const std::string name = entry.path().filename().string();
    if (!IsPortName(name)) continue;
    const DeviceCheck check = CheckDeviceIn(entry.path().string(), roots.Sys);
    if (check.State != DeviceState::Present) continue;
    if (IsLegacyName(name) && !IsRealUart(name, roots.Sys)) continue;
    found[check.Device].Path = check.Device;
  }
}

// The stable names under serial/by-id carry the adapter's maker and serial number.
void AddStableNames(const PortRoots& roots, std::map<std::string, SerialDevice>& found) {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(roots.Dev + "/serial/by-id", error)) {
    const DeviceCheck check = CheckDeviceIn(entry.path().string(), roots.Sys);
    if (check.State != DeviceState::Present) continue;
    SerialDevice& device = found[check.Device];
    device.Path = check.Device;
    device.Names.push_back(entry.path().string());
  }
}

// COM n from its entry in the ports folder, when there is one: a plain file
// names a line on the network, anything else is followed like a link.
bool ResolveFromPortsFolder(const PortRoots& roots, ComPort& port) {
  const std::string entry = roots.PortsFolder + "/COM" + std::to_string(port.Number);
  if (!HasPortsEntry(entry)) return false;
  port.FromPortsFolder = true;
  if (const std::optional<std::string> text = TextEntry(entry)) {
    const std::optional<NetworkPortName> name = ParseNetworkPortName(*text);
    port.Shown = name ? name->Text() : entry;
    port.Check =
        name ? DeviceCheck{DeviceState::Network, port.Shown, Unusable::None} : NotUsable(Unusable::NotNetworkName);
    return true;
  }
  std::error_code error;
  const fs::path text = fs::read_symlink(entry, error);
  port.Shown = error ? entry : text.string();
  port.Check = CheckDeviceIn(entry, roots.Sys);
  return true;
}

}  // namespace

DeviceCheck CheckDevice(const std::string& path) {
  if (HasNetworkScheme(path)) return DeviceCheck{DeviceState::Network, path, Unusable::None};
  return CheckDeviceIn(path, "/sys");
}

ComPort ResolveComPort(int number, const PortRoots& given) {
  const PortRoots roots = WithDefaults(given);
  ComPort port;
  port.Number = number;
  if (!roots.PortsFolder.empty() && ResolveFromPortsFolder(roots, port)) return port;
  port.Shown = FixedComDevice(number, roots.Dev);
  port.Check = CheckDeviceIn(port.Shown, roots.Sys);
  const std::string name = fs::path(port.Shown).filename().string();
  if (port.Check.State == DeviceState::Present && IsLegacyName(name) && !IsRealUart(name, roots.Sys))
    port.Check = DeviceCheck{DeviceState::Missing, {}, {}};
  return port;
}

std::vector<SerialDevice> ListSerialDevices(const PortRoots& given) {
  const PortRoots roots = WithDefaults(given);
  std::map<std::string, SerialDevice> found;
  AddPortDevices(roots, found);
  AddStableNames(roots, found);
  std::vector<SerialDevice> devices;
  for (auto& [path, device] : found) {
    std::sort(device.Names.begin(), device.Names.end());
    devices.push_back(std::move(device));
  }
  return devices;
}

}  // namespace PortDiscovery
