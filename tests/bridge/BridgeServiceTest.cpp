// The real bridge as a service that runs for years: a broker that drops every
// connection, a broker name the resolver is slow to answer, a second bridge of
// the same plant, a port that is busy.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

#include "tests/bridge/BridgeFixture.h"
#include "tests/support/Ser2netServer.h"

namespace {

using BridgeServiceTest = BridgeFixture;

std::string ConfigTopic(const std::string& sensor) { return "homeassistant/sensor/roof_" + sensor + "/config"; }

// The topics a subscriber that comes now is given as retained, non-empty:
// what Home Assistant would find on starting. A retained message the test
// publishes last marks the end of them.
std::set<std::string> RetainedTopics(int port, MqttSubscriber& publisher) {
  static int marks = 0;
  const std::string mark = "test/mark" + std::to_string(++marks);
  publisher.Publish(mark, "x", true);
  MqttSubscriber late(port);
  std::set<std::string> topics;
  if (!late.WaitFor(mark, 15)) return {"(no mark)"};
  for (const ReceivedMessage& m : late.Messages())
    if (m.Retained && !m.Payload.empty() && m.Topic.rfind("test/", 0) != 0) topics.insert(m.Topic);
  return topics;
}

// The broker's name, held by the preloaded resolver until the test creates
// the gate's "answer" file.
constexpr const char* SlowName = "broker.slow.test";

class SlowResolverTest : public BridgeFixture {
protected:
  void StartBridgeWithSlowResolver() {
    std::filesystem::create_directories(gate);
    // A sanitizer build wants its runtime first among the libraries; the shim
    // comes first here, which it then accepts.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::string asanOptions = std::string(asan != nullptr ? asan : "") + ":verify_asan_link_order=0";
    StartBridge({"--tick-ms", "100"}, SlowName,
                {{"LD_PRELOAD", PCZN_SLOW_RESOLVER_SHIM},
                 {"PCZN_SLOW_NAME", SlowName},
                 {"PCZN_SLOW_GATE", gate.string()},
                 {"ASAN_OPTIONS", asanOptions}});
  }
  bool WaitUntilAsked() {
    return WaitUntil([this] { return std::filesystem::exists(gate / "asked") || !bridge->Running(); }, 60) &&
           std::filesystem::exists(gate / "asked");
  }
  void Answer() const { std::ofstream(gate / "answer").put('\n'); }

