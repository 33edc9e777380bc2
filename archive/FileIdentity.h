#pragma once
// Which file a path names (device and inode; on Windows the volume serial
// number and file index), so that an archive deleted or replaced under an open
// connection is noticed. Implemented once per system in archive/posix and archive/win32.
#include <cstdint>
#include <filesystem>
#include <optional>

namespace Archive {

struct FileIdentity {
  uint64_t Device = 0;
  uint64_t Index = 0;
  bool operator==(const FileIdentity&) const = default;
};

// Nothing when no file has the name (or it cannot be examined).
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& file);

}  // namespace Archive
