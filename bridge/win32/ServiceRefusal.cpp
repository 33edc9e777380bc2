// The service options on Windows: taken (a unit of its own, as on Linux).
#include "bridge/WindowsService.h"

std::optional<std::string> ServiceOptionsRefusal() { return std::nullopt; }
