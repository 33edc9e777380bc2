#include "archive/os/NewFile.h"

#include <cerrno>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Archive::Os {

namespace {

std::string ErrnoText(int error) { return std::generic_category().message(error); }

#ifdef _WIN32
std::string LastErrorText() { return std::system_category().message(static_cast<int>(GetLastError())); }
#endif

}  // namespace

#ifdef _WIN32

CreateOutcome CreateNewFile(const std::filesystem::path& path, std::FILE*& file, std::string& error) {
  // CREATE_NEW fails on any existing name; a reparse point is opened as itself, never followed.
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) return CreateOutcome::NameTaken;
    error = std::system_category().message(static_cast<int>(code));
    return CreateOutcome::Failed;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    error = ErrnoText(errno);
    return CreateOutcome::Failed;
  }
  file = _fdopen(fd, "wb");
  if (file == nullptr) {
    error = ErrnoText(errno);
    _close(fd);
    return CreateOutcome::Failed;
  }
  return CreateOutcome::Created;
}

bool SyncAndClose(std::FILE* file, std::string& error) {
  bool ok = std::fflush(file) == 0;
  if (!ok) error = ErrnoText(errno);
  if (ok && !FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))))) {
    ok = false;
    error = LastErrorText();
  }
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    error = ErrnoText(errno);
  }
  return ok;
}

bool MoveOnto(const std::filesystem::path& from, const std::filesystem::path& to, std::string& error) {
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  error = LastErrorText();
  return false;
}

#else

CreateOutcome CreateNewFile(const std::filesystem::path& path, std::FILE*& file, std::string& error) {
  // O_CREAT | O_EXCL fails on any existing name and never follows a link at it.
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) {
    if (errno == EEXIST) return CreateOutcome::NameTaken;
    error = ErrnoText(errno);
    return CreateOutcome::Failed;
  }
  file = fdopen(fd, "wb");
  if (file == nullptr) {
    error = ErrnoText(errno);
    close(fd);
    return CreateOutcome::Failed;
  }
  return CreateOutcome::Created;
}

bool SyncAndClose(std::FILE* file, std::string& error) {
  bool ok = std::fflush(file) == 0 && fsync(fileno(file)) == 0;
  if (!ok) error = ErrnoText(errno);
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    error = ErrnoText(errno);
  }
  return ok;
}

bool MoveOnto(const std::filesystem::path& from, const std::filesystem::path& to, std::string& error) {
  // rename() replaces the name itself: a link at the target is replaced, not followed.
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    error = ErrnoText(errno);
    return false;
  }
  // The new name lasts once the folder that holds it is on the disk.
  std::filesystem::path folder = to.parent_path();
  if (folder.empty()) folder = ".";
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
  return true;
}

#endif

}  // namespace Archive::Os
