#include "bridge/DiscoveryRemoval.h"

#include "bridge/BridgeLog.h"
#include "bridge/BrokerSettings.h"
#include "bridge/Discovery.h"

// Without a last will: the plant is to leave no trace.
DiscoveryRemoval::DiscoveryRemoval(const BridgeOptions& options, const std::string& password)
    : topics_{options.BaseTopic, options.Plant, options.DiscoveryPrefix}, mqtt_(BrokerSettings(options, password)) {
  mqtt_.On.Connected = [this] { Connected(); };
  mqtt_.On.Lost = [this](const std::string& why) {
    BridgeLog::Line("cannot reach the MQTT broker " + mqtt_.Address() + " (" + why + "); nothing removed");
    if (auto done = std::move(done_)) done(1);
  };
  mqtt_.On.Message = [this](const std::string& topic, const std::string& payload, bool retained) {
    if (retained && !payload.empty() && IsConfigOfPlant(topics_, payload)) strays_.insert(topic);
  };
  mqtt_.On.Delivered = [this] { Acknowledged(); };
}

void DiscoveryRemoval::Start(std::function<void(int)> done) {
  done_ = std::move(done);
  mqtt_.Connect();
}

// The broker handles the packets in order: it sends the configs it kept for
// the subscription before it acknowledges the removals that follow it. Once
// all are acknowledged, the plant's configs under other topics (sensors of an
// older version) are known, and go too.
void DiscoveryRemoval::Connected() {
  mqtt_.Subscribe(topics_.ConfigPattern());
  for (const MqttMessage& message : PlantRemoval(topics_)) Remove(message.Topic);
  for (const MqttMessage& message : AlarmRemoval(topics_)) Remove(message.Topic);
}

void DiscoveryRemoval::Acknowledged() {
  if (finishing_ || ++acknowledged_ < removed_.size()) return;
  finishing_ = true;
  for (const std::string& topic : strays_)
    if (removed_.count(topic) == 0) Remove(topic);
  mqtt_.Finish([this] {
    BridgeLog::Line("removed the plant " + topics_.Plant + " from the MQTT broker " + mqtt_.Address() + " (" +
                    std::to_string(removed_.size()) + " retained topics emptied)");
    if (auto done = std::move(done_)) done(0);
  });
}

void DiscoveryRemoval::Remove(const std::string& topic) {
  if (mqtt_.Publish(topic, "", true)) removed_.insert(topic);
}
