#include "bridge/BrokerSettings.h"

MqttSettings BrokerSettings(const BridgeOptions& options, const std::string& password) {
  MqttSettings s;
  s.Host = options.MqttHost;
  s.Port = options.BrokerPort();
  s.ClientId = options.ClientId();
  s.User = options.MqttUser;
  s.Password = password;
  s.CaFile = options.MqttCaFile;
  return s;
}
