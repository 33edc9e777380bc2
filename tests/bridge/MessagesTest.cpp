// The state message and the discovery configs made from a store filled by
// hand: every config reads a key the state message has, values the page
// shows as "---" are null, and the configs carry what Home Assistant needs.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <chrono>
#include <set>

#include "bridge/AlarmMessage.h"
#include "bridge/Discovery.h"
#include "bridge/Sensors.h"
#include "bridge/StateMessage.h"
#include "store/PlantStore.h"

namespace {

QJsonObject Parse(const std::string& json) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << json;
  return document.object();
}

// The value at a value_template's path ("energy_today_kwh", "meters[2].power_w");
// Undefined when the state message has no such key.
QJsonValue Resolve(const QJsonObject& state, const QString& path) {
  const QRegularExpressionMatch m = QRegularExpression(R"(^(\w+)(?:\[(\d+)\]\.(\w+))?$)").match(path);
  if (!m.hasMatch()) return QJsonValue(QJsonValue::Undefined);
  const QJsonValue top = state.value(m.captured(1));
  if (m.captured(2).isEmpty()) return top;
  const QJsonArray list = top.toArray();
  const int index = m.captured(2).toInt();
  if (index >= list.size()) return QJsonValue(QJsonValue::Undefined);
  return list[index].toObject().value(m.captured(3));
}

QString TemplatePath(const QJsonObject& config) {
  const QRegularExpressionMatch m =
      QRegularExpression(R"(^\{\{ value_json\.(\S+) \}\}$)").match(config.value("value_template").toString());
  return m.captured(1);
}

const BridgeTopics Topics{"pczentrixnet", "roof", "homeassistant"};

class MessagesTest : public ::testing::Test {
protected:
  void SetUp() override { ClearPlantStore(); }
  QJsonObject State() { return Parse(StateMessage(ReadPlant())); }
};

TEST_F(MessagesTest, EveryConfigReadsAKeyOfTheStateMessage) {
  Block3[37] = 7;
  const PlantReading reading = ReadPlant();
  const QJsonObject state = Parse(StateMessage(reading));
  const std::vector<MqttMessage> configs = DiscoveryConfigs(Topics, DeviceOf(reading));
  EXPECT_EQ(configs.size(), PlantSensors().size() + 7 * MeterSensors().size());
  for (const MqttMessage& config : configs) {
    const QString path = TemplatePath(Parse(config.Payload));
    EXPECT_FALSE(Resolve(state, path).isUndefined()) << config.Topic << " reads " << path.toStdString();
  }
  EXPECT_EQ(state.value("meters").toArray().size(), 7);
  EXPECT_EQ(state.value("meters").toArray()[6].toObject().value("meter").toInt(), 7);
}

TEST_F(MessagesTest, WhatThePageShowsAsUnknownIsNull) {
  Block2[24] = 300;   // no month slot: month, year and lifetime yields unknown
  Block14[85] = 120;  // no module temperature
  Block2[16] = 5;     // 5:30, before today's first irradiance sample
  Block2[17] = 30;
  const QJsonObject state = State();
  for (const char* key :
       {"energy_month_kwh", "energy_year_kwh", "energy_total_kwh", "revenue_year_eur", "revenue_total_eur",
        "co2_avoided_t", "heating_oil_equivalent_l", "natural_gas_equivalent_m3", "irradiation_today_kwh_m2",
        "irradiation_year_kwh_m2", "module_temperature_max_c", "irradiance_w_m2"})
    EXPECT_TRUE(state.value(key).isNull()) << key;
  EXPECT_EQ(state.value("energy_today_kwh").toDouble(), 0.0) << "today is known, if zero";
  EXPECT_EQ(state.value("meters").toArray().size(), 1) << "meter 1 is always listed";
}

