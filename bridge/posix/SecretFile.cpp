// SecretFile on Linux: the file's mode, as ssh checks its keys.
#include "bridge/SecretFile.h"

#include <sys/stat.h>
#include <cstdio>

std::optional<std::string> SecretFileExposure(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0 || (status.st_mode & S_IRWXO) == 0) return std::nullopt;
  char mode[8];
  std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(status.st_mode & 07777));
  return "may be read by others (mode " + std::string(mode) + "); make it private: chmod 600 " + path;
}
