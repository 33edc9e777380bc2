#pragma once
// A file written under a temporary name beside its target and put in place by
// a rename only once it is complete, so that a cancelled or failed export
// never leaves a half file under the target's name.
#include <filesystem>
#include <fstream>

namespace Archive {

class StagedFile {
public:
  // Creates the temporary file. Throws ArchiveError.
  explicit StagedFile(std::filesystem::path target);
  // Removes the temporary file unless it was put in place.
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  std::ostream& Out() { return out_; }
  // Writes out and closes the temporary file. Throws ArchiveError on a write error.
  void Finish();
  // Renames the finished file to the target, replacing an older one. Throws ArchiveError.
  void PutInPlace();
  const std::filesystem::path& Target() const { return target_; }

private:
  [[noreturn]] void Fail(const char* what) const;

  std::filesystem::path target_;
  std::filesystem::path temporary_;
  std::ofstream out_;
  bool placed_ = false;
};

}  // namespace Archive
