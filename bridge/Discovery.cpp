#include "bridge/Discovery.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include "base/Version.h"
#include "bridge/Availability.h"
#include "bridge/Sensors.h"

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QJsonObject Origin() { return QJsonObject{{"name", "zentrixnet-bridge"}, {"sw_version", PCZN_VERSION}}; }

QJsonObject DeviceObject(const BridgeTopics& topics, const PlantDevice& device) {
  return QJsonObject{
      {"identifiers", QJsonArray{Q(topics.DeviceId())}},
      {"name", Q("PV plant " + topics.Plant)},
      {"manufacturer", "Terva"},
      {"model", Q("Zentrix Net controller, type " + std::to_string(device.ControllerType))},
      {"sw_version", Q(device.ControllerVersion)},
  };
}

// One config; `id` and `name` already carry the meter's number for a meter's sensor.
std::string ConfigPayload(const BridgeTopics& topics, const PlantDevice& device, const SensorTraits& traits,
                          const std::string& id, const std::string& name, const std::string& valuePath) {
  QJsonObject config{
      {"name", Q(name)},
      {"unique_id", Q(topics.UniqueId(id))},
      {"state_topic", Q(topics.State())},
      {"value_template", Q("{{ value_json." + valuePath + " }}")},
      {"availability_topic", Q(topics.Availability())},
      {"payload_available", Availability::Online},
      {"payload_not_available", Availability::Offline},
      {"device", DeviceObject(topics, device)},
      {"origin", Origin()},
  };
  if (traits.Unit) config.insert("unit_of_measurement", traits.Unit);
  if (traits.DeviceClass) config.insert("device_class", traits.DeviceClass);
  if (traits.StateClass) config.insert("state_class", traits.StateClass);
  if (traits.Precision >= 0) config.insert("suggested_display_precision", traits.Precision);
  if (traits.Diagnostic) config.insert("entity_category", "diagnostic");
  return QJsonDocument(config).toJson(QJsonDocument::Compact).toStdString();
}

// One entity of the alarm's device config, its value a key of the alarm message.
QJsonObject AlarmEntity(const BridgeTopics& topics, const char* platform, const char* id, const char* name,
                        const char* key, const std::string& availability) {
  return QJsonObject{
      {"platform", platform},
      {"name", name},
      {"unique_id", Q(topics.UniqueId(id))},
      {"state_topic", Q(topics.Alarm())},
      {"value_template", Q(std::string("{{ value_json.") + key + " }}")},
      {"availability_topic", Q(availability)},
      {"payload_available", Availability::Online},
      {"payload_not_available", Availability::Offline},
  };
}

std::string MeterId(int meter, const SensorTraits& traits) { return "meter" + std::to_string(meter) + "_" + traits.Id; }

}  // namespace

PlantDevice DeviceOf(const PlantReading& reading) {
  return {reading.ControllerType, reading.ControllerVersion, static_cast<int>(reading.Meters.size())};
}

std::vector<MqttMessage> DiscoveryConfigs(const BridgeTopics& topics, const PlantDevice& device) {
  std::vector<MqttMessage> configs;
  for (const PlantSensor& sensor : PlantSensors()) {
    const SensorTraits& s = sensor.Traits;
    configs.push_back({topics.Config(s.Id), ConfigPayload(topics, device, s, s.Id, s.Name, s.Key)});
  }
  for (int meter = 1; meter <= device.Meters; ++meter) {
    for (const MeterSensor& sensor : MeterSensors()) {
      const SensorTraits& s = sensor.Traits;
      const std::string id = MeterId(meter, s);
      const std::string name = "Meter " + std::to_string(meter) + " " + s.Name;
      const std::string path = std::string(MetersKey) + "[" + std::to_string(meter - 1) + "]." + s.Key;
      configs.push_back({topics.Config(id), ConfigPayload(topics, device, s, id, name, path)});
    }
  }
  return configs;
}

std::vector<MqttMessage> RemovedMeterConfigs(const BridgeTopics& topics, int first, int last) {
  std::vector<MqttMessage> configs;
  for (int meter = first; meter <= last; ++meter)
    for (const MeterSensor& sensor : MeterSensors())
      configs.push_back({topics.Config(MeterId(meter, sensor.Traits)), ""});
  return configs;
}

bool IsConfigOfPlant(const BridgeTopics& topics, const std::string& payload) {
  const QJsonObject config = QJsonDocument::fromJson(QByteArray::fromStdString(payload)).object();
  return config.value("device").toObject().value("identifiers").toArray().contains(Q(topics.DeviceId()));
}

std::vector<std::string> PlantConfigTopics(const BridgeTopics& topics) {
  std::vector<std::string> configs;
  for (const PlantSensor& sensor : PlantSensors()) configs.push_back(topics.Config(sensor.Traits.Id));
  for (const MqttMessage& meter : RemovedMeterConfigs(topics, 1, MaxMeters)) configs.push_back(meter.Topic);
  return configs;
}

std::vector<MqttMessage> PlantRemoval(const BridgeTopics& topics) {
  std::vector<MqttMessage> removal;
  for (const std::string& config : PlantConfigTopics(topics)) removal.push_back({config, ""});
  removal.push_back({topics.State(), ""});
  removal.push_back({topics.Availability(), ""});
  return removal;
}

MqttMessage AlarmConfig(const BridgeTopics& topics, const PlantDevice& device) {
  QJsonObject fault = AlarmEntity(topics, "binary_sensor", "fault", "Fault", "problem", topics.Availability());
  fault.insert("device_class", "problem");
  fault.insert("json_attributes_topic", Q(topics.Alarm()));
  fault.insert("json_attributes_template", "{{ {'fault': value_json.fault} | tojson }}");
  QJsonObject monitoring =
      AlarmEntity(topics, "binary_sensor", "monitoring", "Plant monitoring", "monitoring", topics.Availability());
  monitoring.insert("entity_category", "diagnostic");
  QJsonObject link =
      AlarmEntity(topics, "binary_sensor", "link", "Controller link", "link", topics.BridgeAvailability());
  link.insert("device_class", "connectivity");
  link.insert("entity_category", "diagnostic");
  QJsonObject last = AlarmEntity(topics, "sensor", "last_exchange", "Last data exchange", "last_exchange",
                                 topics.BridgeAvailability());
  last.insert("device_class", "timestamp");
  last.insert("entity_category", "diagnostic");
  const QJsonObject config{
      {"device", DeviceObject(topics, device)},
      {"origin", Origin()},
      {"components", QJsonObject{{Q(topics.Plant + "_fault"), fault},
                                 {Q(topics.Plant + "_monitoring"), monitoring},
                                 {Q(topics.Plant + "_link"), link},
                                 {Q(topics.Plant + "_last_exchange"), last}}},
  };
  return {topics.AlarmConfig(), QJsonDocument(config).toJson(QJsonDocument::Compact).toStdString()};
}

std::vector<MqttMessage> AlarmRemoval(const BridgeTopics& topics) {
  return {{topics.AlarmConfig(), ""}, {topics.Alarm(), ""}, {topics.BridgeAvailability(), ""}};
}
