// BridgeFolder on Windows: the user's local application data, or the
// machine's program data for a service.
#include "bridge/BridgeFolder.h"

#include <cstdlib>

#include "archive/ArchiveLocation.h"
#include "base/Exception.h"

std::filesystem::path DefaultBridgeFolder(RunAs as) {
  if (as == RunAs::Console) return Archive::DefaultArchiveFolder();
  // The wide variant, so that a folder outside the ANSI code page survives.
  const wchar_t* data = _wgetenv(L"ProgramData");
  if (data == nullptr || *data == L'\0') throw Exception("the archive's folder is unknown: ProgramData is not set");
  return std::filesystem::path(data) / "PCZentrixNet";
}
