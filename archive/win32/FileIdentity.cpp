// FileIdentity on Windows: the volume serial number and file index of
// GetFileInformationByHandle. The file is opened for no access and shares
// everything, so that SQLite's own handle on it is never disturbed.
#include "archive/FileIdentity.h"

#include <windows.h>

namespace Archive {

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& file) {
  const HANDLE handle = CreateFileW(file.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information{};
  const bool known = GetFileInformationByHandle(handle, &information) != 0;
  CloseHandle(handle);
  if (!known) return std::nullopt;
  return FileIdentity{information.dwVolumeSerialNumber,
                      (uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
}

}  // namespace Archive
