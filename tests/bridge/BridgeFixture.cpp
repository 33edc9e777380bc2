#include "tests/bridge/BridgeFixture.h"

void BridgeFixture::SetUp() {
  ASSERT_TRUE(MosquittoBroker::Installed()) << MosquittoBroker::Program() << " is missing: run scripts/install-deps";
}

void BridgeFixture::StartBroker() { ASSERT_TRUE(broker.Start()) << broker.Log(); }

void BridgeFixture::StartSubscriber() {
  subscriber = std::make_unique<MqttSubscriber>(broker.Port());
  ASSERT_TRUE(subscriber->WaitSubscribed(1, 10));
}

void BridgeFixture::StartSimulator(std::vector<std::string> options) {
  options.insert(options.begin(), {"--fast", "--start", "2024-06-21 11:40", "--seed", "5"});
  ASSERT_TRUE(sim.Start(SimCom, options));
}

void BridgeFixture::StartBridge(std::vector<std::string> args) {
  args.insert(args.begin(), {"--port", "COM" + std::to_string(SimCom), "--mqtt-host", "127.0.0.1", "--mqtt-port",
                             std::to_string(broker.Port()), "--plant", Plant, "--archive", ArchiveFile()});
  bridge = std::make_unique<ChildProcess>(PCZN_BRIDGE, args, ChildProcess::Environment{},
                                          ChildProcess::Output::WithStandardError);
}

int BridgeFixture::StopBridge() {
  const int status = bridge->Stop(10);
  BridgeLog();
  return status;
}

void BridgeFixture::StartAllUntilOnline(const std::string& tickMs) {
  StartBroker();
  StartSubscriber();
  StartSimulator();
  StartBridge({"--tick-ms", tickMs});
  ASSERT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "online", 60)) << BridgeLog();
}

std::string BridgeFixture::BridgeLog() {
  if (bridge) log_ += bridge->ReadAvailable();
  return log_;
}

int BridgeFixture::Exchanges() const { return Occurrences(sim.Log(), "EndOfExchange"); }
