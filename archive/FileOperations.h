#pragma once
// The two file operations of a staged export that must not be fooled by a name
// planted beforehand: creating a file that did not exist (never through a link
// at its name) and putting it in place of its target (a link there is replaced,
// never followed). The standard library's do both on Linux; Windows' C runtime
// neither creates exclusively nor renames over a file, so the Windows program
// installs its system's calls at start (shell/WindowsFileOperations).
#include <cstdio>
#include <filesystem>
#include <string>

namespace Archive {

enum class CreateOutcome { Created, NameTaken, Failed };

struct FileOperations {
  // Creates the file for writing in binary mode; NameTaken when anything (a
  // file, a folder, a link, dangling or not) has the name; error: why it Failed.
  CreateOutcome (*CreateNew)(const std::filesystem::path& path, std::FILE*& file, std::string& error);
  // Renames from to to, replacing what has that name; false (with why) when it failed.
  bool (*MoveOnto)(const std::filesystem::path& from, const std::filesystem::path& to, std::string& error);
};

// The operations the exports use from now on.
void UseFileOperations(const FileOperations& operations);
const FileOperations& CurrentFileOperations();

}  // namespace Archive