TEST_F(MessagesTest, ValuesInTheUnitsTheirKeysName) {
  Block3[37] = 40;
  Block19[37 - 29] = 123;        // meter 37: 12.3 kW
  Block14[59 + 37] = 4567;       // 45.67 kWh today
  SetMonthRun(260 + 2 * 37, 1);  // yearly yield: 100000 hundredths of kWh
  SetMonthRun(261 + 2 * 37, 34464);
  Block14[81] = 1234;  // Wh/m2 today
  Block14[85] = 19;    // -1 °C
  Block3[1] = 1216;    // 121.6 kWh yesterday
  Block2[16] = 12;     // 12:00: sample 24 of today's slot 1
  Block2[17] = 0;
  Block3[24] = 1;
  SetGroupBWord(230 + 56 + 23, 777);  // IrradianceRing starts at Block5[30], word 230 of group B
  const QJsonObject state = State();
  const QJsonObject meter37 = state.value("meters").toArray()[36].toObject();
  EXPECT_EQ(meter37.value("power_w").toDouble(), 12300);
  EXPECT_EQ(meter37.value("energy_today_kwh").toDouble(), 45.67);
  EXPECT_EQ(meter37.value("energy_year_kwh").toDouble(), 1000);
  EXPECT_EQ(state.value("power_w").toDouble(), 12300);
  EXPECT_EQ(state.value("energy_today_kwh").toDouble(), 45.67);
  EXPECT_EQ(state.value("energy_yesterday_kwh").toDouble(), 121.6);
  EXPECT_EQ(state.value("irradiation_today_kwh_m2").toDouble(), 1.234);
  EXPECT_EQ(state.value("module_temperature_max_c").toDouble(), -1);
  EXPECT_EQ(state.value("irradiance_w_m2").toDouble(), 777);
  EXPECT_EQ(state.value("controller_clock").toString(), "00/00/0 12:00");
  EXPECT_EQ(state.value("hint").toString(), QString::fromUtf8("Anlage läuft!"));
}

TEST_F(MessagesTest, ConfigsCarryWhatHomeAssistantNeeds) {
  const PlantDevice device{24, "P030512", 3};
  std::set<QString> ids;
  for (const MqttMessage& message : DiscoveryConfigs(Topics, device)) {
    const QJsonObject c = Parse(message.Payload);
    const QString id = c.value("unique_id").toString();
    EXPECT_TRUE(ids.insert(id).second) << "unique ids are unique: " << id.toStdString();
    EXPECT_EQ(message.Topic,
              "homeassistant/sensor/" + id.mid(QString("pczentrixnet_").size()).toStdString() + "/config");
    EXPECT_EQ(c.value("state_topic").toString(), "pczentrixnet/roof/state");
    EXPECT_EQ(c.value("availability_topic").toString(), "pczentrixnet/roof/availability");
    const QJsonObject d = c.value("device").toObject();
    EXPECT_EQ(d.value("identifiers").toArray(), QJsonArray{"pczentrixnet_roof"}) << "one device per plant";
    EXPECT_EQ(d.value("model").toString(), "Zentrix Net controller, type 24");
    EXPECT_EQ(d.value("sw_version").toString(), "P030512");
    EXPECT_EQ(d.value("manufacturer").toString(), "Terva");
    const QString unit = c.value("unit_of_measurement").toString();
    if (c.value("device_class") == "energy") {
      EXPECT_EQ(unit, "kWh") << id.toStdString();
    }
    if (c.value("device_class") == "power") {
      EXPECT_EQ(unit, "W") << id.toStdString();
    }
  }
  EXPECT_TRUE(ids.count("pczentrixnet_roof_meter3_energy_year"));
  // The totals go into Home Assistant's energy dashboard.
  for (const char* total : {"energy_total", "energy_year", "energy_today", "meter2_energy_today"}) {
    const auto configs = DiscoveryConfigs(Topics, device);
    const auto found = std::find_if(configs.begin(), configs.end(),
                                    [&](const MqttMessage& m) { return m.Topic == Topics.Config(total); });
    ASSERT_NE(found, configs.end()) << total;
    const QJsonObject c = Parse(found->Payload);
    EXPECT_EQ(c.value("device_class").toString(), "energy") << total;
    EXPECT_EQ(c.value("state_class").toString(), "total_increasing") << total;
  }
}

