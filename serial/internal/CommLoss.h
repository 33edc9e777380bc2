#pragma once
// Whether an open device went away, as both bindings keep it in their device
// record under the record's lock: marked once, with the error code that said
// so, and never cleared while the device is open.
#include <mutex>

namespace Platform {

struct CommLoss {
  bool Lost = false;
  int Error = 0;

  // Caller holds the device's lock. False when the loss was marked before.
  bool Mark(int error) {
    if (Lost) return false;
    Lost = true;
    Error = error;
    return true;
  }
};

// The loss of a device record (none for nullptr), read under its lock: the
// bindings answer CommLost and CommLostError with it.
template <typename Device>
CommLoss LossOf(Device* comm) {
  if (comm == nullptr) return {};
  std::lock_guard guard(comm->Lock);
  return comm->Loss;
}

}  // namespace Platform
