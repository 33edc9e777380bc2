#include "bridge/TotalsGuard.h"

#include <QJsonArray>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "bridge/Sensors.h"
#include "store/PlantStore.h"
#include "store/StoreWords.h"

namespace {

// Minutes since 1970 of the controller's clock; none for a date it does not hold.
std::optional<int64_t> MinutesOf(const ControllerMoment& m) {
  using namespace std::chrono;
  const year_month_day date{year{1900 + m.Year}, month{static_cast<unsigned>(m.Month)},
                            day{static_cast<unsigned>(m.Day)}};
  if (!date.ok() || m.Hour < 0 || m.Hour > 23 || m.Minute < 0 || m.Minute > 59) return std::nullopt;
  return duration_cast<minutes>(sys_days{date}.time_since_epoch()).count() + m.Hour * 60 + m.Minute;
}

bool NewPeriod(TotalPeriod period, const ControllerMoment& from, const ControllerMoment& to) {
  switch (period) {
    case TotalPeriod::Day: return from.Day != to.Day || from.Month != to.Month || from.Year != to.Year;
    case TotalPeriod::Month: return from.Month != to.Month || from.Year != to.Year;
    case TotalPeriod::Year: return from.Year != to.Year;
    case TotalPeriod::Lifetime: return false;
  }
  return false;
}

const char* PeriodName(TotalPeriod period) {
  switch (period) {
    case TotalPeriod::Day: return "day";
    case TotalPeriod::Month: return "month";
    case TotalPeriod::Year: return "year";
    case TotalPeriod::Lifetime: return "period";
  }
  return "period";
}

std::string Figure(double x, int precision) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", precision < 0 ? 3 : precision, x);
  return text;
}

}  // namespace

ControllerMoment ControllerMomentOfStore() {
  namespace W = Word::Block2;
  return {Block2[W::Day], Block2[W::Month], Block2[W::Year], Block2[W::Hour], Block2[W::Minute]};
}

double PlantKwpOfStore() { return Block3[Word::Block3::PlantSize] / 10.0; }

std::optional<TotalRule> TotalRuleFor(const std::string& id) {
  using P = TotalPeriod;
  // The equivalents follow the lifetime yield: 0.7 kg CO2, 1/10.68 L of oil
  // and 1/11.46 m³ of gas per kWh.
  static const std::map<std::string, TotalRule> rules = {
      {"energy_today", {P::Day, 1, true}},
      {"energy_month", {P::Month, 1, true}},
      {"energy_year", {P::Year, 1, true}},
      {"energy_total", {P::Lifetime, 1, true}},
      {"specific_yield_today", {P::Day, 1, false}},
      // Irradiance stays below about 1.4 kW/m² even at a cloud's edge.
      {"irradiation_today", {P::Day, 1.4, false}},
      {"irradiation_year", {P::Year, 1.4, false}},
      {"co2_avoided", {P::Lifetime, 0.0007, true}},
      {"heating_oil_equivalent", {P::Lifetime, 1 / 10.68, true}},
      {"natural_gas_equivalent", {P::Lifetime, 1 / 11.46, true}},
      {"meter_energy_today", {P::Day, 1, true}},
      {"meter_energy_year", {P::Year, 1, true}},
  };
  const auto found = rules.find(id);
  if (found == rules.end()) return std::nullopt;
  return found->second;
}

QJsonObject TotalsGuard::Checked(QJsonObject state, const ControllerMoment& now, double plantKwp) {
  for (const PlantSensor& sensor : PlantSensors()) {
    const SensorTraits& s = sensor.Traits;
    if (const std::optional<TotalRule> rule = TotalRuleFor(s.Id))
      state.insert(s.Key, Check(s.Key, state.value(s.Key), *rule, s.Precision, now, plantKwp));
  }
  QJsonArray meters = state.value(MetersKey).toArray();
  for (qsizetype i = 0; i < meters.size(); ++i) {
    QJsonObject meter = meters[i].toObject();
    for (const MeterSensor& sensor : MeterSensors()) {
      const SensorTraits& s = sensor.Traits;
      const std::optional<TotalRule> rule = TotalRuleFor(std::string("meter_") + s.Id);
      if (!rule) continue;
      const std::string name = "meter " + std::to_string(i + 1) + " " + s.Key;
      meter.insert(s.Key, Check(name, meter.value(s.Key), *rule, s.Precision, now, plantKwp));
    }
    meters[i] = meter;
  }
  if (state.contains(MetersKey)) state.insert(MetersKey, meters);
  return state;
}

// Why the value cannot follow the track's trusted one, or none when it can.
std::optional<std::string> TotalsGuard::Implausible(const Track& track, double value, const TotalRule& rule,
                                                    int precision, const ControllerMoment& now, double plantKwp) const {
  if (NewPeriod(rule.Period, track.TrustedAt, now)) return std::nullopt;
  if (value < track.Trusted)
    return "falls from " + Figure(track.Trusted, precision) + " without a new " + PeriodName(rule.Period);
  const std::optional<int64_t> from = MinutesOf(track.TrustedAt), to = MinutesOf(now);
  // Without the clock or the plant's size there is no limit to tell.
  if (!from || !to || (rule.PerKwp && plantKwp <= 0)) return std::nullopt;
  const double hours = static_cast<double>(std::max<int64_t>(*to - *from, 0) + SlackMinutes) / 60;
  const double step = precision >= 0 ? std::pow(10.0, -precision) : 0.001;
  const double limit = rule.PerHour * (rule.PerKwp ? plantKwp : 1) * hours * Margin + 2 * step;
  if (value - track.Trusted <= limit) return std::nullopt;
  return "rises from " + Figure(track.Trusted, precision) + " by more than the " + Figure(limit, precision) +
         " the plant can make in " + std::to_string(static_cast<int>(std::lround(hours * 60))) + " min";
}

QJsonValue TotalsGuard::Check(const std::string& name, const QJsonValue& value, const TotalRule& rule, int precision,
                              const ControllerMoment& now, double plantKwp) {
  if (!value.isDouble()) return value;
  const double v = value.toDouble();
  const auto [at, first] = tracks_.try_emplace(name, Track{v, now, std::nullopt});
  Track& track = at->second;
  if (first) return value;
  const std::optional<std::string> why = Implausible(track, v, rule, precision, now, plantKwp);
  if (!why || (track.Held && v >= *track.Held)) {
    if (why) log_(name + " " + Figure(v, precision) + " confirmed by a second exchange: published");
    track = Track{v, now, std::nullopt};
    return value;
  }
  if (!track.Held)
    log_("holding back " + name + " " + Figure(v, precision) + ": it " + *why + "; publishing " +
         Figure(track.Trusted, precision) + " until the next exchange confirms it");
  track.Held = v;
  return track.Trusted;
}
