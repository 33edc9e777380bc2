#include "serial/internal/VaSync.h"

#include <vector>

#include "base/Exception.h"

TVaHandleObject::~TVaHandleObject() { Platform::CloseEvent(FHandle); }

TVaEvent::TVaEvent() {
  FHandle = Platform::CreateEvent(true, false);
  if (FHandle == nullptr) {
    const int code = Platform::LastError();
    throw Exception("Error creating event (" + std::to_string(code) + "), " + Platform::SysErrorMessage(code));
  }
}

void TVaEvent::Signal() { Platform::SetEvent(FHandle); }

void TVaEvent::Reset() { Platform::ResetEvent(FHandle); }

TWaitResult TVaEvent::WaitFor(uint32_t milliseconds) {
  const uint32_t result = Platform::WaitForSingleObject(FHandle, milliseconds);
  if (result == Platform::WaitObject0) return wrSignaled;
  if (result == Platform::WaitTimeout) return wrTimeout;
  FLastError = Platform::LastError();
  return wrError;
}

int WaitForAny(std::initializer_list<TVaEvent*> events, uint32_t milliseconds) {
  std::vector<Platform::Event*> handles;
  handles.reserve(events.size());
  for (TVaEvent* event : events) handles.push_back(event->Handle());
  const uint32_t result = Platform::WaitForMultipleObjects(handles, milliseconds);
  if (result == Platform::WaitTimeout) return -1;
  if (result == Platform::WaitFailed) return -2;
  return int(result - Platform::WaitObject0);
}
