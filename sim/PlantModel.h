#pragma once
// The controller as the PC sees it: the measured plant, the controller's clock
// and settings, the commands that change them, and the blocks it reports.
#include <cstdint>
#include <optional>
#include <string>

#include "BlockSet.h"
#include "Clock.h"
#include "CommandFrame.h"
#include "ControllerState.h"
#include "PlantPhysics.h"

namespace Sim {

struct PlantOptions {
  uint64_t Seed = 1;
  std::optional<ClockSeconds> Start;  // the controller clock's start; the host's local time when not given
  double Speed = 1.0;                 // controller seconds per real second
  int Meters = 3;                     // 1..48
  int PlantSize = 304;                // 0.1 kWp
  int ControllerType = 24;
  // Commissioning year and month; April three years before the start when not given.
  std::optional<std::pair<int, int>> Commissioning;
  int FaultMeter = 0;  // a meter that gives only half its share, 0 for none
};

class PlantModel {
public:
  PlantModel(const PlantOptions& options, const Clock& clock);

  // The blocks as they stand at this moment of the monotonic clock.
  BlockSet Render(int64_t monotonicMs);
  // Applies a command received now. Returns an empty text, or why the command was ignored.
  std::string Apply(const Command& command, int64_t monotonicMs);

  // Changes the command line schedules (see PlantEvents.h).
  void RaiseFault(int meter) { state_.RaisedFaultMeter = meter; }
  void ClearFault() { state_.RaisedFaultMeter.reset(); }
  void SwitchMonitoringOff() { state_.MonitoringSwitchedOff = true; }
  // What the PC's clear commands do, and the month table and today's yield start again from 0.
  void ResetTotals(int64_t monotonicMs);

  ClockSeconds ControllerNow(int64_t monotonicMs) const { return clock_.Now(monotonicMs); }
  const ControllerState& State() const { return state_; }
  PlantPhysics& Physics() { return physics_; }
  // The first calendar year of the month table: the commissioning year, kept
  // within the years the table can hold.
  int LayoutFirstYear(int currentYear) const;

private:
  std::string ApplySetting(const Command& command);
  std::string ApplyAction(const Command& command, ClockSeconds now, int64_t monotonicMs);
  std::string ApplyMonthTableEntry(const Command& command, ClockSeconds now);

  const Clock& host_;
  ControllerClock clock_;
  PlantPhysics physics_;
  ControllerState state_;
};

// The physical plant and the controller's start settings for these options.
PhysicalPlant PhysicalPlantFor(const PlantOptions& options, ClockSeconds start);
ControllerState StartStateFor(const PlantOptions& options, PlantPhysics& physics, ClockSeconds start);

}  // namespace Sim
