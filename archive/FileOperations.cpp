#include "archive/FileOperations.h"

#include <cerrno>
#include <system_error>

namespace Archive {

namespace {

// "x": created exclusively; the C library opens with O_CREAT | O_EXCL, which
// fails on any existing name and never follows a link at it.
CreateOutcome StandardCreateNew(const std::filesystem::path& path, std::FILE*& file, std::string& error) {
  file = std::fopen(path.string().c_str(), "wbx");
  if (file != nullptr) return CreateOutcome::Created;
  if (errno == EEXIST) return CreateOutcome::NameTaken;
  error = std::generic_category().message(errno);
  return CreateOutcome::Failed;
}

// rename() replaces the name itself: a link at the target is replaced, not followed.
bool StandardMoveOnto(const std::filesystem::path& from, const std::filesystem::path& to, std::string& error) {
  std::error_code failure;
  std::filesystem::rename(from, to, failure);
  if (failure) error = failure.message();
  return !failure;
}

FileOperations& Current() {
  static FileOperations operations{StandardCreateNew, StandardMoveOnto};
  return operations;
}

}  // namespace

void UseFileOperations(const FileOperations& operations) { Current() = operations; }

const FileOperations& CurrentFileOperations() { return Current(); }

}  // namespace Archive
