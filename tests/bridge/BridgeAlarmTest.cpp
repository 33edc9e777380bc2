// The plant's alarms through the real bridge, the simulator and mosquitto: the
// controller's fault raised and cleared, the line lost and back, each as the
// alarm message Home Assistant reads and as one run of the owner's command; a
// total that dips for one exchange kept out of the state, a reset let in once
// confirmed; a command that hangs ended at its limit while polling goes on.
#include <sys/stat.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "tests/bridge/BridgeFixture.h"

namespace {

QJsonObject Parse(const std::string& json) { return QJsonDocument::fromJson(QByteArray::fromStdString(json)).object(); }

std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class BridgeAlarmTest : public BridgeFixture {
protected:
  std::string AlarmTopic() const { return std::string("pczentrixnet/") + Plant + "/alarm"; }
  std::string BridgeTopic() const { return std::string("pczentrixnet/") + Plant + "/bridge"; }

  // An executable script in the test's folder.
  std::string Script(const std::string& name, const std::string& body) const {
    const std::filesystem::path path = folder / name;
    std::ofstream(path) << "#!/bin/sh\n" << body;
    chmod(path.c_str(), 0700);
    return path.string();
  }
  // The runs the recording command wrote: "event|plant|fault|time" each.
  std::vector<std::string> Runs() const { return Lines(ReadText(folder / "runs")); }
  int RunsOf(const std::string& event) const {
    int n = 0;
    for (const std::string& run : Runs()) n += run.rfind(event + "|", 0) == 0;
    return n;
  }
  bool WaitForRun(const std::string& event, int times = 1) {
    return WaitUntil([&] { return RunsOf(event) >= times || !bridge->Running(); }, 90) && RunsOf(event) >= times;
  }
  // The first alarm message from index `from` on whose key has the value.
  std::optional<QJsonObject> WaitForAlarm(const char* key, const QString& value, size_t from = 0) {
    const auto m = subscriber->WaitFor(
        [&](const ReceivedMessage& m) { return m.Topic == AlarmTopic() && Parse(m.Payload).value(key) == value; }, 90,
        from);
    if (!m) return std::nullopt;
    return Parse(m->Payload);
  }
};

TEST_F(BridgeAlarmTest, AFaultAndALostLinkReachHomeAssistantAndTheAlarmCommandOnceEach) {
  ASSERT_NO_FATAL_FAILURE(StartBroker());
  ASSERT_NO_FATAL_FAILURE(StartSubscriber());
  StartSimulator({"--raise-fault", "2@20", "--clear-fault", "40"});
  const std::string record = Script("record",
                                    "printf '%s|%s|%s|%s\\n' \"$PCZN_EVENT\" \"$PCZN_PLANT\" \"$PCZN_FAULT\" "
                                    "\"$PCZN_TIME\" >> '" +
                                        (folder / "runs").string() +
                                        "'\n"
                                        "echo \"told $PCZN_EVENT\"\n");
  StartBridge({"--tick-ms", "100", "--alarm-command", record});

  const std::optional<QJsonObject> fault = WaitForAlarm("problem", "ON");
  ASSERT_TRUE(fault) << BridgeLog();
  EXPECT_EQ(fault->value("fault").toString(), QString::fromUtf8("Zähler 1 oder Zähler 2")) << "the controller's words";
  EXPECT_EQ(fault->value("link").toString(), "ON");
  EXPECT_EQ(fault->value("monitoring").toString(), "ON");
  EXPECT_TRUE(std::regex_match(fault->value("last_exchange").toString().toStdString(),
                               std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)")));
  ASSERT_TRUE(WaitForRun("fault-started")) << BridgeLog();
  const std::string started = Runs()[0];
  EXPECT_TRUE(std::regex_match(started, std::regex("fault-started\\|roof\\|Zähler 1 oder Zähler 2\\|"
                                                   "\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ")))
      << started;
  ASSERT_TRUE(WaitForBridgeLog("alarm command fault-started said: told fault-started", 30)) << BridgeLog();
  EXPECT_NE(BridgeLog().find("alarm command fault-started: " + record + " exit status 0"), std::string::npos)
      << BridgeLog();

  // The alarm's config: the plant's device, the link readable while the bridge runs.
  const auto config = subscriber->WaitFor("homeassistant/device/roof_alarm/config", 5);
  ASSERT_TRUE(config);
  const QJsonObject components = Parse(config->Payload).value("components").toObject();
  EXPECT_EQ(Parse(config->Payload).value("device").toObject().value("identifiers").toArray(),
            QJsonArray{"pczentrixnet_roof"});
  EXPECT_EQ(components.value("roof_fault").toObject().value("device_class"), "problem");
  EXPECT_EQ(components.value("roof_link").toObject().value("availability_topic").toString().toStdString(),
            BridgeTopic());

  const std::optional<QJsonObject> cleared = WaitForAlarm("problem", "OFF");
  ASSERT_TRUE(cleared) << BridgeLog();
  ASSERT_TRUE(WaitForRun("fault-ended")) << BridgeLog();
  EXPECT_NE(Runs().back().find("|Zähler 1 oder Zähler 2|"), std::string::npos) << "the fault that ended";
  EXPECT_EQ(RunsOf("fault-started"), 1) << "a fault told once, not per exchange";

  // The line goes: the link is off, the bridge itself still online.
  const size_t beforeLoss = subscriber->Count();
  sim.Stop();
  ASSERT_TRUE(WaitForAlarm("link", "OFF", beforeLoss)) << BridgeLog();
  ASSERT_TRUE(WaitForRun("link-lost")) << BridgeLog();
  SleepSeconds(12);  // one attempt to reopen the port and more than two cycles of ticks
  EXPECT_EQ(RunsOf("link-lost"), 1) << "none more while it stays lost";
  EXPECT_EQ(Runs().size(), 3u);
  MqttSubscriber late(broker.Port(), BridgeTopic());
  const auto kept = late.WaitFor(BridgeTopic(), 10);
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->Payload, "online") << "the link's sensor stays readable";

  const size_t beforeBack = subscriber->Count();
  StartSimulator();
  ASSERT_TRUE(WaitForAlarm("link", "ON", beforeBack)) << BridgeLog();
  ASSERT_TRUE(WaitForRun("link-back")) << BridgeLog();
  EXPECT_EQ(RunsOf("link-lost"), 1);
  EXPECT_EQ(Runs().size(), 4u);
  EXPECT_EQ(StopBridge(), 0) << BridgeLog();
  EXPECT_TRUE(subscriber->WaitFor(BridgeTopic(), "offline", 10));
}

// energy_today_kwh of every state message from index `from` on, in order.
std::vector<double> TodaysEnergy(const std::vector<ReceivedMessage>& messages, const std::string& topic,
                                 size_t from = 0) {
  std::vector<double> values;
  for (size_t i = from; i < messages.size(); ++i)
    if (messages[i].Topic == topic) values.push_back(Parse(messages[i].Payload).value("energy_today_kwh").toDouble());
  return values;
}

TEST_F(BridgeAlarmTest, ADippedTotalIsNotPublishedAResetIsAndAHangingCommandIsEndedWhilePollingGoesOn) {
  ASSERT_NO_FATAL_FAILURE(StartBroker());
  ASSERT_NO_FATAL_FAILURE(StartSubscriber());
  StartSimulator({"--dip-total-once", "15", "--monitoring-off", "22", "--reset-totals", "40"});
  const std::string hang = Script("hang", "sleep 3517 &\necho $! > '" + (folder / "child").string() + "'\nwait\n");
  StartBridge({"--tick-ms", "50", "--alarm-command", hang, "--alarm-command-timeout", "8"});
  ASSERT_TRUE(subscriber->WaitFor(StateTopic(), 60)) << BridgeLog();

  // The dip: held back, the state keeps rising.
  ASSERT_TRUE(WaitForBridgeLog("holding back energy_today_kwh", 90)) << BridgeLog();
  EXPECT_NE(sim.Log().find("Totals dipped to half"), std::string::npos);

  // Monitoring off: the command hangs; polling goes on until it is ended.
  ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(folder / "child"); }, 90)) << BridgeLog();
  const int exchangesAtStart = Exchanges();
  ASSERT_TRUE(WaitForBridgeLog("alarm command monitoring-off: " + hang + " ran longer than 8 s and was ended", 60))
      << BridgeLog();
  EXPECT_GE(Exchanges() - exchangesAtStart, 1) << "exchanges went on while the command ran";
  const std::string child = "/proc/" + Lines(ReadText(folder / "child")).at(0);
  EXPECT_TRUE(WaitUntil(
      [&] { return !std::filesystem::exists(child) || ReadText(child + "/stat").find(") Z ") != std::string::npos; },
      10))
      << "the command's own child ends with it";

  // The reset: held once, then published.
  ASSERT_TRUE(WaitUntil(
      [&] {
        const std::vector<double> v = TodaysEnergy(subscriber->Messages(), StateTopic());
        return !v.empty() && v.back() < *std::max_element(v.begin(), v.end());
      },
      60))
      << BridgeLog();
  const std::vector<double> published = TodaysEnergy(subscriber->Messages(), StateTopic());
  const std::string log = BridgeLog();
  EXPECT_NE(log.find("confirmed by a second exchange"), std::string::npos) << log;
  // Up to the reset the published values never fell: the dip stayed out.
  size_t falls = 0;
  for (size_t i = 1; i < published.size(); ++i) falls += published[i] < published[i - 1];
  EXPECT_EQ(falls, 1u) << "only the confirmed reset falls";
  EXPECT_EQ(StopBridge(), 0) << BridgeLog();
}

}  // namespace
