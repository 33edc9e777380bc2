// BridgeFolder on Linux: the archive's default folder, run by hand or by systemd.
#include "bridge/BridgeFolder.h"

std::filesystem::path BridgeArchiveFolder(RunAs) { return {}; }
