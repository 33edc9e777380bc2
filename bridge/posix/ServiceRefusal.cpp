// The service options on Linux: refused while the options are read (a unit of
// its own, so that the option parsing links without the log).
#include "bridge/WindowsService.h"

std::optional<std::string> ServiceOptionsRefusal() {
  return "is for a Windows service; on Linux run the bridge as the systemd unit pczentrixnet-bridge.service";
}
