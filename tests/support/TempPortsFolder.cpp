#include "tests/support/TempPortsFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "serial/PortDiscovery.h"

TempPortsFolder::TempPortsFolder() {
  std::filesystem::create_directories(Folder());
  if (const char* saved = std::getenv("XDG_CONFIG_HOME")) {
    saved_ = saved;
    hadSaved_ = true;
  }
  setenv("XDG_CONFIG_HOME", ConfigHome().c_str(), 1);
  savedFolder_ = PortDiscovery::PortsFolder();
  PortDiscovery::SetPortsFolder(Folder());
}

TempPortsFolder::~TempPortsFolder() {
  PortDiscovery::SetPortsFolder(savedFolder_);
  if (hadSaved_) {
    setenv("XDG_CONFIG_HOME", saved_.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}

std::string TempPortsFolder::Link(int number, const std::string& target) {
  const std::string link = Folder() + "/COM" + std::to_string(number);
  std::error_code ignored;
  std::filesystem::remove(link, ignored);
  std::filesystem::create_symlink(target, link);
  return link;
}

std::string TempPortsFolder::Name(int number, const std::string& networkName) {
  const std::string entry = Folder() + "/COM" + std::to_string(number);
  std::error_code ignored;
  std::filesystem::remove(entry, ignored);
  std::ofstream(entry) << networkName << "\n";
  return entry;
}
