#include "serial/PortsEntry.h"

#include "serial/PortDiscovery.h"

#include <filesystem>
#include <fstream>
#include <mutex>
#include <string_view>

namespace PortDiscovery {

namespace {

std::mutex PortsFolderLock;
std::string PortsFolderPath;

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

}  // namespace

void SetPortsFolder(std::string folder) {
  std::lock_guard guard(PortsFolderLock);
  PortsFolderPath = std::move(folder);
}

std::string PortsFolder() {
  std::lock_guard guard(PortsFolderLock);
  return PortsFolderPath;
}

std::optional<std::string> TextEntry(const std::string& entry) {
  // The path is UTF-8; on Windows the wide form opens names beyond the code page.
  const std::filesystem::path path = std::filesystem::u8path(entry);
  std::error_code error;
  if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path, error))) return std::nullopt;
  std::ifstream file(path);
  char line[512] = {};
  file.getline(line, sizeof line);
  return std::string(Trimmed(line));
}

}  // namespace PortDiscovery
