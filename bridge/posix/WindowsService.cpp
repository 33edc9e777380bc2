// WindowsService on Linux: refused; systemd's units run the bridge here.
#include "bridge/WindowsService.h"

#include "bridge/BridgeLog.h"

namespace {

constexpr int Refused = 2;

int Refuse() {
  BridgeLog::Line("zentrixnet-bridge: " + *ServiceOptionsRefusal());
  return Refused;
}

}  // namespace

int InstallWindowsService(const std::string&, const std::string&) { return Refuse(); }

int RemoveWindowsService(const std::string&) { return Refuse(); }

int RemoveServicesOfThisProgram() { return Refuse(); }

int RunAsWindowsService(const std::string&, const std::function<int()>&) { return Refuse(); }
