#pragma once
// Which serial devices the system has, and what each COM number opens: the
// answer to "which port is my adapter?". Implemented by the platform binding
// (on Linux the ports folder's links, the fixed mapping, the UARTs, USB and
// modem-class devices and their stable names; on Windows the ports folder's
// text entries and the COM devices the system knows). Nothing here opens a device that is not a serial port.
#include <string>
#include <vector>

namespace PortDiscovery {

// Where the discovery looks. Empty fields mean the system's own folders and
// the ports folder set with SetPortsFolder; the tests give folders of their own.
struct PortRoots {
  std::string Dev;          // "/dev"
  std::string Sys;          // "/sys"
  std::string PortsFolder;  // a folder of COMn entries
};

// Network: a line behind a serial device server, named by a ports folder
// entry; whether it answers is known only once connected.
enum class DeviceState { Present, Missing, NotUsable, Network };
// Why a path is not usable.
enum class Unusable { None, LinkLoop, Folder, NotSerial, NotNetworkName, NotComDevice };

// What a device path leads to, without opening it.
struct DeviceCheck {
  DeviceState State = DeviceState::Missing;
  std::string Device;                 // the device the path leads to (links followed), or the network name
  Unusable Problem = Unusable::None;  // with NotUsable: why
};

// A serial device that is present, with the stable names that lead to it.
struct SerialDevice {
  std::string Path;                // the device, e.g. /dev/ttyUSB0
  std::vector<std::string> Names;  // e.g. /dev/serial/by-id/usb-…-if00-port0
  // The name to point a COM number at: a stable name when there is one.
  const std::string& Preferred() const { return Names.empty() ? Path : Names.front(); }
};

// What COM n opens.
struct ComPort {
  int Number = 0;
  bool FromPortsFolder = false;  // an entry of the ports folder, else the fixed mapping
  std::string Shown;             // what COM n is pointed at: the entry's link text or network name, or the fixed device
  DeviceCheck Check;
};

// The folder whose entries COMn stand for: a link to a device, or a text file
// holding a network port name. Set by the program that uses the component
// before it opens a port; empty (the default): none.
void SetPortsFolder(std::string folder);
std::string PortsFolder();
// Whether a ports folder entry may be a link to a device (Linux); on Windows
// its entries are text files naming network ports only.
bool PortsFolderTakesLinks();
// The user's configuration folder: $XDG_CONFIG_HOME, else ~/.config; on
// Windows %APPDATA%; empty when the system names none.
std::string UserConfigFolder();
DeviceCheck CheckDevice(const std::string& path);
ComPort ResolveComPort(int number, const PortRoots& roots = {});
// The serial devices present, sorted by path.
std::vector<SerialDevice> ListSerialDevices(const PortRoots& roots = {});

}  // namespace PortDiscovery
