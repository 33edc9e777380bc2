#pragma once
// Totals Home Assistant can trust: a value of a total_increasing sensor that
// falls without a new period (day, month, year by the controller's clock), or
// that rises by more than the plant can produce since the value trusted last,
// is held back, and the state message keeps the last trusted value. The next
// exchange decides: a value that goes on from the trusted one drops the held
// one (a corrupted exchange); one that goes on from the held value, not below
// it, confirms it (a real reset, as after the controller's "clear values").
// Home Assistant's energy dashboard counts a dip and its return as a new
// meter reading in full; this keeps such a dip out of it.
#include <QJsonObject>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

// The controller's clock as its date words give it (year since 1900).
struct ControllerMoment {
  int Day = 0, Month = 0, Year = 0, Hour = 0, Minute = 0;
};
ControllerMoment ControllerMomentOfStore();
// The controller's plant size in kWp as the store holds it (0: not set).
double PlantKwpOfStore();

enum class TotalPeriod { Day, Month, Year, Lifetime };

// How far one total may go: when it starts again, and how much it can rise
// per hour of the controller's clock for each kWp of the plant (or per hour
// alone, for values already per kWp or per m²).
struct TotalRule {
  TotalPeriod Period = TotalPeriod::Lifetime;
  double PerHour = 1;
  bool PerKwp = true;
};
// The rule of a total_increasing sensor by its id; none for another sensor.
std::optional<TotalRule> TotalRuleFor(const std::string& sensorId);

class TotalsGuard {
public:
  // A plant makes at most its nominal power under standard test conditions;
  // cold modules under the bright edge of a cloud give up to about a third
  // more, so a rise beyond 1.5 times size × time is no production.
  static constexpr double Margin = 1.5;
  // The clock's minute and the exchange's own length: minutes added to the time between two exchanges.
  static constexpr int SlackMinutes = 2;

  explicit TotalsGuard(std::function<void(const std::string&)> log) : log_(std::move(log)) {}

  // The state message with each total checked: a held-back value replaced by
  // the last trusted one. Every line it logs names the value.
  QJsonObject Checked(QJsonObject state, const ControllerMoment& now, double plantKwp);

private:
  struct Track {
    double Trusted = 0;
    ControllerMoment TrustedAt;
    std::optional<double> Held;
  };
  QJsonValue Check(const std::string& name, const QJsonValue& value, const TotalRule& rule, int precision,
                   const ControllerMoment& now, double plantKwp);
  std::optional<std::string> Implausible(const Track& track, double value, const TotalRule& rule, int precision,
                                         const ControllerMoment& now, double plantKwp) const;

  std::function<void(const std::string&)> log_;
  std::map<std::string, Track> tracks_;  // by the value's path in the state message
};
