// Error codes and texts, time, thread priorities and device names on Windows.
#include <string>
#include <string_view>

#include "Win32Comm.h"
#include "serial/DeviceName.h"
#include "serial/NetworkPortName.h"
#include "serial/PortDiscovery.h"
#include "serial/PortsEntry.h"

namespace Platform {

namespace {

thread_local int LastErrorCode = 0;

constexpr int PriorityValues[] = {
    THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,  THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
    THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST, THREAD_PRIORITY_TIME_CRITICAL};

// The system's texts end in a full stop and a line break; the component's
// messages put the text into their own sentence, as on Linux.
std::string WithoutTrailer(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
    text.pop_back();
  }
  return text;
}

}  // namespace

namespace Win32Text {

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring wide(size_t(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), length);
  return wide;
}

std::string Utf8(const wchar_t* text, int length) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string utf8(size_t(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), size, nullptr, nullptr);
  if (length < 0) utf8.pop_back();  // the terminating zero was converted too
  return utf8;
}

}  // namespace Win32Text

int LastError() { return LastErrorCode; }

void SetLastError(int code) {
  LastErrorCode = code;
  ::SetLastError(DWORD(code));
}

std::string SysErrorMessage(int code) {
  wchar_t* text = nullptr;
  const DWORD length =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, DWORD(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0 || text == nullptr) return "Unknown error " + std::to_string(code);
  const std::string message = Win32Text::Utf8(text, int(length));
  ::LocalFree(text);
  return WithoutTrailer(message);
}

// Windows names hosts in its own calls; no code here is a resolver's.
bool IsResolverError(int) { return false; }

int OutOfMemoryError() { return ERROR_NOT_ENOUGH_MEMORY; }

uint32_t GetTickCount() { return ::GetTickCount(); }

void Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

int PlatformId() { return VER_PLATFORM_WIN32_NT; }

// A network port name is used as it is; "COMn" names what the ports
// folder's text file COMn holds when there is one, else opens as "\\.\COMn", which
// also reaches ports above COM9; any other name is used as it is, with at
// most one device prefix.
std::string ResolveDevicePath(const std::string& formatted) {
  const std::string_view name = DeviceName::StripDevicePrefixes(formatted);
  if (HasNetworkScheme(name)) return std::string(name);
  const bool prefixed = name.size() != formatted.size();
  const long number = DeviceName::ComNumber(name);
  if (const std::string folder = PortDiscovery::PortsFolder(); number >= 0 && !folder.empty()) {
    // A text file that names no server still wins: the error then names the
    // entry the user made instead of a port they did not choose.
    const std::string entry = Win32Ports::EntryPath(folder, number);
    if (const auto text = PortDiscovery::TextEntry(entry)) return HasNetworkScheme(*text) ? *text : entry;
  }
  if (number >= 0) return "\\\\.\\COM" + std::to_string(number);
  return prefixed ? "\\\\.\\" + std::string(name) : std::string(name);
}

ThreadId CurrentThreadId() { return ThreadId(::GetCurrentThreadId()); }

void SetThreadPriority(ThreadId thread, int priority) {
  if (priority < 0) priority = 0;
  if (priority > 6) priority = 6;
  // Best effort, as on every system: a refused change keeps the priority.
  HANDLE handle = ::OpenThread(THREAD_SET_INFORMATION, FALSE, DWORD(thread));
  if (handle == nullptr) return;
  ::SetThreadPriority(handle, PriorityValues[priority]);
  ::CloseHandle(handle);
}

}  // namespace Platform
