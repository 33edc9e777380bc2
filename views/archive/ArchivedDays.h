#pragma once
// The days of an archive that hold quarter hours, and the steps between them
// that the archive view's keys take: a key never lands on a day the archive
// does not hold.
#include <vector>

#include "archive/CalendarDay.h"

class ArchivedDays {
public:
  ArchivedDays() = default;
  explicit ArchivedDays(std::vector<Archive::DayNumber> days);  // in order

  bool Empty() const { return days_.empty(); }
  bool Contains(Archive::DayNumber day) const;
  Archive::DayNumber First() const { return days_.front(); }
  Archive::DayNumber Last() const { return days_.back(); }
  // The archived day closest to target among those beyond `from` in target's
  // direction; `from` itself when there is none.
  Archive::DayNumber Toward(Archive::DayNumber from, Archive::DayNumber target) const;

private:
  std::vector<Archive::DayNumber> days_;
};
