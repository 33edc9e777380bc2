#include "ExchangeLog.h"

#include <cstdlib>
#include <sstream>

#include "PacedLine.h"

namespace {

// The hex bytes of a SIM>PC line; 0 for any other line.
int ControllerBytesOfLine(const std::string& line) {
  const size_t at = line.find(" SIM>PC ");
  if (at == std::string::npos) return 0;
  const size_t from = at + 8;
  const size_t meaning = line.find("  ", from);
  std::istringstream bytes(line.substr(from, meaning == std::string::npos ? std::string::npos : meaning - from));
  int n = 0;
  for (std::string byte; bytes >> byte;) ++n;
  return n;
}

// The seconds that open every line.
double SecondsOfLine(const std::string& line) { return std::strtod(line.c_str(), nullptr); }

}  // namespace

std::vector<LoggedExchange> ExchangesInLog(const std::string& log) {
  std::vector<LoggedExchange> exchanges;
  std::istringstream lines(log);
  bool inExchange = false;
  LoggedExchange running;
  for (std::string line; std::getline(lines, line);) {
    if (line.find("(start of exchange)") != std::string::npos) {
      inExchange = true;
      running = LoggedExchange{SecondsOfLine(line), 0, 0, 0, 0};
    }
    if (!inExchange) continue;
    const int bytes = ControllerBytesOfLine(line);
    running.ControllerBytes += bytes;
    running.Frames += bytes > 0 ? 1 : 0;
    if (line.find(" SIM>PC ") != std::string::npos && line.find("EndOfExchange") != std::string::npos) {
      running.EndFrameS = SecondsOfLine(line);
      running.EndFrameBytes = bytes;
      exchanges.push_back(running);
      inExchange = false;
    }
  }
  return exchanges;
}

double WireTimeRatio(const LoggedExchange& e) {
  const double endNs =
      (e.EndFrameS - e.StartS) * 1e9 + PacedLine::WireNs(e.EndFrameBytes) + PacedLine::WireNs(e.Frames - 1);
  return endNs / PacedLine::WireNs(e.ControllerBytes);
}

std::vector<int> ControllerBytesPerExchange(const std::string& log) {
  std::vector<int> bytes;
  for (const LoggedExchange& e : ExchangesInLog(log)) bytes.push_back(e.ControllerBytes);
  return bytes;
}
