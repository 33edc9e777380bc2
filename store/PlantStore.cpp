#include "store/PlantStore.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

TGroupA GroupA;
TGroupB GroupB;
TGroupC GroupC;

int ControllerType = 0;
uint8_t ControllerVersion[3] = {};

uint32_t MonthStep = 0;
uint32_t DayChartMax = 10;
uint32_t MonthChartMax = 100;
uint32_t YearChartMax = 1000;
uint32_t BalanceChartMax = 10;
float PowerScale = 2.0f;
int FirstYear = 2000;

int TodayYield = 0;

uint8_t PendingCommands[PendingSlots + 1] = {};
uint8_t ConnectPending = 0xFF;

int MeterCountSetting = 0;
int PlantSizeSetting = 0;
int TariffSetting = 0;
int SensitivitySetting = 0;
int ConnectionModeSetting = 0;
int ModemTypeSetting = 0;
int CommissioningMonthSetting = 1;
int CommissioningYearSetting = 6;
int MonthOffset = 0;
char StartScreenLines[4][21] = {};
char SmsNumber[13] = {};

int PollTick = 60;
int NoAnswerCount = 3;
int ShowRequest = 0;

char TextBuffer[TextBufferSize] = {};

const uint8_t RingSlotOrder[3][3] = {{0, 2, 1}, {1, 0, 2}, {2, 1, 0}};

const int MonthStartDay[14] = {0, 0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366};

namespace {

template <class Group>
uint16_t ReadWord(const Group& group, int index) {
  constexpr int words = static_cast<int>(sizeof(Group) / 2);
  if (index < 0 || index >= words) return 0;
  uint16_t w;
  std::memcpy(&w, reinterpret_cast<const unsigned char*>(&group) + 2 * index, 2);
  return w;
}

template <class Group>
void WriteWord(Group& group, int index, uint16_t value) {
  constexpr int words = static_cast<int>(sizeof(Group) / 2);
  if (index < 0 || index >= words) return;
  std::memcpy(reinterpret_cast<unsigned char*>(&group) + 2 * index, &value, 2);
}

// Where the runs start, as word indexes of group B.
constexpr int GroupBIndex(size_t tableOffset, int word) { return static_cast<int>(tableOffset / 2) + word; }
constexpr int PowerRingStart = GroupBIndex(offsetof(TGroupB, Block3), Word::Block3::PowerRingStart);
constexpr int IrradianceRingStart = GroupBIndex(offsetof(TGroupB, Block5), Word::Block5::IrradianceRingStart);
constexpr int DayRunStart = GroupBIndex(offsetof(TGroupB, Block7), 0);
static_assert(PowerRingStart == 62 && IrradianceRingStart == 230 && DayRunStart == 400);

// The word that holds meter k's current power, or nullptr outside 1..48.
uint16_t* MeterPowerWord(int k) {
  if (k >= 1 && k <= 36) return &Block14[Word::Block14::Meter1Power + (k - 1)];
  if (k >= 37 && k <= 48) return &Block19[Word::Block19::Meter37Power + (k - 37)];
  return nullptr;
}

// The word that holds meter k's yield today, or nullptr outside 1..48.
uint16_t* MeterTodayWord(int k) {
  if (k >= 1 && k <= 27) return &Block14[Word::Block14::Meter1Today + (k - 1)];
  if (k >= 28 && k <= 40) return &Block14[Word::Block14::Meter28Today + (k - 28)];
  if (k >= 41 && k <= 48) return &Block19[Word::Block19::Meter41Today + (k - 41)];
  return nullptr;
}

// MonthRun index of the high word of meter k's yearly yield; the low word follows.
int MeterYearSlot(int k) { return MeterYearYieldSlot + 2 * (k - 1); }

bool IsMeter(int k) { return k >= 1 && k <= 48; }
bool IsRingSample(int j) { return j >= 0 && j < RingLength; }

// Rounds a step up to the next step of its decade, always by at least one step.
uint32_t NextStep(uint32_t m) {
  if (m < 100) return (m / 10 + 1) * 10;
  if (m < 1000) return (m / 100 + 1) * 100;
  if (m < 10000) return (m / 1000 + 1) * 1000;
  return (m / 10000 + 1) * 10000;
}

// Clock fields below 10 are shown with a leading zero.
const char* LeadingZero(unsigned v) { return v < 10 ? "0" : ""; }

}  // namespace

