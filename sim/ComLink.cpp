#include "ComLink.h"

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace Sim {

std::string ComLink::PortsFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  fs::path base;
  if (config != nullptr && config[0] == '/') {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') throw std::runtime_error("neither XDG_CONFIG_HOME nor HOME is set");
    base = fs::path(home) / ".config";
  }
  return (base / "PCZentrixNet" / "ports").string();
}

ComLink::ComLink(int number, const std::string& target) : target_(target) {
  const fs::path folder = PortsFolder();
  const fs::path link = folder / ("COM" + std::to_string(number));
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) throw std::runtime_error("cannot create " + folder.string() + ": " + ec.message());
  const fs::file_status existing = fs::symlink_status(link, ec);
  if (fs::exists(existing) && !fs::is_symlink(existing))
    throw std::runtime_error(link.string() + " exists and is not a symbolic link; not replaced");
  // A new link under a temporary name, then renamed over the old one in one step.
  const fs::path temporary = folder / (".COM" + std::to_string(number) + ".new." + std::to_string(getpid()));
  fs::remove(temporary, ec);
  fs::create_symlink(target, temporary, ec);
  if (ec) throw std::runtime_error("cannot create " + temporary.string() + ": " + ec.message());
  fs::rename(temporary, link, ec);
  if (ec) {
    fs::remove(temporary);
    throw std::runtime_error("cannot create " + link.string() + ": " + ec.message());
  }
  link_ = link.string();
}

ComLink::~ComLink() { Remove(); }

void ComLink::Remove() {
  if (link_.empty()) return;
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(link_, ec)) && fs::read_symlink(link_, ec) == target_) fs::remove(link_, ec);
  link_.clear();
}

}  // namespace Sim
