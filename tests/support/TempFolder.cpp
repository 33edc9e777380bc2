#include "tests/support/TempFolder.h"

#include <stdlib.h>

#include <random>
#include <stdexcept>

#ifdef _WIN32
// In the system's temporary folder, under a name nobody else has.
TempFolder::TempFolder(const std::string& prefix) {
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto path = std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(random() % 1000000000));
    if (std::filesystem::create_directory(path)) {
      path_ = path;
      return;
    }
  }
  throw std::runtime_error("no temporary folder could be made");
}
#else
TempFolder::TempFolder(const std::string& prefix) {
  std::string name = "/tmp/" + prefix + "-XXXXXX";
  if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = name;
}
#endif

TempFolder::~TempFolder() {
  if (keep_) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}
