#pragma once
// The two file operations of a staged export that the standard library cannot
// do safely: creating a file that did not exist (never through a link planted
// at its name) and putting it in place of its target for good. One body per
// operating system.
#include <cstdio>
#include <filesystem>
#include <string>

namespace Archive::Os {

enum class CreateOutcome { Created, NameTaken, Failed };

// Creates the file for writing in binary mode; NameTaken when anything (a file,
// a folder, a link, dangling or not) has the name. error: why it Failed.
CreateOutcome CreateNewFile(const std::filesystem::path& path, std::FILE*& file, std::string& error);

// Writes the file's buffers out to the disk and closes it; false (with why) when it failed.
bool SyncAndClose(std::FILE* file, std::string& error);

// Renames from to to, replacing what has that name (a link is replaced, never
// followed), and makes the rename last; false (with why) when it failed. (Not
// named ReplaceFile: the Windows headers make that name a macro.)
bool MoveOnto(const std::filesystem::path& from, const std::filesystem::path& to, std::string& error);

}  // namespace Archive::Os
