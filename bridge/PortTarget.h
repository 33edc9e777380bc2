#pragma once
// The port a bridge was told, followed across reopenings: the name is
// resolved again each time (a COM number's entry in the ports folder may have
// been re-pointed), a COM number that the ports folder pointed at never falls
// back to the fixed mapping's device while its entry is gone, and a change of
// the device behind the name is told.
#include <optional>
#include <string>

#include "session/PortChoice.h"

class PortTarget {
public:
  explicit PortTarget(PortChoice choice) : choice_(std::move(choice)) {}

  // Why the port must not be opened now: its ports-folder entry is gone.
  std::optional<std::string> Refusal() const;
  // After each opening: the line to log when the device behind the name is
  // another than at the last opening.
  std::optional<std::string> Opened();

private:
  std::string Device() const;

  PortChoice choice_;
  bool linked_ = false;  // the COM number was opened through the ports folder
  std::string device_;   // what it opened last time
};
