#pragma once
// What one completed data exchange adds to the plant's history, keyed by the
// controller's own clock, with the plant it came from.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "archive/PlantHistory.h"

namespace Archive {

struct ControllerClock {
  int Year = 1970;
  int Month = 1;
  int Day = 1;
  int Hour = 0;
  int Minute = 0;
};

struct ExchangeRecord {
  std::string PlantId;  // the controller's identification, else the name the user gave
  ControllerClock Clock;
  DayNumber Today = 0;  // the controller's date
  int ControllerType = 0;
  std::array<uint8_t, 3> ControllerVersion{};
  int PlantSize = 0;  // the plant's nominal power, 0.1 kWp: the archive view's chart scales
  PlantHistory History;
};

// Where an exchange comes from: the controller now (live archiving), or a
// plant file of any age taken over on the user's word.
enum class RecordSource { PlantFile, Controller };

// The controller keeps two-digit years: its calendar runs from 2000 to 2099.
constexpr int FirstControllerYear = 2000;
constexpr int LastControllerYear = 2099;

// Whether the clock names a moment the controller's calendar can hold.
bool IsPossibleClock(const ControllerClock& clock);

// "YYYY-MM-DD HH:MM", and back (nothing for any other text or an impossible moment).
std::string ClockText(const ControllerClock& clock);
std::optional<ControllerClock> ParseClockText(const std::string& text);
// Minutes since 1970-01-01 00:00 of the controller's calendar: clocks compared as moments.
int64_t MinutesOf(const ControllerClock& clock);

}  // namespace Archive
