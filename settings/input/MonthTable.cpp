#include "settings/input/MonthTable.h"

#include "link/Commands.h"
#include "store/PlantStore.h"

namespace {
constexpr int LastCode = 255;
constexpr uint32_t WordLimit = 0xFFFF;
}  // namespace

std::string MonthText(int p) {
  const int year = Block2[Word::Block2::Year] + 1898 + p / 12;
  return FormatText("%02d/%d", p % 12 + 1, year);
}

std::optional<int> MonthTableIndex(int p) {
  const int code = p + MonthOffset;
  if (p < 0 || p >= MonthPositions || code < 0 || code > LastCode) return std::nullopt;
  return 1 + code;
}

bool SendMonthTableEntry(int p, const std::string& text) {
  if (!MonthTableIndex(p)) return false;
  const uint32_t value = ParseMonthTableValue(text.c_str());
  if (value > WordLimit) return false;
  SetMonthTableEntry(p, value);
  return true;
}
