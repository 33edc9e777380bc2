// ProgramFiles on Linux: PATH separated by ':', the execute permission.
#include "bridge/ProgramFiles.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <sstream>

bool NamesItsFolder(const std::string& program) { return program.find('/') != std::string::npos; }

std::vector<std::string> ProgramSearchFolders() {
  const char* path = std::getenv("PATH");
  std::istringstream list(path != nullptr ? path : "");
  std::vector<std::string> folders;
  for (std::string folder; std::getline(list, folder, ':');)
    if (!folder.empty()) folders.push_back(folder);
  return folders;
}

std::string InFolder(const std::string& folder, const std::string& program) { return folder + "/" + program; }

bool IsRunnableFile(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && access(path.c_str(), X_OK) == 0;
}