  std::filesystem::path gate = folder / "resolver";
};

TEST_F(BridgeServiceTest, ABrokerThatDropsEveryConnectionIsTriedAgainWithAGrowingWaitAndLoggedOnce) {
  // The discovery configs are larger than the broker takes: it accepts the
  // connection and drops it at the first config.
  broker.UseSettings("max_packet_size 400\n");
  ASSERT_NO_FATAL_FAILURE(StartBroker());
  StartSimulator();
  StartBridge({"--tick-ms", "50"});
  ASSERT_TRUE(WaitForBridgeLog("lost the MQTT broker", 60)) << BridgeLog();
  const int connectsBefore = BrokerConnects();
  // Attempts after 1, 2, 4, 8 and 16 s; one that is not dropped at once
  // would reset nothing either.
  SleepSeconds(25);
  EXPECT_LE(BrokerConnects() - connectsBefore, 5) << broker.Log();
  EXPECT_GE(BrokerConnects() - connectsBefore, 2) << "it does keep trying";
  const std::string log = BridgeLog();
  EXPECT_EQ(Occurrences(log, "lost the MQTT broker"), 1) << log;
  EXPECT_EQ(Occurrences(log, "cannot reach the MQTT broker"), 0) << log;
  const std::string afterLoss = log.substr(log.find("lost the MQTT broker"));
  EXPECT_LE(Occurrences(afterLoss, "\n"), 2) << "the loss's line and at most one more:\n" << log;
  EXPECT_EQ(StopBridge(), 0) << BridgeLog();
}

TEST_F(BridgeServiceTest, ASecondBridgeOfThePlantOrOnTheBusyPortExitsWithoutTouchingTheBroker) {
  ASSERT_NO_FATAL_FAILURE(StartAllUntilOnline("100"));
  const int connects = BrokerConnects();
  ASSERT_EQ(connects, 1) << broker.Log();
  const std::vector<std::string> common{"--mqtt-host",
                                        "127.0.0.1",
                                        "--mqtt-port",
                                        std::to_string(broker.Port()),
                                        "--no-archive",
                                        "--port",
                                        "COM" + std::to_string(SimCom)};

  // The same plant: the lock tells, before the port is even tried.
  std::vector<std::string> same = common;
  same.insert(same.end(), {"--plant", Plant});
  const std::unique_ptr<ChildProcess> second = StartProgram(same);
  EXPECT_EQ(second->Wait(30), 1);
  const std::string secondLog = second->ReadAvailable();
  EXPECT_NE(secondLog.find("another bridge (process " + std::to_string(bridge->Pid()) + ") publishes the plant roof"),
            std::string::npos)
      << secondLog;
  EXPECT_EQ(Occurrences(secondLog, "\n"), 1) << secondLog;

  // Another plant on the port the first bridge polls: busy.
  std::vector<std::string> other = common;
  other.insert(other.end(), {"--plant", "attic"});
  const std::unique_ptr<ChildProcess> third = StartProgram(other);
  EXPECT_EQ(third->Wait(30), 1);
  const std::string thirdLog = third->ReadAvailable();
  EXPECT_NE(thirdLog.find("cannot open COM 6: "), std::string::npos) << thirdLog;
  EXPECT_NE(thirdLog.find("not connecting to the broker, exiting"), std::string::npos) << thirdLog;

  EXPECT_EQ(BrokerConnects(), connects) << "neither reached the broker:\n" << broker.Log();
  EXPECT_TRUE(bridge->Running()) << "the first goes on";
  EXPECT_EQ(Occurrences(BridgeLog(), "connected to the MQTT broker"), 1) << BridgeLog();
}

TEST_F(BridgeServiceTest, MetersThatAreGoneSinceTheLastRunLoseTheirConfigsAtTheFirstExchange) {
  ASSERT_NO_FATAL_FAILURE(StartBroker());
  ASSERT_NO_FATAL_FAILURE(StartSubscriber());
  StartSimulator({"--meters", "5"});
  StartBridge({"--tick-ms", "100"});
  ASSERT_TRUE(subscriber->WaitFor(StateTopic(), 60)) << BridgeLog();
  ASSERT_TRUE(subscriber->WaitFor(ConfigTopic("meter5_power"), 5));
  // Another plant whose name starts like this one's, and another program's sensor: not the bridge's to clear.
  const std::string foreign = ConfigTopic("meter4_x");
  subscriber->Publish(foreign, R"({"device":{"identifiers":["pczentrixnet_roof_meter4"]}})", true);
  subscriber->Publish("homeassistant/sensor/boiler/config", R"({"device":{"identifiers":["boiler"]}})", true);
  ASSERT_TRUE(subscriber->WaitFor("homeassistant/sensor/boiler/config", 10));
  EXPECT_EQ(StopBridge(), 0) << BridgeLog();

  // The plant now has two meters (set in the program, while the bridge was stopped).
  sim.Stop();
  StartSimulator({"--meters", "2"});
  const size_t from = subscriber->Count();
  StartBridge({"--tick-ms", "100"});
  ASSERT_TRUE(subscriber->WaitFor(StateTopic(), 60, from)) << BridgeLog();
  for (const char* gone : {"meter3_power", "meter4_energy_today", "meter5_energy_year"})
    EXPECT_TRUE(subscriber->WaitFor(ConfigTopic(gone), "", 15, from)) << gone << " is cleared\n" << BridgeLog();

  const std::set<std::string> retained = RetainedTopics(broker.Port(), *subscriber);
  EXPECT_TRUE(retained.count(ConfigTopic("meter2_power"))) << "the meters there are stay";
  for (int meter = 3; meter <= 5; ++meter)
    for (const char* sensor : {"power", "energy_today", "energy_year"}) {
      const std::string topic = ConfigTopic("meter" + std::to_string(meter) + "_" + sensor);
      EXPECT_FALSE(retained.count(topic)) << topic;
    }
  EXPECT_TRUE(retained.count(foreign)) << "another device's config stays";
  EXPECT_TRUE(retained.count("homeassistant/sensor/boiler/config"));
}

TEST_F(BridgeServiceTest, HomeAssistantsBirthMessageGetsTheConfigsTheStateAndTheAvailabilityAgain) {
  ASSERT_NO_FATAL_FAILURE(StartAllUntilOnline("100"));
  ASSERT_TRUE(subscriber->WaitFor(StateTopic(), 10)) << BridgeLog();
  const size_t from = subscriber->Count();
  subscriber->Publish("homeassistant/status", "offline", false);  // Home Assistant stops: nothing to do
  subscriber->Publish("homeassistant/status", "online", false);
  ASSERT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "online", 20, from)) << BridgeLog();
  EXPECT_TRUE(subscriber->WaitFor(StateTopic(), 10, from));
  EXPECT_EQ(ConfigsFrom(subscriber->Messages(), from), 24u + 3 * 3) << "every config once more";
  EXPECT_EQ(Occurrences(BridgeLog(), "Home Assistant started"), 1) << BridgeLog();
}

