// Fuzz target: the date parsers of the export's day range and of the
// archive's clock. Any text is taken as FROM and TO (split at the first
// newline): a range is either refused with a message or two real days in
// order whose ISO texts are the texts given; a clock text read back writes
// the same text; a month step from any day lands in the month asked for, on
// the same day of the month or that month's last.
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "archive/ExchangeRecord.h"
#include "archive/RangeExport.h"
#include "base/Exception.h"

namespace {

using namespace Archive;

void CheckRange(const std::string& from, const std::string& to) {
  try {
    const DayRange range = ParseDayRange(from, to);
    FUZZ_CHECK(range.From <= range.To, "a range is in order");
    FUZZ_CHECK(IsoDate(range.From) == from && IsoDate(range.To) == to, "a range's days are the texts given");
  } catch (const Exception& e) {
    FUZZ_CHECK(std::string_view(e.what()).size() > 0, "a refusal says why");
  }
}

void CheckClock(const std::string& text) {
  if (const auto clock = ParseClockText(text)) {
    FUZZ_CHECK(ClockText(*clock) == text, "a clock text reads back as itself");
    FUZZ_CHECK(clock->Hour >= 0 && clock->Hour <= 23 && clock->Minute >= 0 && clock->Minute <= 59, "a time of day");
  }
}

void CheckMonthStep(int dayOffset, int months) {
  const DayNumber day = *DayNumberOf(2000, 1, 1) + dayOffset;
  const CivilDate from = DateOf(day), to = DateOf(AddMonths(day, months));
  const int index = from.Year * 12 + from.Month - 1 + months;
  FUZZ_CHECK(to.Year * 12 + to.Month - 1 == index, "a month step lands in the month asked for");
  FUZZ_CHECK(to.Day == from.Day || (to.Day < from.Day && !DayNumberOf(to.Year, to.Month, to.Day + 1)),
             "on the same day, or the month's last where it is shorter");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const size_t split = text.find('\n');
  const std::string from = text.substr(0, split), to = split == std::string::npos ? "" : text.substr(split + 1);
  CheckRange(from, to);
  CheckClock(from);
  if (size >= 4) CheckMonthStep((data[0] | data[1] << 8) % 40000, static_cast<int8_t>(data[2]) * 4 + data[3] % 4);
  return 0;
}
