// Fuzz target: the checks of what the user types into the setup wizard and the
// settings window, fed arbitrary 8-bit text (embedded zeros and texts far
// longer than the fields included). Each result must lie in its range and
// agree with a plain reading of the text; the filtered texts must be exactly
// 20 and 12 characters of their allowed sets; a month-table entry goes out
// only for a month the table has and a value that fits, as one whole frame.
//
// Input: 8 bytes of settings, then the text.
//   0     start-screen line for FilterText: value % 6 - 1 (-1..4, so also none)
//   1, 2  an extra range for ParseWholeNumber: min = (int8) byte 1, max = min + byte 2
//   3..6  Block2[24] and Block2[14] (big-endian), from which MonthOffset follows
//   7     month-table position p, (int8) -128..127
#include <algorithm>
#include <charconv>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "PcFrames.h"
#include "link/Dcl.h"
#include "settings/input/MonthTable.h"
#include "settings/input/SettingsInput.h"
#include "tests/support/MemoryPort.h"

namespace {

constexpr size_t SettingsBytes = 8;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The text as the C-string functions see it: a heap copy of exactly its size,
// so that reading past its end is caught.
std::unique_ptr<char[]> CString(std::string_view text) {
  auto copy = std::make_unique<char[]>(text.size() + 1);
  std::memcpy(copy.get(), text.data(), text.size());
  copy[text.size()] = '\0';
  return copy;
}

// A string of decimal digits as a number; nothing when it exceeds 9 digits
// after leading zeros (beyond every range checked here).
std::optional<long> DigitsValue(std::string_view digits) {
  const size_t first = std::min(digits.find_first_not_of('0'), digits.size());
  digits.remove_prefix(first);
  if (digits.size() > 9) return std::nullopt;
  long value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return value;
}

void CheckWholeNumber(std::string_view text, int min, int max) {
  const auto result = ParseWholeNumber(text, min, max);
  std::optional<long> expected;
  if (std::all_of(text.begin(), text.end(), IsDigit)) {
    const auto value = DigitsValue(text);
    if (value && *value >= min && *value <= max) expected = value;
  }
  FUZZ_CHECK(result.has_value() == expected.has_value(), "ParseWholeNumber accepts what it must refuse or the reverse");
  if (result) FUZZ_CHECK(*result == *expected && *result >= min && *result <= max, "ParseWholeNumber misread a number");
}

void CheckPlantSize(std::string_view text) {
  const auto result = ParsePlantSize(text);
  std::optional<long> expected;
  if (std::all_of(text.begin(), text.end(), [](char c) { return IsDigit(c) || c == '.'; })) {
    std::string digits;
    std::copy_if(text.begin(), text.end(), std::back_inserter(digits), IsDigit);
    const bool point = text.find('.') != std::string_view::npos;
    const auto value = DigitsValue(digits);
    if (!digits.empty() && value) {
      const long tenths = point ? *value : *value * 10;
      if (tenths <= 0xFFFF) expected = tenths;
    }
  }
  FUZZ_CHECK(result.has_value() == expected.has_value(), "ParsePlantSize accepts what it must refuse or the reverse");
  if (result) FUZZ_CHECK(*result == *expected && *result >= 0 && *result <= 0xFFFF, "ParsePlantSize misread a size");
}

bool KeptOnStartScreen(uint8_t c) {
  static constexpr std::string_view signs = " -&+*().%!,#\xC4\xD6\xDC\xE4\xF6\xFC";
  return (c >= '0' && c <= 'z') || (c != 0 && signs.find(static_cast<char>(c)) != std::string_view::npos);
}

void CheckFilterText(int line, std::string_view text) {
  char before[4][21];
  for (int l = 0; l < 4; ++l) std::memset(before[l], 'A' + l, 21);
  std::memcpy(StartScreenLines, before, sizeof before);

  FilterText(line, CString(text).get());

  const size_t length = std::min(std::strlen(CString(text).get()), size_t{20});
  for (int l = 0; l < 4; ++l) {
    if (l != line) {
      FUZZ_CHECK(std::memcmp(StartScreenLines[l], before[l], 21) == 0, "FilterText changed another line");
      continue;
    }
    FUZZ_CHECK(StartScreenLines[l][20] == '\0', "a filtered line is not 20 characters");
    for (size_t i = 0; i < 20; ++i) {
      const auto c = static_cast<uint8_t>(text.size() > i ? text[i] : 0);
      const char want = i < length && KeptOnStartScreen(c) ? static_cast<char>(c) : ' ';
      FUZZ_CHECK(StartScreenLines[l][i] == want, "a filtered line keeps a wrong character or drops an allowed one");
    }
  }
}

void CheckSmsNumber(std::string_view text) {
  char out[13];
  std::memset(out, 'x', sizeof out);
  FilterSmsNumber(CString(text).get(), out);
  const size_t length = std::strlen(CString(text).get());
  FUZZ_CHECK(out[12] == '\0', "a filtered number is not 12 characters");
  for (size_t i = 0; i < 12; ++i) {
    const char want = i < length && IsDigit(text[i]) ? text[i] : '.';
    FUZZ_CHECK(out[i] == want, "a filtered number keeps a non-digit or drops a digit");
  }
  PendingCommands[SlotSetSmsNumber] = 0;
  StoreSmsNumber(std::string(text));
  FUZZ_CHECK(std::memcmp(SmsNumber, out, sizeof out) == 0,
             "StoreSmsNumber stores another number than the filter gives");
  FUZZ_CHECK(PendingCommands[SlotSetSmsNumber] == 1, "StoreSmsNumber did not mark SetSmsNumber");
}

// Up to five digits after leading blanks, as the month table reads them.
uint32_t MonthValueOf(std::string_view text) {
  const size_t start = std::min(text.find_first_not_of(' '), text.size());
  size_t end = start;
  while (end < text.size() && end - start < 5 && IsDigit(text[end])) ++end;
  uint32_t value = 0;
  std::from_chars(text.data() + start, text.data() + end, value);
  return value;
}

void CheckMonthTable(int p, std::string_view text) {
  const std::string cut(text.substr(0, text.find('\0')));  // the field's text ends at a zero
  const uint32_t value = ParseMonthTableValue(CString(text).get());
  FUZZ_CHECK(value <= 99999 && value == MonthValueOf(cut), "ParseMonthTableValue misread the typed value");

  const auto index = MonthTableIndex(p);
  const int code = p + MonthOffset;
  const bool addressable = p >= 0 && p < MonthPositions && code >= 0 && code <= 255;
  FUZZ_CHECK(index.has_value() == addressable, "MonthTableIndex names a month the table lacks or the reverse");
  if (index) FUZZ_CHECK(*index == code + 1 && *index < MonthRunLength, "MonthTableIndex outside MonthRun");
  FUZZ_CHECK(MonthText(p).size() < TextBufferSize, "MonthText overran TextBuffer");

  MemoryPort port;
  SetLinkPort(&port);
  const bool sent = SendMonthTableEntry(p, std::string(text));
  SetLinkPort(nullptr);
  FUZZ_CHECK(sent == (addressable && value <= 0xFFFF), "SendMonthTableEntry sent what it must not or the reverse");
  std::vector<FrameBytes> frames;
  FUZZ_CHECK(SplitPcFrames(port.TakeWritten(), frames).empty(), "the month-table entry is not a well-formed frame");
  if (!sent) {
    FUZZ_CHECK(frames.empty(), "a refused month-table entry was sent");
    return;
  }
  FUZZ_CHECK(frames.size() == 1, "a month-table entry went out as more or less than one frame");
  const FrameBytes& f = frames[0];
  FUZZ_CHECK(f.size() == 9 && f[3] == 5 && f[4] == code && (f[5] << 8 | f[6]) == static_cast<int>(value),
             "the month-table frame does not carry the month and the value");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < SettingsBytes) return 0;
  ClearPlantStore();
  const int line = data[0] % 6 - 1;
  const int extraMin = static_cast<int8_t>(data[1]);
  const int extraMax = extraMin + data[2];
  Block2[24] = static_cast<uint16_t>(data[3] << 8 | data[4]);
  Block2[14] = static_cast<uint16_t>(data[5] << 8 | data[6]);
  MonthOffset = Block2[24] - Block2[14] - 24;  // as the fill routine computes it
  const int position = static_cast<int8_t>(data[7]);
  const std::string_view text(reinterpret_cast<const char*>(data + SettingsBytes), size - SettingsBytes);

  CheckWholeNumber(text, 1, 48);   // meter count
  CheckWholeNumber(text, 10, 40);  // monitoring sensitivity
  CheckWholeNumber(text, 1, 99);   // tariff
  CheckWholeNumber(text, extraMin, extraMax);
  CheckPlantSize(text);
  CheckFilterText(line, text);
  CheckSmsNumber(text);
  CheckMonthTable(position, text);
  return 0;
}
