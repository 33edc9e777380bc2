#include "settings/input/SettingsInput.h"

#include <cstdio>

#include "link/Commands.h"
#include "store/PlantStore.h"

namespace {

constexpr int WordLimit = 0xFFFF;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Appends a digit, saturating far above every range used here.
int WithDigit(int value, char digit) {
  constexpr int Saturated = 10'000'000;
  return value >= Saturated ? Saturated : value * 10 + (digit - '0');
}

}  // namespace

std::optional<int> ParseWholeNumber(std::string_view text, int min, int max) {
  int value = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = WithDigit(value, c);
  }
  if (value < min || value > max) return std::nullopt;
  return value;
}

std::optional<int> ParsePlantSize(std::string_view text) {
  int value = 0;
  bool anyDigit = false;
  bool anyPoint = false;
  for (char c : text) {
    if (c == '.') {
      anyPoint = true;
    } else if (IsDigit(c)) {
      anyDigit = true;
      value = WithDigit(value, c);
    } else {
      return std::nullopt;
    }
  }
  if (!anyDigit) return std::nullopt;
  if (!anyPoint) value *= 10;
  if (value > WordLimit) return std::nullopt;
  return value;
}

void StoreSmsNumber(const std::string& text) {
  FilterSmsNumber(text.c_str(), SmsNumber);
  MarkCommand(SlotSetSmsNumber);
}

std::string TenthsText(unsigned tenths) {
  char text[32];
  std::snprintf(text, sizeof text, "%u.%u", tenths / 10, tenths % 10);
  return text;
}
