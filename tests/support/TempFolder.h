#pragma once
// A folder of the test's own under /tmp, removed with everything in it.
#include <filesystem>
#include <string>

class TempFolder {
public:
  explicit TempFolder(const std::string& prefix = "pczn-test");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  // Leaves the folder in place (to look at after a failure).
  void Keep() { keep_ = true; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
  std::filesystem::path path_;
  bool keep_ = false;
};
