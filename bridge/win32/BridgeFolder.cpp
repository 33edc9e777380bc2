// BridgeFolder on Windows: the user's local application data (the archive's
// default), or the machine's program data for a service.
#include "bridge/BridgeFolder.h"

#include <shlobj.h>
#include <windows.h>

#include "base/Exception.h"

namespace {

// The known folder rather than %ProgramData%: a service's environment may lack
// the variable (wine's services have none). The wide variant, so that a folder
// outside the ANSI code page survives.
std::filesystem::path ProgramDataFolder() {
  PWSTR path = nullptr;
  const HRESULT result = SHGetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &path);
  std::filesystem::path folder = SUCCEEDED(result) ? std::filesystem::path(path) : std::filesystem::path();
  CoTaskMemFree(path);
  if (folder.empty()) throw Exception("the archive's folder is unknown: Windows names no program data folder");
  return folder;
}

}  // namespace

std::filesystem::path BridgeArchiveFolder(RunAs as) {
  if (as == RunAs::Console) return {};
  return ProgramDataFolder() / "PCZentrixNet";
}