TEST_F(BridgeServiceTest, RemoveDiscoveryLeavesNothingOfThePlantOnTheBroker) {
  ASSERT_NO_FATAL_FAILURE(StartAllUntilOnline("100"));
  ASSERT_TRUE(subscriber->WaitFor(StateTopic(), 10)) << BridgeLog();
  EXPECT_EQ(StopBridge(), 0) << BridgeLog();
  // A sensor of an older version, under an id the bridge no longer knows.
  const std::string old = ConfigTopic("old_sensor");
  subscriber->Publish(old, R"({"device":{"identifiers":["pczentrixnet_roof"]}})", true);
  subscriber->Publish("homeassistant/sensor/boiler/config", R"({"device":{"identifiers":["boiler"]}})", true);
  ASSERT_TRUE(subscriber->WaitFor(old, 10));
  ASSERT_GT(RetainedTopics(broker.Port(), *subscriber).size(), 24u);

  const std::unique_ptr<ChildProcess> removal =
      StartProgram({"--mqtt-host", "127.0.0.1", "--mqtt-port", std::to_string(broker.Port()), "--plant", Plant,
                    "--remove-discovery"});
  EXPECT_EQ(removal->Wait(60), 0);
  const std::string log = removal->ReadAvailable();
  EXPECT_NE(log.find("removed the plant roof from the MQTT broker"), std::string::npos) << log;
  EXPECT_EQ(RetainedTopics(broker.Port(), *subscriber), std::set<std::string>{"homeassistant/sensor/boiler/config"})
      << log;
}

// COM 1 of the fixed mapping is /dev/ttyS0, which most machines have: the
// bridge must not settle there when the simulator's entry for COM 1 goes.
TEST_F(BridgeServiceTest, AComNumberOfThePortsFolderIsNeverSwappedForTheFixedMappingsDevice) {
  ASSERT_NO_FATAL_FAILURE(StartBroker());
  ASSERT_NO_FATAL_FAILURE(StartSubscriber());
  const std::vector<std::string> simOptions{"--fast", "--start", "2024-06-21 11:40", "--seed", "5"};
  ASSERT_TRUE(sim.Start(1, simOptions));
  StartBridge({"--tick-ms", "100", "--port", "COM1"});
  ASSERT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "online", 60)) << BridgeLog();

  const size_t from = subscriber->Count();
  sim.Stop();  // its entry in the ports folder goes with it
  ASSERT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "offline", 30, from)) << BridgeLog();
  ASSERT_TRUE(WaitForBridgeLog("the ports folder no longer points COM 1 at a device", 40)) << BridgeLog();
  EXPECT_EQ(BridgeLog().find("/dev/ttyS0"), std::string::npos) << BridgeLog();

  const size_t offline = subscriber->Count();
  ASSERT_TRUE(sim.Start(1, simOptions));  // back, on a new pseudo-terminal
  EXPECT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "online", 60, offline)) << BridgeLog();
  const std::string log = BridgeLog();
  EXPECT_NE(log.find("port open again: " + ports.Folder() + "/COM1"), std::string::npos) << log;
  EXPECT_EQ(Occurrences(log, "the ports folder no longer points"), 1) << "once, not per attempt:\n" << log;
}

