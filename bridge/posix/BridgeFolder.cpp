// BridgeFolder on Linux: the archive's default folder, run by hand or by systemd.
#include "bridge/BridgeFolder.h"

#include "archive/ArchiveLocation.h"

std::filesystem::path DefaultBridgeFolder(RunAs) { return Archive::DefaultArchiveFolder(); }
