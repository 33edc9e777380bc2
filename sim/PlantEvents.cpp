#include "PlantEvents.h"

#include <algorithm>

namespace Sim {

std::string FaultTimelineError(const std::vector<PlantEvent>& events) {
  bool raised = false;
  double last = -1;
  for (const PlantEvent& e : events) {
    if (e.Kind != PlantEventKind::RaiseFault && e.Kind != PlantEventKind::ClearFault) continue;
    if (e.AtSeconds <= last) return "the times of --raise-fault and --clear-fault must rise in the order given";
    if (e.Kind == PlantEventKind::ClearFault && !raised) return "--clear-fault needs a --raise-fault before it";
    raised = e.Kind == PlantEventKind::RaiseFault;
    last = e.AtSeconds;
  }
  return {};
}

PlantSchedule::PlantSchedule(std::vector<PlantEvent> events) : pending_(std::move(events)) {
  // Latest first, so that due events come off the back; events of one time keep their order.
  std::stable_sort(pending_.begin(), pending_.end(),
                   [](const PlantEvent& a, const PlantEvent& b) { return a.AtSeconds < b.AtSeconds; });
  std::reverse(pending_.begin(), pending_.end());
}

std::vector<PlantEvent> PlantSchedule::TakeDue(double secondsSinceStart) {
  std::vector<PlantEvent> due;
  while (!pending_.empty() && pending_.back().AtSeconds <= secondsSinceStart) {
    due.push_back(pending_.back());
    pending_.pop_back();
  }
  return due;
}

}  // namespace Sim
