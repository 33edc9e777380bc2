#include "archive/ExchangeRecord.h"

#include <cstdio>

namespace Archive {

std::string ClockText(const ControllerClock& c) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", c.Year, c.Month, c.Day, c.Hour, c.Minute);
  return text;
}

}  // namespace Archive
