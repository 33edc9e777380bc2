#pragma once
// What one completed data exchange adds to the plant's history, keyed by the
// controller's own clock, with the plant it came from.
#include <array>
#include <cstdint>
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

// "YYYY-MM-DD HH:MM".
std::string ClockText(const ControllerClock& clock);

}  // namespace Archive
