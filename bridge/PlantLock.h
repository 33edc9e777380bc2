#pragma once
// One bridge per plant on a machine: a lock file per plant in the runtime
// folder, held with flock for as long as the bridge runs. The kernel drops
// the lock when the process ends, however it ends, so no stale lock is left.
#include <optional>
#include <string>

class PlantLock {
public:
  // The runtime folder: $RUNTIME_DIRECTORY (systemd's RuntimeDirectory=),
  // else $XDG_RUNTIME_DIR, else a folder of this user's own in the shared
  // temporary folder ($TMPDIR or /tmp): pczentrixnet-bridge-<uid>, mode 0700,
  // so that no other user can make or hold the lock in the bridge's place.
  static std::string Folder();
  static std::string FileFor(const std::string& plant);

  // Takes the plant's lock. Raises Exception naming the file and the other
  // bridge's process id when another bridge holds it; when the file cannot be
  // made; and when the folder or the file belongs to another user, or others
  // may write the shared folder's own one.
  explicit PlantLock(const std::string& plant);
  ~PlantLock();
  PlantLock(const PlantLock&) = delete;
  PlantLock& operator=(const PlantLock&) = delete;

private:
  int fd_ = -1;
};
