#include "BlockRenderer.h"

#include <algorithm>
#include <cmath>

#include "WordMap.h"

namespace Sim {

namespace {

constexpr int MonthStartDay[14] = {0, 0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366};
constexpr int RingSamples = 56;
constexpr int FirstRingQuarter = 24;                       // 6:00
constexpr int WholeDay = static_cast<int>(SecondsPerDay);  // the second of day that stands for a finished day

// Month and day of a day-of-year n of the 366-day year.
std::pair<int, int> MonthDayOf366(int n) {
  int m = 1;
  while (m < 12 && n > MonthStartDay[m + 1]) ++m;
  return {m, n - MonthStartDay[m]};
}

// Where meter k (1..48) keeps its words.
uint16_t& MeterPowerWord(BlockSet& b, int k) { return k <= 36 ? b.Table(14)[4 + k] : b.Table(19)[k - 29]; }

uint16_t& MeterTodayWord(BlockSet& b, int k) {
  if (k <= 27) return b.Table(14)[40 + k];
  if (k <= 40) return b.Table(14)[59 + k];
  return b.Table(19)[k - 41];
}

// The meter's yearly yield (0.01 kWh) in two MonthRun words, high word first.
uint32_t MeterYearYield(BlockSet& b, int k) {
  return static_cast<uint32_t>(b.MonthRun(Words::FirstMeterYearYield - 2 + 2 * k)) << 16 |
         b.MonthRun(Words::FirstMeterYearYield - 1 + 2 * k);
}

void SetMeterYearYield(BlockSet& b, int k, uint32_t value) {
  b.MonthRun(Words::FirstMeterYearYield - 2 + 2 * k) = static_cast<uint16_t>(value >> 16);
  b.MonthRun(Words::FirstMeterYearYield - 1 + 2 * k) = static_cast<uint16_t>(value);
}

// The fault report names meter 1 as 33, any other meter by its number.
int FaultReportWordOf(int meter) { return meter == 1 ? 33 : meter; }

}  // namespace

uint16_t Word(int64_t value) { return static_cast<uint16_t>(std::clamp<int64_t>(value, 0, 0xFFFF)); }

BlockRenderer::BlockRenderer(PlantPhysics& physics, const ControllerState& state, ClockSeconds now, int layoutFirstYear)
    : physics_(physics),
      state_(state),
      now_(now),
      civil_(CivilTimeOf(now)),
      today_(DayNumberOf(now)),
      second_(SecondOfDay(now)),
      layoutFirstYear_(layoutFirstYear) {}

BlockSet BlockRenderer::Render() {
  RenderClock();
  RenderSettings();
  RenderLinkWords();
  RenderTexts();
  RenderMeters();
  RenderMeasurements();
  RenderMonitoring();
  RenderRings();
  RenderDayRun();
  RenderMonthTable();
  return blocks_;
}

void BlockRenderer::RenderClock() {
  BlockTable& b2 = blocks_.Table(2);
  b2[Words::Day] = Word(civil_.Day);
  b2[Words::Month] = Word(civil_.Month);
  b2[Words::Year] = Word(civil_.Year - 1900);
  b2[Words::Hour] = Word(civil_.Hour);
  b2[Words::Minute] = Word(civil_.Minute);
  b2[Words::MonthCounter] = Word(MonthSlot(layoutFirstYear_, civil_.Year, civil_.Month));
}

void BlockRenderer::RenderSettings() {
  BlockTable& b3 = blocks_.Table(3);
  b3[Words::RestartCount] = Word(state_.RestartCount);
  b3[Words::LargeDisplayType] = Word(state_.LargeDisplayType);
  b3[Words::DisplayCycle] = Word(state_.DisplayCycle);
  b3[Words::Tariff] = Word(state_.Tariff);
  b3[Words::NetVersion] = Word(state_.NetVersion);
  b3[Words::CommissioningMonth] = Word(state_.CommissioningMonth);
  b3[Words::CommissioningYear] = Word(state_.CommissioningYear);
  b3[Words::MeterCount] = Word(state_.MeterCount);
  b3[Words::PlantSize] = Word(state_.PlantSize);
  b3[Words::PulsesPerKwh] = Word(state_.PulsesPerKwh);
  b3[Words::DialPrefix] = Word(state_.DialPrefix);
  b3[Words::DisplayOnHour] = Word(state_.DisplayOnHour);
  b3[Words::DisplayOffHour] = Word(state_.DisplayOffHour);
  b3[Words::Calibration] = Word(state_.Calibration);
  b3[Words::Sensitivity] = Word(state_.Sensitivity);
}

void BlockRenderer::RenderLinkWords() {
  BlockTable& b2 = blocks_.Table(2);
  // One bus address for every six meters.
  const int addresses = std::min(8, (physics_.Plant().Meters + 5) / 6);
  b2[Words::CanAddresses] = Word((1 << addresses) - 1);
  b2[Words::InternetId0] = Word(state_.InternetId[0]);
  b2[Words::InternetId1] = Word(state_.InternetId[1]);
  b2[Words::InternetId2] = Word(state_.InternetId[2]);
  b2[Words::ConnectionMode] = Word(state_.ConnectionMode);
  b2[Words::ModemType] = Word(state_.ModemType);
  b2[Words::OutputTest] = Word(state_.OutputTest);
  // The controller passes its data on every hour at five past.
  const ClockSeconds lastSend = (now_ - 300) - (now_ - 300) % 3600 + 300;
  const CivilTime sent = CivilTimeOf(lastSend);
  BlockTable& b3 = blocks_.Table(3);
  b3[Words::LastSendHour] = Word(sent.Hour);
  b3[Words::LastSendMinute] = Word(sent.Minute);
  b3[Words::LastSendDay] = Word(sent.Day);
  b3[Words::LastSendMonth] = Word(sent.Month);
}

void BlockRenderer::RenderTexts() {
  BlockTable& b17 = blocks_.Table(17);
  auto put = [&](int firstWord, const char* text, int length) {
    for (int i = 0; i + 1 < length; i += 2)
      b17[firstWord + i / 2] =
          static_cast<uint16_t>(static_cast<uint8_t>(text[i]) << 8 | static_cast<uint8_t>(text[i + 1]));
  };
  put(Words::SmsNumberText, state_.SmsNumber.data(), 12);
  for (int line = 0; line < 4; ++line) put(Words::StartScreenText + 10 * line, state_.StartScreen[line].data(), 20);
}

void BlockRenderer::RenderMeters() {
  const int powerNow = physics_.Day(today_).Quarters[second_ / 900].PowerWatts;
  const int64_t today = CountedEnergy(today_, second_);
  const ClockSeconds yearStart = SecondsOf(CivilTime{civil_.Year, 1, 1, 0, 0, 0});
  const int64_t year = EnergyBetween(std::max(yearStart, state_.YearEnergyFrom), now_);
  const int meters = std::clamp(state_.MeterCount, 0, MaxMeters);
  for (int k = 1; k <= meters; ++k) {
    const double f = physics_.MeterFraction(k);
    const uint16_t power = Word(std::lround(powerNow * f / 100));   // 0.1 kW
    const uint16_t todayWord = Word(std::llround(today * f / 10));  // 0.01 kWh
    const auto yearValue = static_cast<uint32_t>(std::min<double>(std::llround(year * f / 10), 0xFFFFFFFFu));
    MeterPowerWord(blocks_, k) = power;
    MeterTodayWord(blocks_, k) = todayWord;
    SetMeterYearYield(blocks_, k, yearValue);
  }
}

void BlockRenderer::RenderMeasurements() {
  BlockTable& b14 = blocks_.Table(14);
  // Today's highest power, never below the current power the meters show after rounding.
  int shownNow = 0;
  for (int k = 1; k <= MaxMeters; ++k) shownNow += MeterPowerWord(blocks_, k);
  blocks_.Table(2)[Words::MaxPower] =
      Word(std::max<long>(std::lround(physics_.MaxPowerWatts(today_, second_) / 100.0), shownNow));
  b14[Words::IrradiationToday] = Word(physics_.IrradiationWh(today_, second_));
  if (today_ >= physics_.Plant().FirstDay) {
    const long temp = std::lround(physics_.MaxModuleTemp(today_, second_)) + 20;
    b14[Words::ModuleTemp] = Word(std::clamp<long>(temp, 1, 119));
  }
  const ClockSeconds yearStart = SecondsOf(CivilTime{civil_.Year, 1, 1, 0, 0, 0});
  blocks_.Table(3)[Words::IrradiationYear] = Word(IrradiationBetween(yearStart, now_) / 1000);
}

// While learning or switched off the controller watches nothing and reports no fault.
void BlockRenderer::RenderMonitoring() {
  const bool watching = now_ >= state_.LearningUntil && !state_.MonitoringSwitchedOff;
  blocks_.Table(3)[Words::MonitoringOn] = watching ? 1 : 0;
  uint16_t& report = blocks_.Table(14)[Words::FaultReport];
  if (!watching) report = 0;
  else if (state_.RaisedFaultMeter) report = Word(FaultReportWordOf(*state_.RaisedFaultMeter));
  else report = Word(FaultReport());
}

// Compares every meter's yield today with meter 1 against the learned ratios:
// the first meter that deviates by more than the sensitivity (in per cent) is
// reported; when every other meter deviates, meter 1 is the odd one (33).
int BlockRenderer::FaultReport() {
  const int meters = std::clamp(state_.MeterCount, 0, MaxMeters);
  if (meters < 2) return 0;
  const double first = physics_.MeterFraction(1);
  const int64_t today = physics_.EnergyWh(today_, second_);
  if (today * first < physics_.Plant().PeakWatts * first * 0.05) return 0;  // too little light to judge
  int firstDeviating = 0;
  int deviating = 0;
  for (int k = 2; k <= meters; ++k) {
    const double ratio = physics_.MeterFraction(k) / first;
    const double learned = state_.LearnedRatio[k];
    // A meter never learned is expected to match meter 1; one learned silent must stay silent.
    const double expected = learned < 0 ? 1.0 : learned;
    const bool off = expected == 0 ? ratio > 0.05 : std::fabs(ratio / expected - 1) * 100 > state_.Sensitivity;
    if (!off) continue;
    ++deviating;
    if (firstDeviating == 0) firstDeviating = k;
  }
  if (deviating >= 2 && deviating == meters - 1) return FaultReportWordOf(1);
  return firstDeviating;
}

void BlockRenderer::RenderRings() {
  const int todaySlot = static_cast<int>(today_ % 3);
  blocks_.Table(3)[Words::TodaySlot] = Word(todaySlot);
  for (int slot = 0; slot < 3; ++slot) {
    const int64_t day = today_ - (todaySlot - slot + 3) % 3;
    const DayProfile& profile = physics_.Day(day);
    for (int i = 0; i < RingSamples; ++i) {
      const int q = FirstRingQuarter + i;
      if (day == today_ && q * 900 > second_) break;  // later quarters of today have not come yet
      blocks_.PowerRing(RingSamples * slot + i) = Word(std::lround(profile.Quarters[q].PowerWatts / 100.0));
      blocks_.IrradianceRing(RingSamples * slot + i) = Word(profile.Quarters[q].Irradiance);
    }
  }
}

uint16_t BlockRenderer::DayValue(int64_t dayNumber) {
  if (dayNumber >= today_ || dayNumber < state_.DailyValuesFromDay) return 0;
  return Word(CountedEnergy(dayNumber, WholeDay) / 100);
}

// After a reset of the totals, the day of the reset counts only what came after it.
int64_t BlockRenderer::CountedEnergy(int64_t dayNumber, int secondOfDay) {
  const int64_t wh =
      secondOfDay >= WholeDay ? physics_.Day(dayNumber).EnergyWh : physics_.EnergyWh(dayNumber, secondOfDay);
  if (!state_.TotalsFrom) return wh;
  const int64_t resetDay = DayNumberOf(*state_.TotalsFrom);
  if (dayNumber < resetDay) return 0;
  if (dayNumber > resetDay) return wh;
  return std::max<int64_t>(0, wh - physics_.EnergyWh(dayNumber, SecondOfDay(*state_.TotalsFrom)));
}

// Each slot of the 366-day run holds the last finished day with its day-of-year;
// the days after today still hold last year's values.
void BlockRenderer::RenderDayRun() {
  for (int n = 1; n <= 366; ++n) {
    const auto [m, d] = MonthDayOf366(n);
    for (int year = civil_.Year; year >= civil_.Year - 4; --year) {
      if (d > DaysInMonth(year, m)) continue;  // 29 February of a common year
      const int64_t day = DayNumber(year, m, d);
      if (day >= today_) continue;
      blocks_.DayRun(n - 1) = DayValue(day);
      break;
    }
  }
  BlockTable& b3 = blocks_.Table(3);
  b3[Words::YieldYesterday] = DayValue(today_ - 1);
  b3[Words::YieldDayBefore] = DayValue(today_ - 2);
}

int MonthSlot(int firstYear, int year, int month) {
  const int row = year - firstYear + 2;
  if (row < 0 || row >= Words::PlantYears + 2 || month < 1 || month > 12) return 0;
  return 12 * row + month;
}

uint16_t BlockRenderer::MonthWord(int year, int month) {
  const int64_t first = DayNumber(year, month, 1);
  const int64_t last = std::min(first + DaysInMonth(year, month) - 1, today_ - 1);
  auto sumFrom = [&](int64_t from) {
    int64_t wh = 0;
    for (int64_t day = std::max(from, first); day <= last; ++day) wh += CountedEnergy(day, WholeDay);
    return wh;
  };
  const auto edit = state_.MonthEdits.find({year, month});
  if (edit != state_.MonthEdits.end()) return Word(edit->second.Value + sumFrom(edit->second.FromDay) / 1000);
  return Word(sumFrom(first) / 1000);
}

void BlockRenderer::RenderMonthTable() {
  for (int row = 0; row < Words::PlantYears + 2; ++row)
    for (int month = 1; month <= 12; ++month)
      blocks_.MonthRun(12 * row + month) = MonthWord(layoutFirstYear_ - 2 + row, month);
}

int64_t BlockRenderer::EnergyBetween(ClockSeconds from, ClockSeconds to) {
  if (from >= to) return 0;
  const int64_t a = DayNumberOf(from), b = DayNumberOf(to);
  if (a == b) return physics_.EnergyWh(a, SecondOfDay(to)) - physics_.EnergyWh(a, SecondOfDay(from));
  int64_t wh = physics_.Day(a).EnergyWh - physics_.EnergyWh(a, SecondOfDay(from));
  for (int64_t day = a + 1; day < b; ++day) wh += physics_.Day(day).EnergyWh;
  return wh + physics_.EnergyWh(b, SecondOfDay(to));
}

int64_t BlockRenderer::IrradiationBetween(ClockSeconds from, ClockSeconds to) {
  if (from >= to) return 0;
  const int64_t a = DayNumberOf(from), b = DayNumberOf(to);
  if (a == b) return physics_.IrradiationWh(a, SecondOfDay(to)) - physics_.IrradiationWh(a, SecondOfDay(from));
  int64_t wh = physics_.Day(a).IrradiationWh - physics_.IrradiationWh(a, SecondOfDay(from));
  for (int64_t day = a + 1; day < b; ++day) wh += physics_.Day(day).IrradiationWh;
  return wh + physics_.IrradiationWh(b, SecondOfDay(to));
}

void LowerTotals(BlockSet& blocks, double fraction) {
  auto lowered = [fraction](int64_t v) { return std::llround(static_cast<double>(v) * fraction); };
  for (int k = 1; k <= MaxMeters; ++k) {
    MeterTodayWord(blocks, k) = Word(lowered(MeterTodayWord(blocks, k)));
    SetMeterYearYield(blocks, k, static_cast<uint32_t>(lowered(MeterYearYield(blocks, k))));
  }
  for (int slot = 1; slot <= MonthSlots; ++slot) blocks.MonthRun(slot) = Word(lowered(blocks.MonthRun(slot)));
}

}  // namespace Sim