TEST_F(BridgeServiceTest, APortThatStaysSilentForSeveralCyclesIsOpenedAfresh) {
  ASSERT_NO_FATAL_FAILURE(StartAllUntilOnline("20"));
  const size_t from = subscriber->Count();
  sim.Signal(SIGSTOP);  // the line stays open, nothing comes in: as a hung adapter looks
  const bool reopened = WaitForBridgeLog("s; reopening COM 6", 60);
  sim.Signal(SIGCONT);
  ASSERT_TRUE(reopened) << BridgeLog();
  ASSERT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "offline", 5, from));
  EXPECT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "online", 60, from)) << BridgeLog();
  EXPECT_TRUE(bridge->Running());
}

// COM 6 of the ports folder names Debian's ser2net, which serves the
// simulator's terminal with RFC 2217. The server going away is the port's
// loss, told once; the bridge reconnects once it is back.
TEST_F(BridgeServiceTest, APlantBehindADeviceServerOutlivesTheServerGoingAndComingBack) {
  ASSERT_TRUE(Ser2netServer::Installed()) << Ser2netServer::Program() << " is missing: run scripts/install-deps";
  ASSERT_NO_FATAL_FAILURE(StartBroker());
  ASSERT_NO_FATAL_FAILURE(StartSubscriber());
  ASSERT_TRUE(sim.Start(0, {"--fast", "--start", "2024-06-21 11:40", "--seed", "5"}));
  Ser2netServer server(folder / "ser2net");
  const std::string name = server.Serve(sim.Device(), Ser2netServer::Protocol::Rfc2217);
  ports.Name(SimCom, name);
  ASSERT_TRUE(server.Start());
  StartBridge({"--tick-ms", "100"});
  ASSERT_TRUE(subscriber->WaitFor(StateTopic(), 90)) << BridgeLog();
  ASSERT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "online", 30)) << BridgeLog();
  EXPECT_NE(BridgeLog().find("port open: " + name), std::string::npos) << BridgeLog();

  const size_t from = subscriber->Count();
  server.Stop();
  ASSERT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "offline", 60, from)) << BridgeLog();
  const std::string logAtLoss = BridgeLog();
  SleepSeconds(25);  // two attempts to reconnect, each refused
  const std::string quiet = BridgeLog().substr(logAtLoss.size());
  EXPECT_LE(Occurrences(quiet, "\n"), 1) << "no lines per attempt to reconnect:\n" << quiet;

  const size_t offline = subscriber->Count();
  ASSERT_TRUE(server.Start());
  EXPECT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "online", 90, offline)) << BridgeLog();
  EXPECT_TRUE(subscriber->WaitFor(StateTopic(), 60, offline)) << BridgeLog();
  EXPECT_EQ(Occurrences(BridgeLog(), "port open again: " + name), 1) << BridgeLog();
  EXPECT_TRUE(bridge->Running());
}

