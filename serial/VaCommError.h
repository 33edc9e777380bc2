#pragma once
// The component's exception: the text people read, the kind callers decide on,
// and the system's error code behind it (0 when no system call failed).
#include <string>

#include "base/Exception.h"

enum class TVaCommErrorKind {
  NotFound,         // the device path leads to no device
  NoPermission,     // the user may not open the device
  Busy,             // another handle holds the device
  Lost,             // the open device went away
  SettingsRefused,  // the device does not take a setting (or a size cannot be had)
  InputOutput,      // reading, writing, purging or the status failed; any other failure
  PortOpen,         // the call needs a closed port
};

class EVaCommError : public Exception {
public:
  EVaCommError(const std::string& message, TVaCommErrorKind kind, int systemCode = 0)
      : Exception(message), kind_(kind), systemCode_(systemCode) {}
  TVaCommErrorKind Kind() const { return kind_; }
  int SystemCode() const { return systemCode_; }

private:
  TVaCommErrorKind kind_;
  int systemCode_;
};
