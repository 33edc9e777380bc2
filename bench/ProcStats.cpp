#include "ProcStats.h"

#include <dirent.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

double TicksToMs(long long ticks) {
  return static_cast<double>(ticks) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// The value of a "Name:   1234 kB" line of a status file, or -1.
long KbField(const std::string& status, const std::string& name) {
  const size_t at = status.find("\n" + name + ":");
  if (at == std::string::npos) return -1;
  std::istringstream value(status.substr(at + name.size() + 2));
  long kb = -1;
  value >> kb;
  return kb;
}

}  // namespace

std::optional<long long> CpuTicksOfStatLine(const std::string& line) {
  // The name may hold blanks and parentheses; the fields go on after its last ')'.
  const size_t close = line.rfind(')');
  if (close == std::string::npos) return std::nullopt;
  std::istringstream fields(line.substr(close + 1));
  std::string field;
  long long utime = 0, stime = 0;
  int number = 3;  // field 3 (state) comes first
  for (; number <= 15 && fields >> field; ++number) {
    try {
      if (number == 14) utime = std::stoll(field);
      if (number == 15) stime = std::stoll(field);
    } catch (const std::exception&) {
      return std::nullopt;
    }
  }
  if (number <= 15) return std::nullopt;
  return utime + stime;
}

std::string NameOfStatLine(const std::string& line) {
  const size_t open = line.find('(');
  const size_t close = line.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return {};
  return line.substr(open + 1, close - open - 1);
}

std::optional<double> ProcessCpuMs(pid_t pid) {
  const std::optional<long long> ticks = CpuTicksOfStatLine(ReadFile("/proc/" + std::to_string(pid) + "/stat"));
  if (!ticks) return std::nullopt;
  return TicksToMs(*ticks);
}

std::vector<ThreadCpu> ThreadCpuTimes(pid_t pid) {
  std::vector<ThreadCpu> threads;
  const std::string folder = "/proc/" + std::to_string(pid) + "/task";
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return threads;
  while (const dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    const std::string line = ReadFile(folder + "/" + entry->d_name + "/stat");
    if (const std::optional<long long> ticks = CpuTicksOfStatLine(line))
      threads.push_back({static_cast<pid_t>(std::stol(entry->d_name)), NameOfStatLine(line), TicksToMs(*ticks)});
  }
  closedir(dir);
  return threads;
}

std::optional<MemoryFigures> ParseStatusMemory(const std::string& status) {
  const std::string text = "\n" + status;
  MemoryFigures m{KbField(text, "VmRSS"), KbField(text, "VmHWM")};
  if (m.RssKb < 0 || m.HwmKb < 0) return std::nullopt;
  return m;
}

std::optional<MemoryFigures> ProcessMemory(pid_t pid) {
  return ParseStatusMemory(ReadFile("/proc/" + std::to_string(pid) + "/status"));
}
