#pragma once
// The MQTT topics of one plant: its state, its availability and the Home
// Assistant discovery config of each of its sensors.
#include <string>

struct BridgeTopics {
  std::string Base;             // e.g. "pczentrixnet"
  std::string Plant;            // e.g. "plant1"
  std::string DiscoveryPrefix;  // e.g. "homeassistant"

  std::string State() const { return Base + "/" + Plant + "/state"; }
  std::string Availability() const { return Base + "/" + Plant + "/availability"; }
  // <prefix>/sensor/<plant>_<sensor id>/config
  std::string Config(const std::string& sensorId) const {
    return DiscoveryPrefix + "/sensor/" + Plant + "_" + sensorId + "/config";
  }
  // Every sensor config under the prefix (other plants' and integrations' too):
  // only --remove-discovery, run once by hand, looks through them all.
  std::string ConfigPattern() const { return DiscoveryPrefix + "/sensor/+/config"; }
  // Where Home Assistant says "online" when it starts (its birth message).
  std::string HomeAssistantStatus() const { return DiscoveryPrefix + "/status"; }
  // Stable across runs and bridges: the id Home Assistant keeps its settings under.
  std::string UniqueId(const std::string& sensorId) const { return "pczentrixnet_" + Plant + "_" + sensorId; }
  std::string DeviceId() const { return "pczentrixnet_" + Plant; }
};
