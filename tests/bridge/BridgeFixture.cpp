#include "tests/bridge/BridgeFixture.h"

#include <chrono>
#include <sstream>
#include <thread>

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

void BridgeFixture::StartBridge(std::vector<std::string> args, const std::string& host,
                                const ChildProcess::Environment& env) {
  args.insert(args.begin(), {"--port", "COM" + std::to_string(SimCom), "--mqtt-host", host, "--mqtt-port",
                             std::to_string(broker.Port()), "--plant", Plant, "--archive", ArchiveFile()});
  bridge = StartProgram(args, env);
}

// The plant's lock goes into the test's own folder, not a runtime folder that
// other tests running at the same time share.
std::unique_ptr<ChildProcess> BridgeFixture::StartProgram(const std::vector<std::string>& args,
                                                          const ChildProcess::Environment& env) const {
  std::filesystem::create_directories(RuntimeFolder());
  ChildProcess::Environment all{{"XDG_RUNTIME_DIR", RuntimeFolder()}, {"RUNTIME_DIRECTORY", ""}};
  all.insert(all.end(), env.begin(), env.end());
  return std::make_unique<ChildProcess>(PCZN_BRIDGE, args, all, ChildProcess::Output::WithStandardError);
}

int BridgeFixture::BrokerConnects() const {
  std::istringstream lines(broker.Log());
  int connects = 0;
  for (std::string line; std::getline(lines, line);)
    if (line.find("New client connected") != std::string::npos &&
        line.find(" as pczentrixnet-bridge-") != std::string::npos)
      ++connects;
  return connects;
}

bool BridgeFixture::WaitForBridgeLog(const std::string& text, double seconds, int times) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (Occurrences(BridgeLog(), text) < times) {
    if (std::chrono::steady_clock::now() > deadline || !bridge->Running())
      return Occurrences(BridgeLog(), text) >= times;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
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
