#include "PlantModel.h"

#include <algorithm>
#include <cstring>

#include "BlockRenderer.h"
#include "Noise.h"
#include "WordMap.h"

namespace Sim {

namespace {

constexpr ClockSeconds LearningSeconds = 3600;
constexpr uint64_t KeySms = 21;
constexpr uint64_t KeyInternetId = 22;

// The feed-in tariff of the plant's commissioning year, cent per kWh.
int TariffFor(int year) {
  if (year <= 2008) return 46;
  if (year <= 2009) return 43;
  if (year <= 2010) return 39;
  if (year <= 2011) return 29;
  if (year <= 2012) return 24;
  if (year <= 2014) return 15;
  if (year <= 2019) return 12;
  return 8;
}

void SetText(char* target, size_t size, const char* text) {
  std::memset(target, ' ', size);
  std::memcpy(target, text, std::min(size, std::strlen(text)));
}

std::pair<int, int> CommissioningFor(const PlantOptions& options, ClockSeconds start) {
  if (options.Commissioning) return *options.Commissioning;
  return {CivilTimeOf(start).Year - 3, 4};
}

std::string OutOfRange(const Command& c, int low, int high) {
  return "ignored: " + std::to_string(c.Value) + " is not in " + std::to_string(low) + ".." + std::to_string(high);
}

bool InRange(unsigned value, int low, int high) {
  return static_cast<int>(value) >= low && static_cast<int>(value) <= high;
}

}  // namespace

PhysicalPlant PhysicalPlantFor(const PlantOptions& options, ClockSeconds start) {
  const auto [year, month] = CommissioningFor(options, start);
  PhysicalPlant plant;
  plant.PeakWatts = options.PlantSize * 100;
  plant.Meters = options.Meters;
  plant.FaultMeter = options.FaultMeter;
  plant.FirstDay = DayNumber(year, month, 1);
  plant.Seed = options.Seed;
  return plant;
}

ControllerState StartStateFor(const PlantOptions& options, PlantPhysics& physics, ClockSeconds start) {
  const auto [year, month] = CommissioningFor(options, start);
  ControllerState s;
  s.ControllerType = options.ControllerType;
  s.MeterCount = options.Meters;
  s.PlantSize = options.PlantSize;
  s.CommissioningMonth = month;
  s.CommissioningYear = year - 2000;
  s.Tariff = TariffFor(year);
  s.InternetId = {static_cast<int>(NoiseBits(options.Seed, KeyInternetId, 0) % 100),
                  static_cast<int>(NoiseBits(options.Seed, KeyInternetId, 1) % 100),
                  static_cast<int>(NoiseBits(options.Seed, KeyInternetId, 2) % 100)};
  char sms[13];
  std::snprintf(sms, sizeof sms, "0171%08u", static_cast<unsigned>(NoiseBits(options.Seed, KeySms) % 100000000u));
  std::memcpy(s.SmsNumber.data(), sms, 12);
  char size[24];
  std::snprintf(size, sizeof size, "%d.%d kWp", options.PlantSize / 10, options.PlantSize % 10);
  SetText(s.StartScreen[0].data(), 20, "  Zentrix Net");
  SetText(s.StartScreen[1].data(), 20, "  Photovoltaik");
  SetText(s.StartScreen[2].data(), 20, size);
  SetText(s.StartScreen[3].data(), 20, "");
  for (int k = 1; k <= MaxMeters; ++k) s.LearnedRatio[k] = k <= physics.Plant().Meters ? physics.NominalRatio(k) : -1;
  return s;
}

PlantModel::PlantModel(const PlantOptions& options, const Clock& clock)
    : host_(clock),
      clock_(options.Start.value_or(clock.LocalNow()), options.Speed, clock.MonotonicMs()),
      physics_(PhysicalPlantFor(options, clock_.Now(clock.MonotonicMs()))),
      state_(StartStateFor(options, physics_, clock_.Now(clock.MonotonicMs()))) {}

int PlantModel::LayoutFirstYear(int currentYear) const {
  return std::clamp(2000 + state_.CommissioningYear, currentYear - (Words::PlantYears - 1), currentYear);
}

BlockSet PlantModel::Render(int64_t monotonicMs) {
  const ClockSeconds now = clock_.Now(monotonicMs);
  BlockRenderer renderer(physics_, state_, now, LayoutFirstYear(CivilTimeOf(now).Year));
  return renderer.Render();
}

std::string PlantModel::Apply(const Command& c, int64_t monotonicMs) {
  const ClockSeconds now = clock_.Now(monotonicMs);
  switch (c.Kind) {
    case CommandKind::SetMonthTableEntry: return ApplyMonthTableEntry(c, now);
    case CommandKind::SetDateTime:
    case CommandKind::StartLearningPhase:
    case CommandKind::OutputTestOn:
    case CommandKind::OutputTestOff:
    case CommandKind::ClearYearEnergy:
    case CommandKind::ClearDailyValues:
    case CommandKind::SetStartScreenLine:
    case CommandKind::SetSmsNumber: return ApplyAction(c, now, monotonicMs);
    case CommandKind::Unknown: return "ignored: unknown command";
    default: return ApplySetting(c);
  }
}

std::string PlantModel::ApplySetting(const Command& c) {
  const int v = static_cast<int>(c.Value);
  switch (c.Kind) {
    case CommandKind::SetMeterCount:
      if (!InRange(c.Value, 1, MaxMeters)) return OutOfRange(c, 1, MaxMeters);
      state_.MeterCount = v;
      break;
    case CommandKind::SetPlantSize: state_.PlantSize = v; break;
    case CommandKind::SetPulsesPerKwh: state_.PulsesPerKwh = v; break;
    case CommandKind::SetTariff: state_.Tariff = v; break;
    case CommandKind::SetConnectionMode: state_.ConnectionMode = v; break;
    case CommandKind::ClearRestartCount: state_.RestartCount = 0; break;
    case CommandKind::SetModemType: state_.ModemType = v; break;
    case CommandKind::SetCommissioningMonth:
      if (!InRange(c.Value, 1, 12)) return OutOfRange(c, 1, 12);
      state_.CommissioningMonth = v;
      break;
    case CommandKind::SetCommissioningYear:
      if (!InRange(c.Value, 0, 99)) return OutOfRange(c, 0, 99);
      state_.CommissioningYear = v;
      break;
    case CommandKind::SetDialPrefix: state_.DialPrefix = v; break;
    case CommandKind::SetDisplayOnHour:
      if (!InRange(c.Value, 0, 23)) return OutOfRange(c, 0, 23);
      state_.DisplayOnHour = v;
      break;
    case CommandKind::SetDisplayOffHour:
      if (!InRange(c.Value, 0, 23)) return OutOfRange(c, 0, 23);
      state_.DisplayOffHour = v;
      break;
    case CommandKind::SetLargeDisplayType:
      if (!InRange(c.Value, 0, 3)) return OutOfRange(c, 0, 3);
      state_.LargeDisplayType = v;
      break;
    case CommandKind::SetCalibration: state_.Calibration = v; break;
    case CommandKind::SetMonitorSensitivity: state_.Sensitivity = v; break;
    default: return "ignored: not a setting";
  }
  return {};
}

std::string PlantModel::ApplyAction(const Command& c, ClockSeconds now, int64_t monotonicMs) {
  switch (c.Kind) {
    case CommandKind::SetDateTime: clock_.Set(host_.LocalNow(), monotonicMs); break;
    case CommandKind::StartLearningPhase:
      state_.LearningUntil = now + LearningSeconds;
      for (int k = 1; k <= MaxMeters; ++k)
        state_.LearnedRatio[k] = physics_.MeterFraction(k) / physics_.MeterFraction(1);
      break;
    case CommandKind::OutputTestOn: state_.OutputTest = 1; break;
    case CommandKind::OutputTestOff: state_.OutputTest = 0; break;
    case CommandKind::ClearYearEnergy: state_.YearEnergyFrom = now; break;
    case CommandKind::ClearDailyValues: state_.DailyValuesFromDay = DayNumberOf(now); break;
    case CommandKind::SetStartScreenLine:
      if (c.Index < 0 || c.Index > 3) return "ignored: line " + std::to_string(c.Index) + " is not in 0..3";
      std::memcpy(state_.StartScreen[c.Index].data(), c.Text.data(), 20);
      break;
    case CommandKind::SetSmsNumber: std::memcpy(state_.SmsNumber.data(), c.Text.data(), 12); break;
    default: return "ignored: not an action";
  }
  return {};
}

void PlantModel::ResetTotals(int64_t monotonicMs) {
  const ClockSeconds now = clock_.Now(monotonicMs);
  for (CommandKind clear : {CommandKind::ClearDailyValues, CommandKind::ClearYearEnergy})
    ApplyAction(Command{clear, 0, 0, {}}, now, monotonicMs);
  state_.TotalsFrom = now;
  state_.MonthEdits.clear();
}

// The code byte is the MonthRun index less one (the PC adds its month offset
// modulo 256); indexes beyond the month slots would overwrite the texts and the
// meters' yearly yields, so they are refused.
std::string PlantModel::ApplyMonthTableEntry(const Command& c, ClockSeconds now) {
  const int index = c.Index + 1;
  if (index > MonthSlots) return "ignored: month slot " + std::to_string(index) + " is outside the month table";
  const int firstYear = LayoutFirstYear(CivilTimeOf(now).Year);
  const int year = firstYear - 2 + (index - 1) / 12;
  state_.MonthEdits[{year, (index - 1) % 12 + 1}] = MonthEdit{static_cast<uint16_t>(c.Value), DayNumberOf(now)};
  return {};
}

}  // namespace Sim