uint16_t* BlockTable(int type) {
  switch (type) {
    case 2: return GroupA.Block2;
    case 3: return GroupB.Block3;
    case 4: return GroupB.Block4;
    case 5: return GroupB.Block5;
    case 6: return GroupB.Block6;
    case 7: return GroupB.Block7;
    case 8: return GroupB.Block8;
    case 9: return GroupB.Block9;
    case 10: return GroupB.Block10;
    case 14: return GroupA.Block14;
    case 15: return GroupC.Block15;
    case 16: return GroupC.Block16;
    case 17: return GroupC.Block17;
    case 18: return GroupC.Block18;
    case 19: return GroupA.Block19;
    default: return nullptr;
  }
}

uint16_t GroupBWord(int index) { return ReadWord(GroupB, index); }
uint16_t GroupCWord(int index) { return ReadWord(GroupC, index); }
void SetGroupBWord(int index, uint16_t value) { WriteWord(GroupB, index, value); }
void SetGroupCWord(int index, uint16_t value) { WriteWord(GroupC, index, value); }

uint16_t PowerRing(int j) { return GroupBWord(PowerRingStart + j); }
uint16_t IrradianceRing(int j) { return GroupBWord(IrradianceRingStart + j); }

void SetPowerRing(int j, uint16_t value) {
  if (IsRingSample(j)) SetGroupBWord(PowerRingStart + j, value);
}

void SetIrradianceRing(int j, uint16_t value) {
  if (IsRingSample(j)) SetGroupBWord(IrradianceRingStart + j, value);
}

uint16_t DayRun(int index) {
  if (index < 0 || index >= DayRunLength) return 0;
  return GroupBWord(DayRunStart + index);
}

void SetDayRun(int index, uint16_t value) {
  if (index < 0 || index >= DayRunLength) return;
  SetGroupBWord(DayRunStart + index, value);
}

uint16_t MonthRun(int index) {
  if (index < 0 || index >= MonthRunLength) return 0;
  return GroupCWord(index);
}

void SetMonthRun(int index, uint16_t value) {
  if (index < 0 || index >= MonthRunLength) return;
  SetGroupCWord(index, value);
}

int TodaySampleCount() {
  const int minutes = Block2[Word::Block2::Hour] * 60 + Block2[Word::Block2::Minute];
  if (minutes <= 360) return 0;
  return std::min((minutes - 360 + 14) / 15, RingSlotSamples);
}

int TodayRingSlot() {
  const int slot = Block3[Word::Block3::TodaySlot];
  return slot <= 2 ? slot : 0;
}

int ControllerMonth() {
  const int m = Block2[Word::Block2::Month];
  return m >= 1 && m <= 12 ? m : 0;
}

int TodayDayOfYear() {
  const int m = ControllerMonth();
  return m == 0 ? 0 : MonthStartDay[m] + Block2[Word::Block2::Day];
}

int MonthCounter() {
  const int c = Block2[Word::Block2::MonthCounter];
  return c >= 1 && c <= LastMonthSlot ? c : 0;
}

uint16_t MeterPower(int k) {
  const uint16_t* word = MeterPowerWord(k);
  return word != nullptr ? *word : 0;
}

uint16_t MeterTodayYield(int k) {
  const uint16_t* word = MeterTodayWord(k);
  return word != nullptr ? *word : 0;
}

uint32_t MeterYearYield(int k) {
  if (!IsMeter(k)) return 0;
  return static_cast<uint32_t>(MonthRun(MeterYearSlot(k))) * 65536u + MonthRun(MeterYearSlot(k) + 1);
}

void SetMeterPower(int k, uint16_t value) {
  if (uint16_t* word = MeterPowerWord(k)) *word = value;
}

void SetMeterTodayYield(int k, uint16_t value) {
  if (uint16_t* word = MeterTodayWord(k)) *word = value;
}

void SetMeterYearYield(int k, uint32_t value) {
  if (!IsMeter(k)) return;
  SetMonthRun(MeterYearSlot(k), static_cast<uint16_t>(value >> 16));
  SetMonthRun(MeterYearSlot(k) + 1, static_cast<uint16_t>(value & 0xFFFF));
}

int ComputeTodayYield() {
  int sum = 0;
  for (int k = 1; k <= 48; ++k) sum += MeterTodayYield(k);
  TodayYield = sum;
  return sum;
}

const char* FormatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(TextBuffer, sizeof TextBuffer, format, args);
  va_end(args);
  return TextBuffer;
}

namespace {

// The clock's time and date each have a buffer of their own, so that a caller
// can hold both (and format other texts) without depending on an order.
char ClockTimeText[TextBufferSize] = {};
char ClockDateText[TextBufferSize] = {};

}  // namespace

const char* FormatClockTime(unsigned hour, unsigned minute) {
  std::snprintf(ClockTimeText, sizeof ClockTimeText, "%s%u:%s%u", LeadingZero(hour), hour, LeadingZero(minute), minute);
  return ClockTimeText;
}

