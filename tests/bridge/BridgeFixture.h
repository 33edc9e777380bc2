#pragma once
// The bridge program between the simulator (on a pseudo-terminal linked as a
// COM port of the test's own ports folder, which the bridge inherits) and a
// mosquitto broker of the test's own, with a subscriber of the test's own
// that sees every message.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/MosquittoBroker.h"
#include "tests/support/MqttSubscriber.h"
#include "tests/support/Occurrences.h"
#include "tests/support/SimulatorProcess.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TempPortsFolder.h"

class BridgeFixture : public ::testing::Test {
protected:
  static constexpr int SimCom = 6;
  static constexpr const char* Plant = "roof";

  void SetUp() override;

  void StartBroker();
  void StartSubscriber();
  // The simulator unpaced from a fixed start, plus the options.
  void StartSimulator(std::vector<std::string> options = {});
  // The bridge on COM SimCom to the broker (by the name `host`), archiving
  // into ArchiveFile(), plus the arguments and the environment.
  void StartBridge(std::vector<std::string> args, const std::string& host = "127.0.0.1",
                   const ChildProcess::Environment& env = {});
  // The real program with these arguments only, its lock in RuntimeFolder();
  // the Windows build's tests run it under wine instead.
  virtual std::unique_ptr<ChildProcess> StartProgram(const std::vector<std::string>& args,
                                                     const ChildProcess::Environment& env = {}) const;
  std::string RuntimeFolder() const { return (folder / "run").string(); }
  // Connections of bridges the broker accepted so far.
  int BrokerConnects() const;
  // Waits until the bridge's log holds the text `times` times, or it ends.
  bool WaitForBridgeLog(const std::string& text, double seconds, int times = 1);
  // SIGTERM; its exit status.
  int StopBridge();
  // Broker, subscriber, simulator and bridge with this tick, until the plant is online.
  void StartAllUntilOnline(const std::string& tickMs);
  // Everything the bridge has written to standard error so far.
  std::string BridgeLog();
  // Completed exchanges in the simulator's log.
  int Exchanges() const;

  std::string ArchiveFile() const { return (folder / "archive.sqlite").string(); }
  std::string StateTopic() const { return std::string("pczentrixnet/") + Plant + "/state"; }
  std::string AvailabilityTopic() const { return std::string("pczentrixnet/") + Plant + "/availability"; }

  TempFolder folder{"bridge-test"};
  TempPortsFolder ports;
  MosquittoBroker broker{folder / "broker"};
  SimulatorProcess sim{ports.ConfigHome(), (folder / "sim.log").string()};
  std::unique_ptr<ChildProcess> bridge;
  std::unique_ptr<MqttSubscriber> subscriber;

private:
  std::string log_;
};

inline void SleepSeconds(double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); }

// Waits until `done` holds, looking every 0.1 s, up to the seconds given.
inline bool WaitUntil(const std::function<bool()>& done, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return done();
    SleepSeconds(0.1);
  }
  return true;
}

// A sensor's discovery config.
inline bool IsConfig(const ReceivedMessage& m) {
  return m.Topic.rfind("homeassistant/sensor/", 0) == 0 && m.Topic.size() > 7 &&
         m.Topic.compare(m.Topic.size() - 7, 7, "/config") == 0;
}

// The sensors whose configs came (not empty) from the message at `from` on.
inline size_t ConfigsFrom(const std::vector<ReceivedMessage>& messages, size_t from) {
  std::set<std::string> topics;
  for (size_t i = from; i < messages.size(); ++i)
    if (IsConfig(messages[i]) && !messages[i].Payload.empty()) topics.insert(messages[i].Topic);
  return topics.size();
}
