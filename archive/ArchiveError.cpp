#include "archive/ArchiveError.h"

namespace Archive {

namespace {

std::string MessageOf(const std::filesystem::path& file, const std::string& what, const std::string& reason) {
  std::string text = what + " \"" + Utf8Path(file) + "\"";
  if (!reason.empty()) text += ": " + reason;
  return text;
}

}  // namespace

EArchiveError::EArchiveError(const std::filesystem::path& file, const std::string& what, const std::string& reason)
    : Exception(MessageOf(file, what, reason)), file_(file), reason_(reason) {}

std::string Utf8Path(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace Archive
