// The totals guard on state messages made by hand: a dip for one exchange,
// a real reset, a new day, and a rise beyond what the plant can make.
#include <gtest/gtest.h>

#include <QJsonArray>

#include "bridge/Sensors.h"
#include "bridge/TotalsGuard.h"
#include "tests/support/Occurrences.h"

namespace {

// 21 June 2024 at the minute given (the controller counts years from 1900).
ControllerMoment June21(int hour, int minute, int day = 21) { return {day, 6, 124, hour, minute}; }

QJsonObject State(double today, double meterToday, double total) {
  return QJsonObject{{"energy_today_kwh", today},
                     {"energy_total_kwh", total},
                     {"power_w", 900},
                     {"meters", QJsonArray{QJsonObject{{"meter", 1}, {"energy_today_kwh", meterToday}}}}};
}

double MeterToday(const QJsonObject& state) {
  return state.value("meters").toArray()[0].toObject().value("energy_today_kwh").toDouble();
}

class TotalsGuardTest : public ::testing::Test {
protected:
  QJsonObject At(const QJsonObject& state, const ControllerMoment& now) { return guard.Checked(state, now, 10.0); }
  std::string log;
  TotalsGuard guard{[this](const std::string& line) { log += line + "\n"; }};
};

TEST_F(TotalsGuardTest, ADipForOneExchangeIsNeverPublishedAndLeavesOneLine) {
  At(State(12.34, 4.11, 5000), June21(12, 0));
  const QJsonObject dipped = At(State(6.17, 2.05, 2500), June21(12, 1));
  EXPECT_EQ(dipped.value("energy_today_kwh").toDouble(), 12.34) << "the last trusted value stands";
  EXPECT_EQ(MeterToday(dipped), 4.11);
  EXPECT_EQ(dipped.value("energy_total_kwh").toDouble(), 5000);
  EXPECT_EQ(dipped.value("power_w").toDouble(), 900) << "no total: never held";
  EXPECT_EQ(Occurrences(log, "holding back energy_today_kwh 6.17"), 1) << log;
  EXPECT_EQ(Occurrences(log, "holding back meter 1 energy_today_kwh"), 1) << log;
  EXPECT_EQ(Occurrences(log, "\n"), 3) << "one line per held value:\n" << log;

  const QJsonObject back = At(State(12.40, 4.13, 5000), June21(12, 2));
  EXPECT_EQ(back.value("energy_today_kwh").toDouble(), 12.40);
  EXPECT_EQ(MeterToday(back), 4.13);
  EXPECT_EQ(Occurrences(log, "\n"), 3) << log;
}

TEST_F(TotalsGuardTest, AResetIsPublishedOnceTheNextExchangeConfirmsIt) {
  At(State(12.34, 4.11, 5000), June21(12, 0));
  EXPECT_EQ(At(State(0, 0, 0), June21(12, 1)).value("energy_total_kwh").toDouble(), 5000);
  const QJsonObject confirmed = At(State(0.02, 0.01, 0), June21(12, 2));
  EXPECT_EQ(confirmed.value("energy_today_kwh").toDouble(), 0.02);
  EXPECT_EQ(confirmed.value("energy_total_kwh").toDouble(), 0);
  EXPECT_EQ(MeterToday(confirmed), 0.01);
  EXPECT_EQ(Occurrences(log, "confirmed by a second exchange"), 3) << log;
  // From the reset on it is trusted as any other value.
  EXPECT_EQ(At(State(0.05, 0.02, 0), June21(12, 3)).value("energy_today_kwh").toDouble(), 0.05);
}

TEST_F(TotalsGuardTest, ANewDayStartsFromZeroAtOnceButTheLifetimeTotalMayNotFall) {
  At(State(30.5, 10.1, 5000), June21(23, 59));
  const QJsonObject morning = At(State(0, 0, 4999), June21(0, 0, 22));
  EXPECT_EQ(morning.value("energy_today_kwh").toDouble(), 0);
  EXPECT_EQ(MeterToday(morning), 0);
  EXPECT_EQ(morning.value("energy_total_kwh").toDouble(), 5000);
  EXPECT_EQ(Occurrences(log, "holding back"), 1) << log;
  EXPECT_NE(log.find("without a new period"), std::string::npos) << log;
}

TEST_F(TotalsGuardTest, ARiseBeyondSizeTimesTimeWithItsMarginIsHeldBack) {
  // 10 kWp for 5 + 2 minutes with the margin 1.5: 1.75 kWh, plus two steps of 0.01.
  At(State(10.00, 3.00, 5000), June21(12, 0));
  EXPECT_EQ(At(State(11.70, 3.50, 5001), June21(12, 5)).value("energy_today_kwh").toDouble(), 11.70);
  const QJsonObject spike = At(State(19.0, 3.51, 5001), June21(12, 10));
  EXPECT_EQ(spike.value("energy_today_kwh").toDouble(), 11.70);
  EXPECT_EQ(MeterToday(spike), 3.51);
  EXPECT_NE(log.find("rises from 11.70 by more than the 1.77"), std::string::npos) << log;
  // Hours later the same rise is plausible.
  EXPECT_EQ(At(State(19.1, 4.0, 5009), June21(18, 0)).value("energy_today_kwh").toDouble(), 19.1);
}

TEST_F(TotalsGuardTest, AValueThatStaysOddIsLoggedOnceAndAnUnknownValueIsLeftAsItIs) {
  At(State(12.0, 4.0, 5000), June21(12, 0));
  At(State(1.0, 4.0, 5000), June21(12, 1));
  At(State(0.5, 4.0, 5000), June21(12, 2));  // below the held value too: held again, silently
  EXPECT_EQ(Occurrences(log, "holding back energy_today_kwh"), 1) << log;
  QJsonObject unknown = State(12.1, 4.0, 5000);
  unknown.insert("energy_total_kwh", QJsonValue(QJsonValue::Null));
  EXPECT_TRUE(At(unknown, June21(12, 3)).value("energy_total_kwh").isNull());
}

TEST(TotalRules, EveryTotalIncreasingSensorHasARuleAndNoOtherSensorHasOne) {
  for (const PlantSensor& sensor : PlantSensors()) {
    const bool total = sensor.Traits.StateClass && std::string(sensor.Traits.StateClass) == "total_increasing";
    EXPECT_EQ(TotalRuleFor(sensor.Traits.Id).has_value(), total) << sensor.Traits.Id;
  }
  for (const MeterSensor& sensor : MeterSensors()) {
    const bool total = sensor.Traits.StateClass && std::string(sensor.Traits.StateClass) == "total_increasing";
    EXPECT_EQ(TotalRuleFor(std::string("meter_") + sensor.Traits.Id).has_value(), total) << sensor.Traits.Id;
  }
}

}  // namespace
