#pragma once
// The device and event objects behind Platform::Comm and Platform::Event on
// Windows, and what the files of this binding share about them.
// The component's comm constants come first: <windows.h> then defines macros
// of the same names and values, which stand for them from there on.
#include "serial/internal/CommConstants.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// <windows.h> renames CreateEvent to its wide form; Platform's own stays.
#undef CreateEvent

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "serial/internal/CommLoss.h"
#include "serial/internal/Platform.h"

namespace Platform {

struct Event {
  HANDLE Handle = nullptr;
};

// One overlapped operation slot: its block and the manual-reset event it signals.
struct Overlapped {
  OVERLAPPED Block{};
  Overlapped();
  ~Overlapped();
  Overlapped(const Overlapped&) = delete;
  Overlapped& operator=(const Overlapped&) = delete;
  // Readies the block for the next operation.
  OVERLAPPED* Start();
};

namespace Win32Network {
struct Line;
}

struct Comm {
  Comm();
  ~Comm();
  HANDLE Handle = INVALID_HANDLE_VALUE;  // a comm device; none for a network line
  Overlapped WaitIo;                     // the comm-event wait (event thread only)
  std::mutex ReadLock;
  Overlapped ReadIo;
  std::mutex WriteLock;
  Overlapped WriteIo;

  std::mutex Lock;  // guards everything below
  uint32_t Mask = 0;
  uint32_t Errors = 0;         // line errors that the binding's own status reads took
  uint32_t ReportedQueue = 0;  // queued bytes that a reported received-character event covered
  uint32_t RxThreshold = 1;    // received characters are reported once this many are queued
  uint32_t BaudRate = 9600;    // the line's rate (a port's default until set), for the quiet gap
  CommLoss Loss;
  std::unique_ptr<Win32Network::Line> Net;  // a line behind a device server; null for a comm device
};

namespace Win32Comm {

// Errors a removed adapter gives on every call. Each also has ordinary
// causes (a wait ended by a mask change ends with ERROR_OPERATION_ABORTED
// under wine), so a device counts as lost only when a status read fails too.
bool MayMeanDeviceGone(DWORD error);
// Checks with a status read whether the device is still there; marks it lost
// (with `error`) when it is not. Line errors the read takes are kept.
bool ConfirmLost(Comm& comm, DWORD error);
// Marks the device as gone; caller holds comm.Lock.
void MarkLost(Comm& comm, DWORD error);
// Waits for an overlapped operation that was started; false with its error.
bool FinishIo(Comm& comm, OVERLAPPED* io, DWORD& transferred);

}  // namespace Win32Comm

namespace Win32Ports {
// The path of the ports folder's entry COMn. "COMn" is a device name in every
// folder of Windows, so the path takes the "\\?\" form, which names the file.
std::string EntryPath(const std::string& folder, long number);
}  // namespace Win32Ports

namespace Win32Text {
// UTF-8 <-> UTF-16 for names and messages.
std::wstring Wide(const std::string& text);
std::string Utf8(const wchar_t* text, int length = -1);
}  // namespace Win32Text

}  // namespace Platform
