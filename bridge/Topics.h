#pragma once
// The MQTT topics of one plant: its state, its availability, its alarm state,
// the bridge's own availability and the Home Assistant discovery config of
// each of its sensors.
#include <string>

struct BridgeTopics {
  std::string Base;             // e.g. "pczentrixnet"
  std::string Plant;            // e.g. "plant1"
  std::string DiscoveryPrefix;  // e.g. "homeassistant"

  std::string State() const { return Base + "/" + Plant + "/state"; }
  std::string Availability() const { return Base + "/" + Plant + "/availability"; }
  // The controller's link, the fault it reports, its monitoring switch and the
  // last good exchange: one retained JSON message, sent on each change.
  std::string Alarm() const { return Base + "/" + Plant + "/alarm"; }
  // Whether the bridge itself runs ("online"/"offline"): the link's sensors
  // stay readable while the controller is away and the plant is "offline".
  std::string BridgeAvailability() const { return Base + "/" + Plant + "/bridge"; }
  // <prefix>/sensor/<plant>_<sensor id>/config
  std::string Config(const std::string& sensorId) const {
    return DiscoveryPrefix + "/sensor/" + Plant + "_" + sensorId + "/config";
  }
  // <prefix>/device/<plant>_alarm/config: the alarm's sensors in one device
  // config (binary sensors and a timestamp sensor side by side).
  std::string AlarmConfig() const { return DiscoveryPrefix + "/device/" + Plant + "_alarm/config"; }
  // Every sensor config under the prefix (other plants' and integrations' too):
  // only --remove-discovery, run once by hand, looks through them all.
  std::string ConfigPattern() const { return DiscoveryPrefix + "/sensor/+/config"; }
  // Where Home Assistant says "online" when it starts (its birth message).
  std::string HomeAssistantStatus() const { return DiscoveryPrefix + "/status"; }
  // Stable across runs and bridges: the id Home Assistant keeps its settings under.
  std::string UniqueId(const std::string& sensorId) const { return "pczentrixnet_" + Plant + "_" + sensorId; }
  std::string DeviceId() const { return "pczentrixnet_" + Plant; }
};
