// FileIdentity on POSIX systems: the device and inode that stat() gives.
#include "archive/FileIdentity.h"

#include <sys/stat.h>

namespace Archive {

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& file) {
  struct stat status {};
  if (::stat(file.c_str(), &status) != 0) return std::nullopt;
  return FileIdentity{static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
}

}  // namespace Archive