TEST_F(MessagesTest, TheDaysMaximaAreNoMeasurementsForLongTermStatistics) {
  for (const MqttMessage& message : DiscoveryConfigs(Topics, PlantDevice{24, "P030512", 1})) {
    const QJsonObject c = Parse(message.Payload);
    if (c.value("name").toString().startsWith("Maximum")) {
      EXPECT_FALSE(c.contains("state_class")) << message.Topic;
    }
  }
  EXPECT_EQ(Parse(DiscoveryConfigs(Topics, PlantDevice{24, "P030512", 1})[0].Payload).value("state_class"),
            "measurement")
      << "the current power is one";
}

TEST_F(MessagesTest, AConfigIsThePlantsByItsDeviceNotByItsTopic) {
  const std::string own = DiscoveryConfigs(Topics, PlantDevice{24, "P030512", 1})[0].Payload;
  EXPECT_TRUE(IsConfigOfPlant(Topics, own));
  const BridgeTopics similar{"pczentrixnet", "roof_meter1", "homeassistant"};
  EXPECT_FALSE(IsConfigOfPlant(similar, own)) << "plant roof_meter1 shares roof's topic prefix";
  EXPECT_FALSE(IsConfigOfPlant(Topics, "not json"));
  EXPECT_FALSE(IsConfigOfPlant(Topics, R"({"device":{"identifiers":"pczentrixnet_roof"}})"));

  const std::vector<MqttMessage> removal = PlantRemoval(Topics);
  EXPECT_EQ(removal.size(), PlantSensors().size() + 48 * MeterSensors().size() + 2);
  EXPECT_TRUE(std::all_of(removal.begin(), removal.end(), [](const MqttMessage& m) { return m.Payload.empty(); }));
  for (const MqttMessage& config : DiscoveryConfigs(Topics, PlantDevice{24, "P030512", 48}))
    EXPECT_TRUE(std::any_of(removal.begin(), removal.end(), [&](const MqttMessage& m) {
      return m.Topic == config.Topic;
    })) << config.Topic;
}

TEST_F(MessagesTest, MetersThatAreGoneGetEmptyConfigs) {
  const std::vector<MqttMessage> removals = RemovedMeterConfigs(Topics, 3, 4);
  ASSERT_EQ(removals.size(), 2 * MeterSensors().size());
  const std::vector<MqttMessage> configs = DiscoveryConfigs(Topics, PlantDevice{24, "P030512", 4});
  for (const MqttMessage& removal : removals) {
    EXPECT_TRUE(removal.Payload.empty());
    EXPECT_TRUE(
        std::any_of(configs.begin(), configs.end(), [&](const MqttMessage& m) { return m.Topic == removal.Topic; }))
        << removal.Topic << " is the topic of a meter's config";
  }
  EXPECT_TRUE(RemovedMeterConfigs(Topics, 5, 4).empty());
}

