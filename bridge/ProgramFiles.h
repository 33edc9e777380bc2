#pragma once
// How the system finds a program that the bridge starts (the alarm command):
// whether a name already says its folder, which folders a bare name is looked
// for in, and whether a file is one the system can start.
#include <string>
#include <vector>

// Linux: a name with '/'. Windows: also '\' or a drive ("C:").
bool NamesItsFolder(const std::string& program);
// The folders of PATH, in order.
std::vector<std::string> ProgramSearchFolders();
// The path joined to a folder as the system does it.
std::string InFolder(const std::string& folder, const std::string& program);
// Linux: a regular file that this user may execute. Windows: a file that
// CreateProcess starts: .exe, .com, .bat or .cmd (".exe" added to a name
// without an extension, as CreateProcess does).
bool IsRunnableFile(const std::string& path);
