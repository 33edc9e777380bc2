#include "bridge/PlantLock.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "base/Exception.h"

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// The process id the holder wrote into the file, for the message.
std::string HolderOf(int fd) {
  char text[32] = {};
  const ssize_t n = pread(fd, text, sizeof text - 1, 0);
  if (n <= 0) return "";
  std::string pid(text, static_cast<size_t>(n));
  pid = pid.substr(0, pid.find_first_not_of("0123456789"));
  return pid.empty() ? "" : " (process " + pid + ")";
}

}  // namespace

std::string PlantLock::Folder() {
  // RuntimeDirectory= may list several folders, separated by ':'.
  std::string folder = Environment("RUNTIME_DIRECTORY");
  folder = folder.substr(0, folder.find(':'));
  if (folder.empty()) folder = Environment("XDG_RUNTIME_DIR");
  return folder.empty() ? "/tmp" : folder;
}

std::string PlantLock::FileFor(const std::string& plant) {
  return Folder() + "/pczentrixnet-bridge-" + plant + ".lock";
}

PlantLock::PlantLock(const std::string& plant) {
  const std::string file = FileFor(plant);
  // Never through a link planted at that name (the fallback /tmp is shared).
  fd_ = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd_ < 0) throw Exception("cannot make the plant's lock file " + file + " (" + std::strerror(errno) + ")");
  if (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    const std::string holder = HolderOf(fd_);
    close(fd_);
    if (error == EWOULDBLOCK)
      throw Exception("another bridge" + holder + " publishes the plant " + plant + " already (it holds " + file + ")");
    throw Exception("cannot lock " + file + " (" + std::strerror(error) + ")");
  }
  const std::string pid = std::to_string(getpid()) + "\n";
  if (ftruncate(fd_, 0) == 0 && pwrite(fd_, pid.data(), pid.size(), 0) < 0) {
    // The id is only for the other bridge's message; the lock holds without it.
  }
}

PlantLock::~PlantLock() {
  if (fd_ >= 0) close(fd_);
}
