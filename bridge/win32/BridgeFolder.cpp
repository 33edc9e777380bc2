// BridgeFolder on Windows: the user's local application data (the archive's
// default), or the machine's program data for a service.
#include "bridge/BridgeFolder.h"

#include <cstdlib>

#include "base/Exception.h"

std::filesystem::path BridgeArchiveFolder(RunAs as) {
  if (as == RunAs::Console) return {};
  // The wide variant, so that a folder outside the ANSI code page survives.
  const wchar_t* data = _wgetenv(L"ProgramData");
  if (data == nullptr || *data == L'\0') throw Exception("the archive's folder is unknown: ProgramData is not set");
  return std::filesystem::path(data) / "PCZentrixNet";
}
