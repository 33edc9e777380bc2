#pragma once
// Changes of the controller's state that the command line schedules at real
// seconds after the simulator's start: its fault report raised and cleared,
// its monitoring switched off, its energy totals dipped for one exchange or
// reset. Tests set them to see the PC's alarms and totals react.
#include <string>
#include <vector>

namespace Sim {

enum class PlantEventKind {
  RaiseFault,     // the fault report names Meter
  ClearFault,     // the fault report goes back to what the meters show
  MonitoringOff,  // the monitoring stops watching: no fault report from then on
  DipTotals,      // the first exchange after the time reports the totals at half
  ResetTotals,    // the totals start again from 0, as after the clear commands
};

struct PlantEvent {
  PlantEventKind Kind = PlantEventKind::RaiseFault;
  double AtSeconds = 0;  // real seconds after the start
  int Meter = 0;         // RaiseFault only
};

// Why the raised and cleared faults cannot stand in this order, or "" when
// they can: their times rise strictly, and a clear follows a raised fault.
std::string FaultTimelineError(const std::vector<PlantEvent>& events);

// The events still to come, in the order of their times.
class PlantSchedule {
public:
  explicit PlantSchedule(std::vector<PlantEvent> events);
  // Removes and returns the events due at this many seconds after the start.
  std::vector<PlantEvent> TakeDue(double secondsSinceStart);

private:
  std::vector<PlantEvent> pending_;  // sorted by time, latest first
};

}  // namespace Sim
