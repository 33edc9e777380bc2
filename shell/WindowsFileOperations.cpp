#include "shell/WindowsFileOperations.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "archive/FileOperations.h"

namespace {

// The system's text for an error, in UTF-8 like every message the program
// shows (the narrow system text would be in the local code page).
std::string SystemErrorText(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0 || text == nullptr) return "Fehler " + std::to_string(code);
  std::wstring wide(text, length);
  LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L'.')) wide.pop_back();
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size, nullptr, nullptr);
  return utf8;
}

Archive::CreateOutcome CreateNew(const std::filesystem::path& path, std::FILE*& file, std::string& error) {
  // CREATE_NEW fails on any existing name; a reparse point is opened as itself, never followed.
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) return Archive::CreateOutcome::NameTaken;
    error = SystemErrorText(code);
    return Archive::CreateOutcome::Failed;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  file = fd < 0 ? nullptr : _fdopen(fd, "wb");
  if (file != nullptr) return Archive::CreateOutcome::Created;
  error = std::generic_category().message(errno);
  if (fd < 0) CloseHandle(handle);
  else _close(fd);
  return Archive::CreateOutcome::Failed;
}

bool MoveOnto(const std::filesystem::path& from, const std::filesystem::path& to, std::string& error) {
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  error = SystemErrorText(GetLastError());
  return false;
}

}  // namespace

void UseSystemFileOperations() { Archive::UseFileOperations({CreateNew, MoveOnto}); }
#else
void UseSystemFileOperations() {}
#endif
