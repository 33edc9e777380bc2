// The COM devices Windows knows (its DOS device names "COMn"), and what each
// COM number opens: on Windows COM n is the system's own COM n.
#include <algorithm>
#include <vector>

#include "Win32Comm.h"
#include "serial/DeviceName.h"
#include "serial/PortDiscovery.h"

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

}  // namespace

// COM n is always the system's own COM n: there is no ports folder to set.
void SetPortsFolder(std::string) {}
std::string PortsFolder() { return {}; }
std::string UserConfigFolder() { return {}; }

DeviceCheck CheckDevice(const std::string& path) {
  return CheckComName(std::string(DeviceName::StripDevicePrefixes(path)));
}

ComPort ResolveComPort(int number, const PortRoots&) {
  ComPort port;
  port.Number = number;
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
