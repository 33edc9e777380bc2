// The COM devices Windows knows (its DOS device names "COMn"), and what each
// COM number opens: a line on the network when the ports folder holds a text
// file of that name, else the system's own COM n.
#include <algorithm>
#include <filesystem>
#include <vector>

#include "Win32Comm.h"
#include "serial/DeviceName.h"
#include "serial/NetworkPortName.h"
#include "serial/PortDiscovery.h"
#include "serial/PortsEntry.h"

namespace PortDiscovery {

using Platform::Win32Text::Utf8;
using Platform::Win32Text::Wide;

namespace {

// The device a DOS name stands for ("\Device\Serial0"), empty when there is none.
std::string DosDeviceTarget(const std::string& name) {
  wchar_t target[1024];
  const DWORD length = ::QueryDosDeviceW(Wide(name).c_str(), target, 1024);
  if (length == 0) return {};
  return Utf8(target, int(wcsnlen(target, 1024)));
}

// Every DOS device name (a list of strings that ends with an empty one).
std::vector<std::string> DosDeviceNames() {
  std::vector<wchar_t> buffer(65536);
  for (;;) {
    const DWORD length = ::QueryDosDeviceW(nullptr, buffer.data(), DWORD(buffer.size()));
    if (length != 0) break;
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || buffer.size() > (1u << 22)) return {};
    buffer.resize(buffer.size() * 2);
  }
  std::vector<std::string> names;
  for (const wchar_t* p = buffer.data(); *p != L'\0'; p += wcslen(p) + 1) names.push_back(Utf8(p, int(wcslen(p))));
  return names;
}

DeviceCheck CheckComName(const std::string& name) {
  if (DeviceName::ComNumber(name) < 0) return DeviceCheck{DeviceState::NotUsable, {}, Unusable::NotComDevice};
  const std::string target = DosDeviceTarget(name);
  if (target.empty()) return DeviceCheck{};
  return DeviceCheck{DeviceState::Present, name, {}};
}

// COM n from a text file of the ports folder, when there is one.
bool ResolveFromPortsFolder(const std::string& folder, ComPort& port) {
  if (folder.empty()) return false;
  const std::string entry = Platform::Win32Ports::EntryPath(folder, port.Number);
  const std::optional<std::string> text = TextEntry(entry);
  if (!text) return false;
  port.FromPortsFolder = true;
  const std::optional<NetworkPortName> name = ParseNetworkPortName(*text);
  port.Shown = name ? name->Text() : entry.substr(4);  // shown without the "\\?\"
  port.Check = name ? DeviceCheck{DeviceState::Network, port.Shown, Unusable::None}
                    : DeviceCheck{DeviceState::NotUsable, {}, Unusable::NotNetworkName};
  return true;
}

}  // namespace

bool PortsFolderTakesLinks() { return false; }

std::string UserConfigFolder() {
  wchar_t folder[MAX_PATH];
  const DWORD length = ::GetEnvironmentVariableW(L"APPDATA", folder, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? std::string() : Utf8(folder, int(length));
}

DeviceCheck CheckDevice(const std::string& path) {
  if (HasNetworkScheme(path)) return DeviceCheck{DeviceState::Network, path, Unusable::None};
  return CheckComName(std::string(DeviceName::StripDevicePrefixes(path)));
}

ComPort ResolveComPort(int number, const PortRoots& roots) {
  ComPort port;
  port.Number = number;
  if (ResolveFromPortsFolder(roots.PortsFolder.empty() ? PortsFolder() : roots.PortsFolder, port)) return port;
  port.Shown = "\\\\.\\COM" + std::to_string(number);
  port.Check = CheckComName("COM" + std::to_string(number));
  return port;
}

std::vector<SerialDevice> ListSerialDevices(const PortRoots&) {
  std::vector<SerialDevice> devices;
  for (const std::string& name : DosDeviceNames()) {
    if (DeviceName::ComNumber(name) < 0) continue;
    devices.push_back(SerialDevice{name, {}});
  }
  std::sort(devices.begin(), devices.end(), [](const SerialDevice& a, const SerialDevice& b) {
    return DeviceName::ComNumber(a.Path) < DeviceName::ComNumber(b.Path);
  });
  return devices;
}

}  // namespace PortDiscovery

namespace Platform::Win32Ports {

std::string EntryPath(const std::string& folder, long number) {
  std::error_code error;
  const std::u8string absolute = std::filesystem::absolute(std::filesystem::u8path(folder), error).u8string();
  std::string path = error ? folder : std::string(absolute.begin(), absolute.end());
  std::replace(path.begin(), path.end(), '/', '\\');
  if (!path.empty() && path.back() != '\\') path += '\\';
  return "\\\\?\\" + path + "COM" + std::to_string(number);
}

}  // namespace Platform::Win32Ports
