// Resolves the device name the component formats to a device path:
// "\\.\" prefixes are dropped, an absolute path or a network port name is
// used as it is, and "COMn" goes to the ports folder when it holds an entry
// of that name (a link to a device, or a text file naming a network port),
// else to the fixed mapping of the built-in, USB and modem-class ports.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "serial/DeviceName.h"
#include "serial/NetworkPortName.h"
#include "serial/PortDiscovery.h"
#include "serial/internal/Platform.h"
#include "serial/posix/PosixPorts.h"

namespace PortDiscovery {

namespace {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr) return user->pw_dir;
  return "/";
}

}  // namespace

bool PortsFolderTakesLinks() { return true; }

std::string UserConfigFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  return (config != nullptr && config[0] == '/') ? std::string(config) : HomeFolder() + "/.config";
}

std::string FixedComDevice(long number, const std::string& dev) {
  if (number >= 1 && number <= 4) return dev + "/ttyS" + std::to_string(number - 1);
  if (number >= 5 && number <= 8) return dev + "/ttyUSB" + std::to_string(number - 5);
  if (number >= 9 && number <= 11) return dev + "/ttyACM" + std::to_string(number - 9);
  return {};
}

bool HasPortsEntry(const std::string& entry) {
  struct stat info {};
  return lstat(entry.c_str(), &info) == 0;
}

}  // namespace PortDiscovery

namespace Platform {

using namespace PortDiscovery;

std::string ResolveDevicePath(const std::string& formatted) {
  const std::string_view name = DeviceName::StripDevicePrefixes(formatted);
  if (!name.empty() && name.front() == '/') return std::string(name);
  const long number = DeviceName::ComNumber(name);
  if (number < 0) return std::string(name);
  // An entry in the ports folder wins, even a dangling link: then the error
  // names the entry the user made instead of a port they did not choose.
  if (const std::string folder = PortsFolder(); !folder.empty()) {
    const std::string entry = folder + "/COM" + std::to_string(number);
    if (const std::optional<std::string> text = TextEntry(entry); text && HasNetworkScheme(*text)) return *text;
    if (HasPortsEntry(entry)) return entry;
  }
  const std::string builtIn = FixedComDevice(number, "/dev");
  return builtIn.empty() ? std::string(name) : builtIn;
}

}  // namespace Platform
