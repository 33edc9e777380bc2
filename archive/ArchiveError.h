#pragma once
// The one error of the archive: what failed, on which file, and why (SQLite's
// or the file system's own message). Texts are UTF-8.
#include <filesystem>
#include <string>

#include "base/Exception.h"

namespace Archive {

class EArchiveError : public Exception {
public:
  EArchiveError(const std::filesystem::path& file, const std::string& what, const std::string& reason);
  const std::filesystem::path& File() const { return file_; }
  const std::string& Reason() const { return reason_; }

private:
  std::filesystem::path file_;
  std::string reason_;
};

// A path as UTF-8 text, on every system.
std::string Utf8Path(const std::filesystem::path& path);

}  // namespace Archive