// The resolver holds the broker's name past the attempt's limit: exchanges go
// on all the while, and once the name resolves the bridge connects.
TEST_F(SlowResolverTest, ABrokerNameThatIsSlowToResolveHoldsUpNoExchange) {
  ASSERT_NO_FATAL_FAILURE(StartBroker());
  ASSERT_NO_FATAL_FAILURE(StartSubscriber());
  ASSERT_NO_FATAL_FAILURE(StartSimulator());
  StartBridgeWithSlowResolver();
  ASSERT_TRUE(WaitUntilAsked()) << BridgeLog();
  const int exchangesBefore = Exchanges();
  EXPECT_TRUE(WaitUntil([this, exchangesBefore] { return Exchanges() >= exchangesBefore + 3; }, 90))
      << "exchanges while the name is being resolved: " << Exchanges() - exchangesBefore << "\n"
      << BridgeLog();
  EXPECT_TRUE(WaitForBridgeLog("cannot reach the MQTT broker", 90)) << "the attempt's limit covers resolving";
  EXPECT_EQ(BrokerConnects(), 0);
  Answer();
  // The attempt given up while resolving is followed by one that connects.
  EXPECT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "online", 90)) << BridgeLog();
  EXPECT_TRUE(subscriber->WaitFor(StateTopic(), 30)) << BridgeLog();
  EXPECT_EQ(StopBridge(), 0) << BridgeLog();
}

// Stopped while the name is still being resolved, it does not wait for the
// resolver: the lookup here never ends.
TEST_F(SlowResolverTest, AStopWhileTheNameIsBeingResolvedEndsAtOnce) {
  ASSERT_NO_FATAL_FAILURE(StartSimulator());
  StartBridgeWithSlowResolver();
  ASSERT_TRUE(WaitUntilAsked()) << BridgeLog();
  EXPECT_EQ(StopBridge(), 0) << BridgeLog();
  EXPECT_NE(BridgeLog().find("stopped"), std::string::npos) << BridgeLog();
}

// The broker hangs with the connection open: only the keep-alive notices.
TEST_F(BridgeServiceTest, ABrokerThatHangsIsLostWithAReadableReason) {
  ASSERT_NO_FATAL_FAILURE(StartAllUntilOnline("100"));
  broker.Signal(SIGSTOP);
  const bool lost = WaitForBridgeLog("lost the MQTT broker", 150);
  broker.Signal(SIGCONT);
  ASSERT_TRUE(lost) << BridgeLog();
  const std::string log = BridgeLog();
  EXPECT_NE(log.find("(the broker did not answer within the keep-alive time)"), std::string::npos) << log;
  EXPECT_EQ(log.find("Unknown error"), std::string::npos) << log;
}

// A closed terminal or `kill -HUP` ended the bridge by the default action:
// no line in the log, no "offline".
TEST_F(BridgeServiceTest, SighupStopsTheBridgeAsSigtermDoesWithItsLine) {
  ASSERT_NO_FATAL_FAILURE(StartAllUntilOnline("100"));
  const size_t from = subscriber->Count();
  bridge->Signal(SIGHUP);
  EXPECT_EQ(bridge->Wait(30), 0) << BridgeLog();
  EXPECT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "offline", 10, from)) << BridgeLog();
  EXPECT_EQ(Occurrences(BridgeLog(), "stopping on SIGHUP"), 1) << BridgeLog();
}

// A broker restarted every minute: the waits grew while it was away and were
// reset only after a minute held, so the bridge kept missing it.
TEST_F(BridgeServiceTest, AConnectionThatDeliveredStartsTheWaitsOver) {
  StartSimulator();
  StartBridge({"--tick-ms", "100"});
  ASSERT_TRUE(WaitForBridgeLog("cannot reach the MQTT broker", 60)) << BridgeLog();
  ASSERT_NO_FATAL_FAILURE(StartBroker());
  ASSERT_NO_FATAL_FAILURE(StartSubscriber());
  ASSERT_TRUE(subscriber->WaitFor(StateTopic(), 60)) << BridgeLog();
  ASSERT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "online", 10)) << BridgeLog();
  broker.Kill();
  ASSERT_TRUE(WaitForBridgeLog("lost the MQTT broker", 60)) << BridgeLog();
  const std::string log = BridgeLog();
  EXPECT_NE(log.find("polling goes on, reconnecting in 1 s\n"), std::string::npos)
      << "after failed attempts, a connection that delivered starts again at the first wait:\n"
      << log;
  EXPECT_EQ(StopBridge(), 0) << BridgeLog();
}

