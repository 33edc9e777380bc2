#pragma once
// One bridge per plant on a machine, held for as long as the bridge runs and
// dropped by the system when the process ends, however it ends, so that no
// stale lock is left: on Linux a lock file per plant in the runtime folder
// (flock), on Windows a named mutex per plant for the whole machine.
#include <cstdint>
#include <string>

class PlantLock {
public:
  // What holds the plant's lock, as messages name it. On Linux the file in
  // the runtime folder: $RUNTIME_DIRECTORY (systemd's RuntimeDirectory=), else
  // $XDG_RUNTIME_DIR, else a folder of this user's own in the shared
  // temporary folder ($TMPDIR or /tmp): pczentrixnet-bridge-<uid>, mode 0700,
  // so that no other user can make or hold the lock in the bridge's place.
  // On Windows the mutex Global\pczentrixnet-bridge-<plant>.
  static std::string NameFor(const std::string& plant);

  // Takes the plant's lock. Raises Exception naming the lock (and, where the
  // system tells, the other bridge's process id) when another bridge holds
  // it; when it cannot be made; and on Linux when the folder or the file
  // belongs to another user, or others may write the shared folder's own one.
  explicit PlantLock(const std::string& plant);
  ~PlantLock();
  PlantLock(const PlantLock&) = delete;
  PlantLock& operator=(const PlantLock&) = delete;

private:
  intptr_t handle_ = -1;  // the file descriptor, or the mutex's HANDLE
};
