#pragma once
// What the daily values page shows, read from the plant data store at one
// moment through the same functions the page draws from, with the texts in
// UTF-8: the source of every value the bridge publishes.
#include <optional>
#include <string>
#include <vector>

#include "store/DailyFigures.h"

struct PlantReading {
  DailyFigures Figures;
  std::optional<unsigned> Irradiance;  // W/m2, the newest sample of today
  std::string ControllerClock;         // "dd/mm/yy hh:mm", the controller's own
  int ControllerType = 0;
  std::string ControllerVersion;     // "Pvvrrbb"
  std::string Commissioning;         // "mm/yyyy"
  std::string Hint;                  // the plant check's line
  std::vector<MeterFigures> Meters;  // meters 1..n as the page lists them
};

// Reads the store (recomputing the plant size and chart scales first, as the
// polling cycle's refresh does, so that figures per kWp use this exchange's size).
PlantReading ReadPlant();
