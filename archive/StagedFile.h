#pragma once
// A file written under a temporary name beside its target and put in place by
// a rename only once it is complete, so that a cancelled or failed export
// never leaves a half file under the target's name. The temporary file is
// created new under a name no one can guess, never through a link that
// another user planted at it; the rename replaces the target's name (a link
// there included) and never writes through it.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

#include "archive/FileStream.h"

namespace Archive {

class StagedFile {
public:
  // The suffixes of the temporary names to try, one per call.
  using NameSuffixes = std::function<std::string()>;

  // Creates the temporary file under the first free name of target + suffix
  // (random suffixes unless given). Throws EArchiveError.
  explicit StagedFile(std::filesystem::path target, const NameSuffixes& suffixes = {});
  // Removes the temporary file unless it was put in place.
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  std::ostream& Out() { return out_; }
  // Writes out, syncs and closes the temporary file. Throws EArchiveError on a write error.
  void Finish();
  // Renames the finished file to the target, replacing an older one. Throws EArchiveError.
  void PutInPlace();
  // Leaves the temporary file where it is, under its name (an older file
  // moved there that could not be put back must not be removed with it).
  void Keep() { placed_ = true; }
  const std::filesystem::path& Target() const { return target_; }
  const std::filesystem::path& Temporary() const { return temporary_; }

private:
  std::filesystem::path target_;
  std::filesystem::path temporary_;
  std::FILE* file_ = nullptr;
  FileOutBuffer buffer_;
  std::ostream out_{&buffer_};
  bool placed_ = false;
};

}  // namespace Archive
