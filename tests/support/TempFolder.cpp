#include "tests/support/TempFolder.h"

#include <stdlib.h>

#include <stdexcept>

TempFolder::TempFolder(const std::string& prefix) {
  std::string name = "/tmp/" + prefix + "-XXXXXX";
  if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = name;
}

TempFolder::~TempFolder() {
  if (keep_) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}