TEST_F(MessagesTest, TheAlarmsSensorsAreOneDeviceConfigOfThePlantsDevice) {
  const MqttMessage config = AlarmConfig(Topics, PlantDevice{24, "P030512", 3});
  EXPECT_EQ(config.Topic, "homeassistant/device/roof_alarm/config");
  const QJsonObject c = Parse(config.Payload);
  EXPECT_EQ(c.value("device").toObject().value("identifiers").toArray(), QJsonArray{"pczentrixnet_roof"});
  const QJsonObject components = c.value("components").toObject();
  ASSERT_EQ(components.size(), 4);
  std::set<QString> ids;
  for (const MqttMessage& sensor : DiscoveryConfigs(Topics, PlantDevice{24, "P030512", 3}))
    ids.insert(Parse(sensor.Payload).value("unique_id").toString());
  for (const QJsonValue& value : components) {
    const QJsonObject e = value.toObject();
    EXPECT_TRUE(ids.insert(e.value("unique_id").toString()).second) << "unique ids are unique";
    EXPECT_EQ(e.value("state_topic"), "pczentrixnet/roof/alarm");
  }
  const QJsonObject fault = components.value("roof_fault").toObject();
  EXPECT_EQ(fault.value("platform"), "binary_sensor");
  EXPECT_EQ(fault.value("device_class"), "problem");
  EXPECT_EQ(fault.value("availability_topic"), "pczentrixnet/roof/availability") << "unknown while the controller is";
  EXPECT_EQ(fault.value("json_attributes_topic"), "pczentrixnet/roof/alarm");
  const QJsonObject link = components.value("roof_link").toObject();
  EXPECT_EQ(link.value("device_class"), "connectivity");
  EXPECT_EQ(link.value("availability_topic"), "pczentrixnet/roof/bridge") << "readable while the link is lost";
  const QJsonObject last = components.value("roof_last_exchange").toObject();
  EXPECT_EQ(last.value("platform"), "sensor");
  EXPECT_EQ(last.value("device_class"), "timestamp");
  EXPECT_EQ(last.value("availability_topic"), "pczentrixnet/roof/bridge");
  EXPECT_EQ(components.value("roof_monitoring").toObject().value("platform"), "binary_sensor");

  std::set<std::string> removed;
  for (const MqttMessage& m : AlarmRemoval(Topics)) {
    EXPECT_TRUE(m.Payload.empty());
    removed.insert(m.Topic);
  }
  EXPECT_EQ(removed, (std::set<std::string>{config.Topic, "pczentrixnet/roof/alarm", "pczentrixnet/roof/bridge"}));
}

TEST_F(MessagesTest, TheAlarmMessageTellsFaultLinkMonitoringAndTheLastExchange) {
  Alarm::PlantState state;
  const auto noon = std::chrono::sys_days{std::chrono::year{2024} / 6 / 21} + std::chrono::hours(12);
  state.ExchangeCompleted(Alarm::Report{true, 2}, noon);
  const QJsonObject fault = Parse(AlarmMessage(state));
  EXPECT_EQ(fault.value("problem"), "ON");
  EXPECT_EQ(fault.value("fault").toString(), QString::fromUtf8("Zähler 1 oder Zähler 2"));
  EXPECT_EQ(fault.value("link"), "ON");
  EXPECT_EQ(fault.value("monitoring"), "ON");
  EXPECT_EQ(fault.value("last_exchange"), "2024-06-21T12:00:00Z");
  state.ExchangeCompleted(Alarm::Report{false, 0}, noon + std::chrono::minutes(1));
  state.PortLost(noon + std::chrono::minutes(2));
  const QJsonObject lost = Parse(AlarmMessage(state));
  EXPECT_EQ(lost.value("problem"), "OFF");
  EXPECT_EQ(lost.value("fault"), "");
  EXPECT_EQ(lost.value("link"), "OFF");
  EXPECT_EQ(lost.value("monitoring"), "OFF");
  EXPECT_EQ(lost.value("last_exchange"), "2024-06-21T12:01:00Z") << "the last good one";
}

}  // namespace

// The alarm's times are the PC's clock: a box that runs for years passes
// 19 January 2038, where a 32-bit time_t (armhf without 64-bit time) wraps.
TEST(IsoTimeTest, MomentsOnBothSidesOf2038KeepTheirDate) {
  using namespace std::chrono;
  const struct {
    sys_seconds moment;
    const char* text;
  } rows[] = {
      {sys_days{2026y / June / 21} + 10h + 41min + 7s, "2026-06-21T10:41:07Z"},
      {sys_days{2038y / January / 19} + 3h + 14min + 7s, "2038-01-19T03:14:07Z"},
      {sys_days{2038y / January / 19} + 3h + 14min + 8s, "2038-01-19T03:14:08Z"},
      {sys_days{2099y / December / 31} + 23h + 59min + 59s, "2099-12-31T23:59:59Z"},
  };
  for (const auto& row : rows) EXPECT_EQ(IsoTime(time_point_cast<Alarm::Clock::duration>(row.moment)), row.text);
}
