#pragma once
// What /proc tells about a running process: processor time, of the whole
// process and of each of its threads, and resident memory.
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

// user + system time in clock ticks from a /proc/<pid>/stat or .../task/<tid>/stat
// line; nullopt when the line is not one.
std::optional<long long> CpuTicksOfStatLine(const std::string& line);
// The command name of such a line (between the first '(' and the last ')').
std::string NameOfStatLine(const std::string& line);

// Processor time of the process so far, in milliseconds; nullopt when it is gone.
std::optional<double> ProcessCpuMs(pid_t pid);

struct ThreadCpu {
  pid_t Tid;
  std::string Name;
  double CpuMs;
};
std::vector<ThreadCpu> ThreadCpuTimes(pid_t pid);

// Resident memory now and its peak, in kB (1024 bytes), from /proc/<pid>/status.
struct MemoryFigures {
  long RssKb = 0;
  long HwmKb = 0;
};
std::optional<MemoryFigures> ParseStatusMemory(const std::string& status);
std::optional<MemoryFigures> ProcessMemory(pid_t pid);
