#include "views/archive/ArchivedDays.h"

#include <algorithm>
#include <cstdlib>

using Archive::DayNumber;

ArchivedDays::ArchivedDays(std::vector<DayNumber> days) : days_(std::move(days)) {}

bool ArchivedDays::Contains(DayNumber day) const { return std::binary_search(days_.begin(), days_.end(), day); }

DayNumber ArchivedDays::Toward(DayNumber from, DayNumber target) const {
  if (target == from) return from;
  const bool later = target > from;
  // The candidates lie strictly between from and the far end; of them, the
  // first at or beyond target and the last before it.
  const auto begin = later ? std::upper_bound(days_.begin(), days_.end(), from) : days_.begin();
  const auto end = later ? days_.end() : std::lower_bound(days_.begin(), days_.end(), from);
  const auto atOrAfter = std::lower_bound(begin, end, target);
  DayNumber best = from;
  int bestDistance = -1;
  for (auto it : {atOrAfter, atOrAfter == begin ? end : atOrAfter - 1}) {
    if (it == end) continue;
    const int distance = std::abs(*it - target);
    if (bestDistance < 0 || distance < bestDistance) best = *it, bestDistance = distance;
  }
  return best;
}
