// Error codes and texts, time, and thread priorities on POSIX.
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "PosixNetwork.h"
#include "serial/internal/Platform.h"

namespace Platform {

namespace {
thread_local int LastErrorCode = 0;

// Nice values for the priorities idle .. time critical. Raising a priority
// above normal needs a privilege; without it the thread stays at normal.
constexpr int NiceForPriority[] = {19, 10, 5, 0, -5, -10, -15};
}  // namespace

int LastError() { return LastErrorCode; }
void SetLastError(int code) { LastErrorCode = code; }

std::string SysErrorMessage(int code) {
  if (std::string resolver = PosixNetwork::ResolveErrorText(code); !resolver.empty()) return resolver;
  char buffer[256];
  return strerror_r(code, buffer, sizeof buffer);
}

bool IsResolverError(int code) { return !PosixNetwork::ResolveErrorText(code).empty(); }

int OutOfMemoryError() { return ENOMEM; }

uint32_t GetTickCount() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const uint64_t ms = uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u;
  return uint32_t(ms);
}

void Sleep(uint32_t milliseconds) {
  timespec pause{time_t(milliseconds / 1000), long(milliseconds % 1000) * 1000000L};
  while (nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}

int PlatformId() { return 0; }

ThreadId CurrentThreadId() { return ThreadId(syscall(SYS_gettid)); }

void SetThreadPriority(ThreadId thread, int priority) {
  if (priority < 0) priority = 0;
  if (priority > 6) priority = 6;
  // Best effort: a refused change keeps the thread's current priority.
  const int saved = errno;
  setpriority(PRIO_PROCESS, id_t(thread), NiceForPriority[priority]);
  errno = saved;
}

}  // namespace Platform
