#pragma once
// The bridge's run from its start to its stop, for each main that runs it:
// the console program, and later a Windows service with its own stop request.
// It holds the plant's lock for as long as it lives.
#include <QCoreApplication>
#include <string>

#include "bridge/Bridge.h"
#include "bridge/BridgeFolder.h"
#include "bridge/BridgeOptions.h"
#include "bridge/PlantLock.h"

class BridgeRun {
public:
  static constexpr int CannotRun = 1;

  // Takes the plant's lock and sets the bridge up. Raises Exception when
  // another bridge holds the lock or the bridge cannot be set up.
  BridgeRun(const BridgeOptions& options, const std::string& password, RunAs as);

  // Starts the bridge and runs app's event loop until a stop has ended it:
  // the exit status, 0 after a stop, 1 when the bridge could not start.
  int Exec(QCoreApplication& app);
  // On the main thread (another thread posts it there): logs "stopping on
  // <reason>", publishes "offline", closes the port and the archive's
  // connection, then ends Exec.
  void Stop(const std::string& reason);

private:
  PlantLock lock_;
  Bridge bridge_;
  QCoreApplication* app_ = nullptr;
};
