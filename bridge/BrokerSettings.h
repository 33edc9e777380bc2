#pragma once
// How the bridge reaches its broker, from its options: host, port, client id,
// login and CA file. Without a last will; the bridge adds its own.
#include <string>

#include "bridge/BridgeOptions.h"
#include "bridge/MqttClient.h"

MqttSettings BrokerSettings(const BridgeOptions& options, const std::string& password);
