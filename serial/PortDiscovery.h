#pragma once
// Which serial devices the system has, and what each COM number opens: the
// answer to "which port is my adapter?". Implemented by the platform binding
// (on Linux the ports folder's links, the fixed mapping, the UARTs, USB and
// modem-class devices and their stable names; on Windows the COM devices the
// system knows). Nothing here opens a device that is not a serial port.
#include <string>
#include <vector>

namespace Platform {

// Where the discovery looks. Empty fields mean the system's own folders; the
// tests give folders of their own.
struct PortRoots {
  std::string Dev;          // "/dev"
  std::string Sys;          // "/sys"
  std::string PortsFolder;  // the user's ports folder of COMn links
};

enum class DeviceState { Present, Missing, NotUsable };

// What a device path leads to, without opening it.
struct DeviceCheck {
  DeviceState State = DeviceState::Missing;
  std::string Device;   // the device the path leads to (links followed), when there is one
  std::string Problem;  // with NotUsable: why (a link loop, a folder, no serial device)
};

// A serial device that is present, with the stable names that lead to it.
struct SerialDevice {
  std::string Path;                 // the device, e.g. /dev/ttyUSB0
  std::vector<std::string> Names;   // e.g. /dev/serial/by-id/usb-…-if00-port0
  // The name to point a COM number at: a stable name when there is one.
  const std::string& Preferred() const { return Names.empty() ? Path : Names.front(); }
};

// What COM n opens.
struct ComPort {
  int Number = 0;
  bool FromPortsFolder = false;  // an entry of the ports folder, else the fixed mapping
  std::string Shown;             // what COM n is pointed at: the entry's link text, or the fixed device
  DeviceCheck Check;
};

// The user's ports folder: $XDG_CONFIG_HOME/PCZentrixNet/ports (default ~/.config/...).
std::string UserPortsFolder();
DeviceCheck CheckDevice(const std::string& path);
ComPort ResolveComPort(int number, const PortRoots& roots = {});
// The serial devices present, sorted by path.
std::vector<SerialDevice> ListSerialDevices(const PortRoots& roots = {});

}  // namespace Platform
