// PlantLock on Linux: flock on a file of the runtime folder.
#include "bridge/PlantLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

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

// The runtime folder that the system or the session gives this user, if any.
std::string GivenRuntimeFolder() {
  // RuntimeDirectory= may list several folders, separated by ':'.
  std::string folder = Environment("RUNTIME_DIRECTORY");
  folder = folder.substr(0, folder.find(':'));
  return folder.empty() ? Environment("XDG_RUNTIME_DIR") : folder;
}

std::string SharedFallbackFolder() {
  const std::string temporary = Environment("TMPDIR");
  return (temporary.empty() ? "/tmp" : temporary) + "/pczentrixnet-bridge-" + std::to_string(geteuid());
}

// A file or folder another user made where the bridge expects its own: that
// user could hold the lock for ever, and no bridge of the plant would start.
void RefuseForeign(const std::string& path, const struct stat& status, const char* what) {
  if (status.st_uid == geteuid()) return;
  throw Exception("the " + std::string(what) + " " + path + " belongs to another user (uid " +
                  std::to_string(status.st_uid) + ", this bridge runs as uid " + std::to_string(geteuid()) +
                  "); not trusting it: remove it, or give the bridge a runtime folder of its own (XDG_RUNTIME_DIR)");
}

// The shared fallback's folder of this user's own: made with mode 0700, or
// taken as it is when it is a folder of this user's that no one else may write.
void MakeOwnFolder(const std::string& folder) {
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
    throw Exception("cannot make the folder for the plant's lock " + folder + " (" + std::strerror(errno) + ")");
  struct stat status {};
  if (lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
    throw Exception("the folder for the plant's lock " + folder + " is not a folder; not trusting it: remove it");
  RefuseForeign(folder, status, "folder for the plant's lock");
  if ((status.st_mode & 077) != 0)
    throw Exception("others may enter the folder for the plant's lock " + folder + "; not trusting it: chmod 700 " +
                    folder);
}

}  // namespace

std::string PlantLock::NameFor(const std::string& plant) {
  const std::string given = GivenRuntimeFolder();
  return (given.empty() ? SharedFallbackFolder() : given) + "/pczentrixnet-bridge-" + plant + ".lock";
}

PlantLock::PlantLock(const std::string& plant) {
  if (GivenRuntimeFolder().empty()) MakeOwnFolder(SharedFallbackFolder());
  const std::string file = NameFor(plant);
  // Never through a link planted at that name.
  const int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) throw Exception("cannot make the plant's lock file " + file + " (" + std::strerror(errno) + ")");
  struct stat status {};
  if (fstat(fd, &status) == 0 && status.st_uid != geteuid()) {
    close(fd);
    RefuseForeign(file, status, "plant's lock file");
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    const std::string holder = HolderOf(fd);
    close(fd);
    if (error == EWOULDBLOCK)
      throw Exception("another bridge" + holder + " publishes the plant " + plant + " already (it holds " + file + ")");
    throw Exception("cannot lock " + file + " (" + std::strerror(error) + ")");
  }
  const std::string pid = std::to_string(getpid()) + "\n";
  handle_ = fd;
  if (ftruncate(fd, 0) == 0 && pwrite(fd, pid.data(), pid.size(), 0) < 0) {
    // The id is only for the other bridge's message; the lock holds without it.
  }
}

PlantLock::~PlantLock() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
}
