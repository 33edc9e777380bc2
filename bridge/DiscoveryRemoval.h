#pragma once
// zentrixnet-bridge --remove-discovery: the plant leaves the broker. Every
// retained message the bridge can have published for it (the discovery
// configs of all sensors and of all 48 meters, the state, the availability)
// and any other retained config of the plant's device that the broker sends
// is replaced by an empty one, which makes Home Assistant remove the sensors.
#include <QObject>
#include <functional>
#include <set>
#include <string>

#include "bridge/BridgeOptions.h"
#include "bridge/MqttClient.h"
#include "bridge/Topics.h"

class DiscoveryRemoval : public QObject {
public:
  DiscoveryRemoval(const BridgeOptions& options, const std::string& password);
  // Connects, removes and disconnects; `done` gets the exit status: 0 when
  // the removal went out, 1 when the broker could not be reached.
  void Start(std::function<void(int)> done);

private:
  void Connected();
  void Acknowledged();
  void Remove(const std::string& topic);

  BridgeTopics topics_;
  MqttClient mqtt_;
  std::function<void(int)> done_;
  std::set<std::string> removed_;
  std::set<std::string> strays_;  // retained configs of the plant under other topics
  size_t acknowledged_ = 0;
  bool finishing_ = false;
};
