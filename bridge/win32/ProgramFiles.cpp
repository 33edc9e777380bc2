// ProgramFiles on Windows: PATH separated by ';', and the kinds of file that
// CreateProcess starts. The wide variants, so that a folder outside the ANSI
// code page survives (names are UTF-8 inside the bridge).
#include "bridge/ProgramFiles.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "bridge/win32/Utf8Paths.h"

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

}  // namespace

bool NamesItsFolder(const std::string& program) {
  return program.find_first_of("/\\") != std::string::npos || (program.size() >= 2 && program[1] == ':');
}

std::vector<std::string> ProgramSearchFolders() {
  const wchar_t* path = _wgetenv(L"PATH");
  std::istringstream list(path != nullptr ? Utf8FromWide(path) : "");
  std::vector<std::string> folders;
  for (std::string folder; std::getline(list, folder, ';');)
    if (!folder.empty()) folders.push_back(folder);
  return folders;
}

std::string InFolder(const std::string& folder, const std::string& program) {
  const bool separated = !folder.empty() && (folder.back() == '\\' || folder.back() == '/');
  return folder + (separated ? "" : "\\") + program;
}

bool IsRunnableFile(const std::string& path) {
  std::filesystem::path file = PathFromUtf8(path);
  if (!file.has_extension()) file += ".exe";
  const std::string extension = Lower(file.extension().string());
  if (extension != ".exe" && extension != ".com" && extension != ".bat" && extension != ".cmd") return false;
  std::error_code error;
  return std::filesystem::is_regular_file(file, error);
}
