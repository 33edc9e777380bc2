// Events and waits on one or several of them: the system's own objects.
#include <vector>

#include "Win32Comm.h"

namespace Platform {

namespace {

bool Fail(DWORD error) {
  SetLastError(int(error));
  return false;
}

}  // namespace

Event* CreateEvent(bool manualReset, bool initialState) {
  HANDLE handle = ::CreateEventW(nullptr, manualReset, initialState, nullptr);
  if (handle == nullptr) {
    SetLastError(int(::GetLastError()));
    return nullptr;
  }
  return new Event{handle};
}

void CloseEvent(Event* event) {
  if (event == nullptr) return;
  ::CloseHandle(event->Handle);
  delete event;
}

bool SetEvent(Event* event) {
  if (event == nullptr) return Fail(ERROR_INVALID_HANDLE);
  return ::SetEvent(event->Handle) || Fail(::GetLastError());
}

bool ResetEvent(Event* event) {
  if (event == nullptr) return Fail(ERROR_INVALID_HANDLE);
  return ::ResetEvent(event->Handle) || Fail(::GetLastError());
}

// The result values are the system's own (WAIT_OBJECT_0 + i, WAIT_TIMEOUT, WAIT_FAILED).
uint32_t WaitForMultipleObjects(std::span<Event* const> events, uint32_t milliseconds) {
  std::vector<HANDLE> handles;
  handles.reserve(events.size());
  for (Event* event : events) {
    if (event == nullptr) {
      Fail(ERROR_INVALID_HANDLE);
      return WaitFailed;
    }
    handles.push_back(event->Handle);
  }
  const DWORD result = ::WaitForMultipleObjects(DWORD(handles.size()), handles.data(), FALSE, milliseconds);
  if (result == WAIT_FAILED) SetLastError(int(::GetLastError()));
  return result;
}

uint32_t WaitForSingleObject(Event* event, uint32_t milliseconds) {
  return WaitForMultipleObjects(std::span<Event* const>(&event, 1), milliseconds);
}

}  // namespace Platform
