#include "bridge/Sensors.h"

#include <QString>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

QJsonValue Number(double x, int decimals) { return Rounded(x, decimals); }

template <class T>
QJsonValue OrNull(const std::optional<T>& value) {
  return value ? QJsonValue(static_cast<double>(*value)) : QJsonValue(QJsonValue::Null);
}

QJsonValue OrNull(const std::optional<double>& value, int decimals) {
  return value ? Number(*value, decimals) : QJsonValue(QJsonValue::Null);
}

QJsonValue Text(const std::string& text) { return QString::fromStdString(text); }

// Power words are 0.1 kW; Home Assistant's power sensors want W.
QJsonValue Watts(double kW) { return static_cast<double>(std::lround(kW * 1000)); }

}  // namespace

double Rounded(double x, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, x);
  return std::strtod(text, nullptr);
}

const std::vector<PlantSensor>& PlantSensors() {
  using R = const PlantReading&;
  static const std::vector<PlantSensor> sensors = {
      {{"power", "power_w", "Power", "W", "power", "measurement", 0, false},
       [](R r) { return QJsonValue(r.Figures.plantPower * 100); }},
      // The day's maxima have no state class: they are no measurements, and
      // long-term statistics of them would mean nothing.
      {{"power_max", "power_max_w", "Maximum power today", "W", "power", nullptr, 0, false},
       [](R r) { return QJsonValue(r.Figures.maxPower * 100); }},
      {{"energy_today", "energy_today_kwh", "Energy today", "kWh", "energy", "total_increasing", 2, false},
       [](R r) { return Number(r.Figures.todayYield / 100.0, 2); }},
      {{"energy_yesterday", "energy_yesterday_kwh", "Energy yesterday", "kWh", "energy", nullptr, 1, false},
       [](R r) { return Number(r.Figures.yesterdayYield / 10.0, 1); }},
      {{"energy_day_before", "energy_day_before_kwh", "Energy the day before yesterday", "kWh", "energy", nullptr, 1,
        false},
       [](R r) { return Number(r.Figures.dayBeforeYield / 10.0, 1); }},
      {{"energy_month", "energy_month_kwh", "Energy this month", "kWh", "energy", "total_increasing", 0, false},
       [](R r) { return OrNull(r.Figures.monthYield); }},
      {{"energy_year", "energy_year_kwh", "Energy this year", "kWh", "energy", "total_increasing", 0, false},
       [](R r) { return OrNull(r.Figures.yearYield); }},
      {{"energy_total", "energy_total_kwh", "Energy total", "kWh", "energy", "total_increasing", 0, false},
       [](R r) { return OrNull(r.Figures.totalYield); }},
      {{"specific_yield_today", "specific_yield_today_kwh_kwp", "Specific yield today", "kWh/kWp", nullptr,
        "total_increasing", 2, false},
       [](R r) { return Number(r.Figures.specificYield, 2); }},
      {{"irradiation_today", "irradiation_today_kwh_m2", "Irradiation today", "kWh/m²", nullptr, "total_increasing", 3,
        false},
       [](R r) { return OrNull(r.Figures.todayIrradiation, 3); }},
      {{"irradiation_year", "irradiation_year_kwh_m2", "Irradiation this year", "kWh/m²", nullptr, "total_increasing",
        0, false},
       [](R r) { return OrNull(r.Figures.yearIrradiation); }},
      {{"irradiance", "irradiance_w_m2", "Irradiance", "W/m²", "irradiance", "measurement", 0, false},
       [](R r) { return OrNull(r.Irradiance); }},
      {{"module_temperature_max", "module_temperature_max_c", "Maximum module temperature today", "°C", "temperature",
        nullptr, 0, false},
       [](R r) { return OrNull(r.Figures.moduleTemperature); }},
      {{"revenue_today", "revenue_today_eur", "Revenue today", "EUR", "monetary", nullptr, 2, false},
       [](R r) { return Number(r.Figures.todayRevenue, 2); }},
      {{"revenue_year", "revenue_year_eur", "Revenue this year", "EUR", "monetary", nullptr, 0, false},
       [](R r) { return OrNull(r.Figures.yearRevenue); }},
      {{"revenue_total", "revenue_total_eur", "Revenue total", "EUR", "monetary", "total", 0, false},
       [](R r) { return OrNull(r.Figures.totalRevenue); }},
      {{"co2_avoided", "co2_avoided_t", "CO2 avoided", "t", nullptr, "total_increasing", 3, false},
       [](R r) { return OrNull(r.Figures.co2Tonnes, 3); }},
      {{"heating_oil_equivalent", "heating_oil_equivalent_l", "Heating oil equivalent", "L", "volume",
        "total_increasing", 0, false},
       [](R r) { return OrNull(r.Figures.oilLitres, 1); }},
      {{"natural_gas_equivalent", "natural_gas_equivalent_m3", "Natural gas equivalent", "m³", "volume",
        "total_increasing", 0, false},
       [](R r) { return OrNull(r.Figures.gasCubicMetres, 1); }},
      {{"hint", "hint", "Plant check", nullptr, nullptr, nullptr, -1, false}, [](R r) { return Text(r.Hint); }},
      {{"controller_clock", "controller_clock", "Controller clock", nullptr, nullptr, nullptr, -1, true},
       [](R r) { return Text(r.ControllerClock); }},
      {{"controller_type", "controller_type", "Controller type", nullptr, nullptr, nullptr, -1, true},
       [](R r) { return QJsonValue(r.ControllerType); }},
      {{"commissioning", "commissioning", "In operation since", nullptr, nullptr, nullptr, -1, true},
       [](R r) { return Text(r.Commissioning); }},
      {{"meter_count", "meter_count", "Meters", nullptr, nullptr, nullptr, -1, true},
       [](R r) { return QJsonValue(static_cast<int>(r.Figures.meterCount)); }},
  };
  return sensors;
}

const std::vector<MeterSensor>& MeterSensors() {
  using M = const MeterFigures&;
  static const std::vector<MeterSensor> sensors = {
      {{"power", "power_w", "power", "W", "power", "measurement", 0, false}, [](M m) { return Watts(m.power); }},
      {{"energy_today", "energy_today_kwh", "energy today", "kWh", "energy", "total_increasing", 2, false},
       [](M m) { return Number(m.todayYield, 2); }},
      {{"energy_year", "energy_year_kwh", "energy this year", "kWh", "energy", "total_increasing", 2, false},
       [](M m) { return Number(m.yearYield, 2); }},
  };
  return sensors;
}
