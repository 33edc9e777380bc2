// PlantLock on Windows: a named mutex in the machine-wide namespace, so that a
// bridge run by hand and one run as a service see each other. A mutex whose
// holder ended without releasing it is "abandoned" and goes to the next
// bridge that asks, so no stale lock is left. The plant's id holds only
// letters, digits, '_' and '-': nothing that the object's name could not hold.
#include "bridge/PlantLock.h"

#include <windows.h>

#include "base/Exception.h"
#include "bridge/win32/SystemMessage.h"

namespace {

std::string Taken(const std::string& plant, const std::string& name) {
  return "another bridge publishes the plant " + plant + " already (it holds " + name + ")";
}

}  // namespace

std::string PlantLock::NameFor(const std::string& plant) { return "Global\\pczentrixnet-bridge-" + plant; }

PlantLock::PlantLock(const std::string& plant) {
  const std::string name = NameFor(plant);
  const HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
  if (mutex == nullptr) {
    const DWORD error = GetLastError();
    // A mutex that another account's bridge (a service) made and keeps from us.
    if (error == ERROR_ACCESS_DENIED) throw Exception(Taken(plant, name));
    throw Exception("cannot make the plant's lock " + name + " (" + SystemMessage(error) + ")");
  }
  // Held by the main thread from here to the destructor, which runs there too.
  const DWORD outcome = WaitForSingleObject(mutex, 0);
  if (outcome != WAIT_OBJECT_0 && outcome != WAIT_ABANDONED) {
    CloseHandle(mutex);
    if (outcome == WAIT_TIMEOUT) throw Exception(Taken(plant, name));
    throw Exception("cannot lock " + name + " (" + SystemMessage(GetLastError()) + ")");
  }
  handle_ = reinterpret_cast<intptr_t>(mutex);
}

PlantLock::~PlantLock() {
  const HANDLE mutex = reinterpret_cast<HANDLE>(handle_);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
}
