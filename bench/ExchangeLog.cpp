#include "ExchangeLog.h"

#include <sstream>

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

}  // namespace

std::vector<int> ControllerBytesPerExchange(const std::string& log) {
  std::vector<int> exchanges;
  std::istringstream lines(log);
  bool inExchange = false;
  int bytes = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.find("(start of exchange)") != std::string::npos) {
      inExchange = true;
      bytes = 0;
    }
    if (!inExchange) continue;
    bytes += ControllerBytesOfLine(line);
    if (line.find(" SIM>PC ") != std::string::npos && line.find("EndOfExchange") != std::string::npos) {
      exchanges.push_back(bytes);
      inExchange = false;
    }
  }
  return exchanges;
}
