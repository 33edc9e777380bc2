#pragma once
// Home Assistant's MQTT discovery: one retained config per sensor, all sensors
// of a plant (the meters' too) under one device that names the controller's
// type and version, each taking its value from the state message.
#include <string>
#include <vector>

#include "bridge/PlantReading.h"
#include "bridge/Topics.h"

constexpr int MaxMeters = 48;

struct MqttMessage {
  std::string Topic;
  std::string Payload;
};

// What the configs say about the plant; new configs are due when it changes.
struct PlantDevice {
  int ControllerType = 0;
  std::string ControllerVersion;
  int Meters = 0;  // meters with sensors, 1..48
  bool operator==(const PlantDevice&) const = default;
};
PlantDevice DeviceOf(const PlantReading& reading);

std::vector<MqttMessage> DiscoveryConfigs(const BridgeTopics& topics, const PlantDevice& device);
// Whether a config's payload belongs to this plant's device (the topic alone
// cannot tell: plant "roof" and a plant "roof_meter1" share topic prefixes).
bool IsConfigOfPlant(const BridgeTopics& topics, const std::string& payload);
// The topics of every config this plant can have: all sensors, all 48 meters'.
std::vector<std::string> PlantConfigTopics(const BridgeTopics& topics);
// Empty retained messages for every config this plant can have (all 48
// meters) and for its state and availability: the plant leaves the broker.
std::vector<MqttMessage> PlantRemoval(const BridgeTopics& topics);

// Empty retained configs, which make Home Assistant remove the sensors of
// meters first..last (a plant that has fewer meters now).
std::vector<MqttMessage> RemovedMeterConfigs(const BridgeTopics& topics, int first, int last);

// The alarm's sensors in one device config of the plant's device: the fault
// (problem, with the controller's words as an attribute) and the monitoring
// switch, unavailable with the plant while the controller does not answer;
// the controller's link (connectivity) and the last good exchange
// (timestamp), available while the bridge runs, so that a lost link shows as
// "off" rather than as unknown.
MqttMessage AlarmConfig(const BridgeTopics& topics, const PlantDevice& device);
// Empty retained messages for the alarm's config, its state and the bridge's availability.
std::vector<MqttMessage> AlarmRemoval(const BridgeTopics& topics);
