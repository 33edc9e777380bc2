// SecretFile on Windows: not checked yet. A file's access list (readable only
// by administrators and the service's account) is checked once the bridge
// runs as a service; until then the file is read as it is.
#include "bridge/SecretFile.h"

std::optional<std::string> SecretFileExposure(const std::string&) { return std::nullopt; }
