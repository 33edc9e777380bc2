#pragma once
// The main thread's time per phase that the program and the bridge keep when
// PCZN_PHASE_LOG names a file (one line of running totals after each
// completed exchange), read back and printed beside the benchmark's totals.
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/ExchangePhases.h"

using PhaseTotalsUs = std::array<int64_t, ExchangePhaseCount>;

// The environment variable the programs read.
constexpr const char* PhaseLogVariable = "PCZN_PHASE_LOG";

// The running totals of each line of the file, in order; empty when there is none.
std::vector<PhaseTotalsUs> ReadPhaseLog(const std::string& file);
// The same once the file holds `lines` lines, or what it holds after `limit`:
// the program writes an exchange's line a few bytes' time after the simulator
// logged the end frame.
std::vector<PhaseTotalsUs> WaitForPhaseLines(const std::string& file, size_t lines, std::chrono::seconds limit);

// The time per phase between the end of the first exchange and the end of
// the exchange `exchanges` later, i.e. over whole cycles: per cycle (ms) and
// per byte the controller sent in their exchanges (us), on one line for `who`.
void PrintPhases(const std::string& who, const std::vector<PhaseTotalsUs>& totals, int exchanges, int64_t bytes);
