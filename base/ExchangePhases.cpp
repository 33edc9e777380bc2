#include "base/ExchangePhases.h"

#include <vector>

namespace ExchangePhases {

namespace {

using Clock = std::chrono::steady_clock;

struct Account {
  bool On = false;
  std::array<Clock::duration, ExchangePhaseCount> Spent{};
  std::vector<ExchangePhase> Open;  // the innermost last
  Clock::time_point Mark;
};

Account& TheAccount() {
  static Account account;
  return account;
}

// The time since the last mark goes to the innermost open phase.
void ChargeInnermost(Account& a) {
  const Clock::time_point now = Clock::now();
  if (!a.Open.empty()) a.Spent[static_cast<int>(a.Open.back())] += now - a.Mark;
  a.Mark = now;
}

constexpr const char* Names[ExchangePhaseCount] = {"receive", "store", "archive", "publish", "tick", "redraw"};

}  // namespace

void Enable(bool on) { TheAccount().On = on; }

bool Enabled() { return TheAccount().On; }

const char* NameOf(ExchangePhase phase) { return Names[static_cast<int>(phase)]; }

void Enter(ExchangePhase phase) {
  Account& a = TheAccount();
  ChargeInnermost(a);
  a.Open.push_back(phase);
}

void Leave() {
  Account& a = TheAccount();
  if (a.Open.empty()) return;
  ChargeInnermost(a);
  a.Open.pop_back();
}

std::array<int64_t, ExchangePhaseCount> TotalsUs() {
  std::array<int64_t, ExchangePhaseCount> us{};
  const Account& a = TheAccount();
  for (int i = 0; i < ExchangePhaseCount; ++i)
    us[i] = std::chrono::duration_cast<std::chrono::microseconds>(a.Spent[i]).count();
  return us;
}

std::string TotalsLine() {
  const std::array<int64_t, ExchangePhaseCount> us = TotalsUs();
  std::string line;
  for (int i = 0; i < ExchangePhaseCount; ++i)
    line += (i == 0 ? "" : " ") + std::string(Names[i]) + "=" + std::to_string(us[i]);
  return line;
}

}  // namespace ExchangePhases