// Its own leftovers are found under the plant's own topics: subscribed to
// every config of the prefix, a broker with 30 000 other configs dropped
// messages for the bridge.
TEST_F(BridgeServiceTest, TheBridgeSubscribesToThePlantsOwnConfigsOnly) {
  ASSERT_NO_FATAL_FAILURE(StartAllUntilOnline("100"));
  ASSERT_TRUE(subscriber->WaitFor(StateTopic(), 10)) << BridgeLog();
  const std::string log = broker.Log();
  EXPECT_NE(log.find(ConfigTopic("meter48_power")), std::string::npos)
      << "the configs of all its possible meters are subscribed:\n"
      << log;
  EXPECT_EQ(log.find("homeassistant/sensor/+/config"), std::string::npos) << log;
  EXPECT_EQ(StopBridge(), 0) << BridgeLog();
}

// systemd's end of Type=notify: a datagram socket that collects what the
// bridge tells the service manager.
class NotifySocket {
public:
  explicit NotifySocket(const std::string& path) : path_(path) {
    fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    bound_ = fd_ >= 0 && bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  }
  ~NotifySocket() {
    if (fd_ >= 0) close(fd_);
    unlink(path_.c_str());
  }
  bool Bound() const { return bound_; }
  // The messages until `enough` says so, or the limit passes.
  std::vector<std::string> ReadUntil(const std::function<bool(const std::vector<std::string>&)>& enough,
                                     double seconds) {
    std::vector<std::string> messages;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!enough(messages) && std::chrono::steady_clock::now() < deadline) {
      pollfd waiting{fd_, POLLIN, 0};
      if (poll(&waiting, 1, 100) <= 0) continue;
      char text[512];
      const ssize_t n = recv(fd_, text, sizeof text, 0);
      if (n > 0) messages.emplace_back(text, static_cast<size_t>(n));
    }
    return messages;
  }

private:
  std::string path_;
  int fd_ = -1;
  bool bound_ = false;
};

long Count(const std::vector<std::string>& messages, const std::string& text) {
  return std::count(messages.begin(), messages.end(), text);
}

// Under Type=notify with WatchdogSec=: ready once the port is open, and the
// watchdog's pings for as long as the loop runs.
TEST_F(BridgeServiceTest, UnderSystemdItSaysReadyAndPingsTheWatchdogWhilePolling) {
  NotifySocket systemd((folder / "notify").string());
  ASSERT_TRUE(systemd.Bound());
  ASSERT_NO_FATAL_FAILURE(StartBroker());
  ASSERT_NO_FATAL_FAILURE(StartSubscriber());
  StartSimulator();
  // A limit of 0.6 s: a ping every 0.3 s.
  StartBridge({"--tick-ms", "100"}, "127.0.0.1",
              {{"NOTIFY_SOCKET", (folder / "notify").string()}, {"WATCHDOG_USEC", "600000"}});
  ASSERT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "online", 60)) << BridgeLog();
  const std::vector<std::string> told =
      systemd.ReadUntil([](const std::vector<std::string>& m) { return Count(m, "WATCHDOG=1") >= 5; }, 60);
  ASSERT_FALSE(told.empty()) << BridgeLog();
  EXPECT_EQ(told.front(), "READY=1");
  EXPECT_GE(Count(told, "WATCHDOG=1"), 5);
  EXPECT_TRUE(subscriber->WaitFor(StateTopic(), 10)) << "polling goes on";
  EXPECT_EQ(StopBridge(), 0) << BridgeLog();
  const std::vector<std::string> last =
      systemd.ReadUntil([](const std::vector<std::string>& m) { return Count(m, "STOPPING=1") > 0; }, 10);
  EXPECT_EQ(Count(last, "STOPPING=1"), 1);
}

}  // namespace