const char* FormatTime() { return FormatClockTime(Block2[Word::Block2::Hour], Block2[Word::Block2::Minute]); }

const char* FormatInternetId() {
  return FormatText("%02d%02d%02d", Block2[Word::Block2::InternetId1], Block2[Word::Block2::InternetId2],
                    Block2[Word::Block2::InternetId3]);
}

bool HasInternetId() {
  return Block2[Word::Block2::InternetId1] != 0 || Block2[Word::Block2::InternetId2] != 0 ||
         Block2[Word::Block2::InternetId3] != 0;
}

const char* FormatDate() {
  return FormatClockDate(Block2[Word::Block2::Day], Block2[Word::Block2::Month], Block2[Word::Block2::Year]);
}

const char* FormatClockDate(unsigned day, unsigned month, unsigned year) {
  // Years from 2000 on are shown with two digits; a year word below 100 as it is.
  const unsigned shownYear = year >= 100 ? year - 100 : year;
  const char* yearZero = (year >= 100 && year < 110) ? "0" : "";
  std::snprintf(ClockDateText, sizeof ClockDateText, "%s%u/%s%u/%s%u", LeadingZero(day), day, LeadingZero(month), month,
                yearZero, shownYear);
  return ClockDateText;
}

const char* FormatControllerVersion() {
  return FormatText("P%02d%02d%02d", ControllerVersion[0], ControllerVersion[1], ControllerVersion[2]);
}

ChartScales ScalesForPlantSize(uint32_t p) {
  ChartScales s;
  uint32_t t = p * 100u;
  t = t + t / 10u;
  s.MonthStep = NextStep(t / 12u);
  s.DayChartMax = s.MonthStep * 12u;
  if (s.DayChartMax == 0) s.DayChartMax = 1;
  s.MonthChartMax = ((p * 100u * 170u / 1000u) / 1000u + 1u) * 1000u;
  if (s.MonthChartMax == 0) s.MonthChartMax = 100;
  // 64-bit product: plant sizes above 3734.9 kWp would wrap around in 32 bits.
  s.YearChartMax = static_cast<uint32_t>((uint64_t{p} * 100u * 1150u / 1000u / 1000u + 1u) * 1000u);
  if (s.YearChartMax == 0) s.YearChartMax = 1000;
  s.BalanceChartMax = ((p * 100u * 8u / 1000u) / 40u + 1u) * 40u;
  if (s.BalanceChartMax == 0) s.BalanceChartMax = 10;
  s.PowerScale = static_cast<float>(p) * 10.0f;
  if (s.PowerScale == 0.0f) s.PowerScale = 5.0f;
  return s;
}

ChartScales CurrentScales() {
  return {MonthStep, DayChartMax, MonthChartMax, YearChartMax, BalanceChartMax, PowerScale};
}

void RecomputeScales() {
  const ChartScales s = ScalesForPlantSize(Block3[Word::Block3::PlantSize]);
  MonthStep = s.MonthStep;
  DayChartMax = s.DayChartMax;
  MonthChartMax = s.MonthChartMax;
  YearChartMax = s.YearChartMax;
  BalanceChartMax = s.BalanceChartMax;
  PowerScale = s.PowerScale;
  FirstYear = static_cast<int>(Block3[Word::Block3::CommissioningYear]) + 2000;
}

void SetScaleStartValues() {
  MonthStep = 0;
  DayChartMax = 10;
  MonthChartMax = 100;
  YearChartMax = 1000;
  BalanceChartMax = 10;
  PowerScale = 2.0f;
  FirstYear = 2000;
}

void ClearPlantStore() {
  std::memset(&GroupA, 0, sizeof GroupA);
  std::memset(&GroupB, 0, sizeof GroupB);
  std::memset(&GroupC, 0, sizeof GroupC);
  ControllerType = 0;
  std::memset(ControllerVersion, 0, sizeof ControllerVersion);
  SetScaleStartValues();
  TodayYield = 0;
  std::memset(PendingCommands, 0, sizeof PendingCommands);
  ConnectPending = 0xFF;
  MeterCountSetting = PlantSizeSetting = TariffSetting = SensitivitySetting = 0;
  ConnectionModeSetting = ModemTypeSetting = MonthOffset = 0;
  CommissioningMonthSetting = 1;
  CommissioningYearSetting = 6;
  std::memset(StartScreenLines, 0, sizeof StartScreenLines);
  std::memset(SmsNumber, 0, sizeof SmsNumber);
  PollTick = 60;
  NoAnswerCount = 3;
  ShowRequest = 0;
  std::memset(TextBuffer, 0, sizeof TextBuffer);
}
