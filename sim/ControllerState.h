#pragma once
// What the controller keeps besides the measured plant: its settings (start
// values and what the PC's commands changed), and the marks that clear
// commands and month-table edits leave on the data it reports.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <utility>

#include "CivilTime.h"
#include "PlantPhysics.h"

namespace Sim {

struct MonthEdit {
  uint16_t Value = 0;   // the entry as set, whole kWh
  int64_t FromDay = 0;  // days from this one on are added again as they end
};

struct ControllerState {
  int ControllerType = 24;
  std::array<uint8_t, 3> Version{3, 5, 12};

  // Settings, as the controller reports them.
  int MeterCount = 3;
  int PlantSize = 304;  // 0.1 kWp
  int CommissioningMonth = 4;
  int CommissioningYear = 6;  // years from 2000
  int Tariff = 43;            // cent per kWh
  int Sensitivity = 20;       // 10 (high) .. 40 (low)
  int ConnectionMode = 0;     // 0 COM server, 1 modem
  int ModemType = 1;          // 1 Zentrix modem, 0 INSYS Pocket
  int DialPrefix = 0;
  int PulsesPerKwh = 1000;
  int DisplayCycle = 8;  // seconds
  int DisplayOnHour = 7;
  int DisplayOffHour = 22;
  int LargeDisplayType = 0;
  int Calibration = 500;
  int RestartCount = 2;
  int OutputTest = 0;
  int NetVersion = 3;
  std::array<int, 3> InternetId{47, 11, 8};
  std::array<char, 12> SmsNumber{};
  std::array<std::array<char, 20>, 4> StartScreen{};

  // Marks left by clear commands: data of days before these days is gone.
  int64_t DailyValuesFromDay = INT64_MIN;
  // The meters' yearly yields count from this moment (or from 1 January, whichever is later).
  ClockSeconds YearEnergyFrom = INT64_MIN;
  // Month-table entries set by the PC, by calendar year and month.
  std::map<std::pair<int, int>, MonthEdit> MonthEdits;
  // The monitoring learns the meters' ratios; it is off until this moment.
  ClockSeconds LearningUntil = INT64_MIN;
  std::array<double, MaxMeters + 1> LearnedRatio{};  // meter k against meter 1; below 0: not learned
  // A fault report set from outside (the meter it names) instead of the meters' own comparison.
  std::optional<int> RaisedFaultMeter;
  // The monitoring was switched off for good: no fault report.
  bool MonitoringSwitchedOff = false;
  // The energy totals (today, the month table) count only what was produced after this moment.
  std::optional<ClockSeconds> TotalsFrom;
};

}  // namespace Sim
