#include "PhaseLog.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

// "exchange 3: receive=12 store=3 ..." in the phases' order.
std::optional<PhaseTotalsUs> ParseLine(const std::string& line) {
  const size_t colon = line.find(": ");
  if (line.rfind("exchange ", 0) != 0 || colon == std::string::npos) return std::nullopt;
  std::istringstream fields(line.substr(colon + 2));
  PhaseTotalsUs totals{};
  std::string field;
  for (int i = 0; i < ExchangePhaseCount; ++i) {
    if (!(fields >> field)) return std::nullopt;
    const std::string name = std::string(ExchangePhases::NameOf(static_cast<ExchangePhase>(i))) + "=";
    if (field.rfind(name, 0) != 0) return std::nullopt;
    totals[i] = std::stoll(field.substr(name.size()));
  }
  return totals;
}

}  // namespace

std::vector<PhaseTotalsUs> ReadPhaseLog(const std::string& file) {
  std::vector<PhaseTotalsUs> lines;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);)
    if (const std::optional<PhaseTotalsUs> totals = ParseLine(line)) lines.push_back(*totals);
  return lines;
}

std::vector<PhaseTotalsUs> WaitForPhaseLines(const std::string& file, size_t lines, std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::vector<PhaseTotalsUs> totals = ReadPhaseLog(file);
  while (totals.size() < lines && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    totals = ReadPhaseLog(file);
  }
  return totals;
}

void PrintPhases(const std::string& who, const std::vector<PhaseTotalsUs>& totals, int exchanges, int64_t bytes) {
  if (exchanges < 1 || totals.size() < static_cast<size_t>(exchanges) + 1 || bytes <= 0) {
    std::printf("%s, main thread by phase: not recorded (%zu lines in the phase log)\n", who.c_str(), totals.size());
    return;
  }
  const PhaseTotalsUs& from = totals.front();
  const PhaseTotalsUs& to = totals[exchanges];
  std::printf(
      "%s, main thread's wall time by phase, per whole cycle (ms) and per byte received in its exchange (us), %d "
      "cycle(s):",
      who.c_str(), exchanges);
  int64_t sum = 0;
  for (int i = 0; i < ExchangePhaseCount; ++i) {
    const int64_t us = to[i] - from[i];
    sum += us;
    std::printf(" %s %.1f ms = %.1f us;", ExchangePhases::NameOf(static_cast<ExchangePhase>(i)),
                static_cast<double>(us) / 1000 / exchanges, static_cast<double>(us) / static_cast<double>(bytes));
  }
  std::printf(" all phases %.1f ms = %.1f us\n", static_cast<double>(sum) / 1000 / exchanges,
              static_cast<double>(sum) / static_cast<double>(bytes));
}
