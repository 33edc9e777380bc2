#pragma once
// Where the main thread's time goes, phase by phase (receiving and decoding,
// storing, archiving, publishing, the tick, redrawing): an account the
// benchmarks switch on. Off, a phase costs one test of a flag; on, two clock
// reads. Nested phases count apart: a phase's time excludes the phases run
// inside it. Main thread only.
#include <array>
#include <chrono>
#include <cstdint>
#include <string>

enum class ExchangePhase { Receive, Store, Archive, Publish, Tick, Redraw };
constexpr int ExchangePhaseCount = 6;

namespace ExchangePhases {

void Enable(bool on);
bool Enabled();
// Wall time spent in each phase since it was enabled, in microseconds.
std::array<int64_t, ExchangePhaseCount> TotalsUs();
// The totals on one line: "receive=12 store=3 ..." in microseconds.
std::string TotalsLine();
const char* NameOf(ExchangePhase phase);

void Enter(ExchangePhase phase);
void Leave();

}  // namespace ExchangePhases

// A phase for the lifetime of the object.
class PhaseScope {
public:
  explicit PhaseScope(ExchangePhase phase) : on_(ExchangePhases::Enabled()) {
    if (on_) ExchangePhases::Enter(phase);
  }
  ~PhaseScope() {
    if (on_) ExchangePhases::Leave();
  }
  PhaseScope(const PhaseScope&) = delete;
  PhaseScope& operator=(const PhaseScope&) = delete;

private:
  bool on_;
};
