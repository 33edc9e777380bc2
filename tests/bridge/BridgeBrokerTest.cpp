// The real bridge program between the simulator on a pseudo-terminal and
// Debian's mosquitto broker on a free port of 127.0.0.1, watched by a
// subscriber of the test's own: what it publishes after an exchange, and how
// it rides out a broker that goes away, a line that hangs up and a controller
// that stops answering; what it archives, and its CSV export of the archive.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "ProcStats.h"
#include "archive/CsvFormat.h"
#include "archive/PlantArchive.h"
#include "bridge/BridgeOptions.h"
#include "protocol/Cp1252.h"
#include "store/DailyFigures.h"
#include "store/PlantStore.h"
#include "tests/bridge/BridgeFixture.h"
#include "tests/support/TestCertificates.h"
#include "tests/views/live/LiveTestSupport.h"
#include "views/live/DailyValues.h"

namespace {

using namespace std::chrono_literals;

QJsonObject ParseObject(const std::string& json) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << json;
  EXPECT_TRUE(document.isObject()) << json;
  return document.object();
}

// The configs among the messages from index `from` on, by topic (the last of each).
std::map<std::string, QJsonObject> Configs(const std::vector<ReceivedMessage>& messages, size_t from = 0) {
  std::map<std::string, QJsonObject> configs;
  for (size_t i = from; i < messages.size(); ++i)
    if (IsConfig(messages[i])) configs[messages[i].Topic] = ParseObject(messages[i].Payload);
  return configs;
}

std::set<QString> UniqueIds(const std::map<std::string, QJsonObject>& configs) {
  std::set<QString> ids;
  for (const auto& [topic, config] : configs) ids.insert(config.value("unique_id").toString());
  return ids;
}

void SleepSeconds(double s) { std::this_thread::sleep_for(std::chrono::duration<double>(s)); }

// --- the store of the simulator's plant, and its page ---------------------------

// The store as the last exchange in the simulator's log left it: each block
// type's last copy that went out whole and intact.
void LoadSimulatorBlocks(const SimulatorProcess& sim, int controllerType) {
  ClearPlantStore();
  for (const auto& [type, words] : sim.LastIntactBlocks())
    if (uint16_t* table = BlockTable(type)) std::copy(words.begin(), words.end(), table);
  ControllerType = controllerType;
  RecomputeScales();
}

// The page's number agrees with the published value within what the page's
// decimals and the published ones round away; "---" stands for null.
void ExpectShown(const std::string& pageText, const QJsonValue& published, double pageStep, double publishedStep,
                 const char* what) {
  if (pageText.rfind("---", 0) == 0) {
    EXPECT_TRUE(published.isNull()) << what << ": the page shows " << pageText;
    return;
  }
  ASSERT_TRUE(published.isDouble()) << what;
  EXPECT_NEAR(std::strtod(pageText.c_str(), nullptr), published.toDouble(), (pageStep + publishedStep) / 2 + 1e-9)
      << what << ": the page shows " << pageText;
}

QJsonValue Scaled(const QJsonValue& v, double factor) { return v.isDouble() ? QJsonValue(v.toDouble() * factor) : v; }

// "+ 34 °C", "- 1 °C" or "---°C" as a number or null.
QJsonValue PageTemperature(const std::string& text) {
  if (text.rfind("---", 0) == 0) return QJsonValue(QJsonValue::Null);
  const double v = std::strtod(text.c_str() + 2, nullptr);
  return text[0] == '-' ? -v : v;
}

void ExpectPageShows(const QJsonObject& state) {
  TForm6 form6{nullptr};
  Form6 = &form6;
  form6.Image1->GetCanvas().EnableLog(true);
  DrawDailyValues();
  Form6 = nullptr;
  const auto& page = form6.Image1->GetCanvas().Log();
  const auto v = [&](const char* key) { return state.value(key); };
  ExpectShown(TextAt(page, 150, 55), Scaled(v("power_w"), 0.001), 0.1, 0, "current power");
  ExpectShown(TextAt(page, 150, 72), Scaled(v("power_max_w"), 0.001), 0.1, 0, "maximum power");
  ExpectShown(TextAt(page, 127, 89), v("energy_today_kwh"), 0.1, 0, "today");
  ExpectShown(TextAt(page, 127, 106), v("energy_yesterday_kwh"), 1, 0, "yesterday");
  ExpectShown(TextAt(page, 152, 123), v("energy_day_before_kwh"), 1, 0, "the day before yesterday");
  ExpectShown(TextAt(page, 127, 140), v("energy_month_kwh"), 0, 0, "month");
  ExpectShown(TextAt(page, 127, 157), v("energy_year_kwh"), 0, 0, "year");
  ExpectShown(TextAt(page, 127, 174), v("energy_total_kwh"), 0, 0, "total");
  ExpectShown(TextAt(page, 127, 191), v("specific_yield_today_kwh_kwp"), 0.1, 0.01, "specific yield");
  ExpectShown(TextAt(page, 358, 55), v("revenue_today_eur"), 1, 0.01, "revenue today");
  ExpectShown(TextAt(page, 358, 72), v("revenue_year_eur"), 0, 0, "revenue this year");
  ExpectShown(TextAt(page, 358, 89), v("revenue_total_eur"), 0, 0, "revenue total");
  ExpectShown(TextAt(page, 360, 173), v("irradiation_today_kwh_m2"), 0.1, 0.001, "irradiation today");
  ExpectShown(TextAt(page, 360, 190), v("irradiation_year_kwh_m2"), 0, 0, "irradiation this year");
  EXPECT_EQ(PageTemperature(TextAt(page, 588, 181)), v("module_temperature_max_c"));
  ExpectShown(TextAt(page, 581, 72), v("co2_avoided_t"), 0.1, 0.001, "CO2");
  ExpectShown(TextAt(page, 579, 89), v("heating_oil_equivalent_l"), 1, 0.1, "heating oil");
  ExpectShown(TextAt(page, 599, 106), v("natural_gas_equivalent_m3"), 1, 0.1, "natural gas");
  EXPECT_EQ(TextAt(page, 561, 55), "seit: " + v("commissioning").toString().toStdString());
  EXPECT_EQ(Utf8FromCp1252(TextAt(page, 98, 488)), v("hint").toString().toStdString());
  EXPECT_EQ(TextAt(page, 50, 4) + " " + TextAt(page, 8, 4), v("controller_clock").toString().toStdString());

  const QJsonArray meters = v("meters").toArray();
  const int rowStep = ShownMeterCount(ComputeDailyFigures()) > 25 ? 14 : 20;
  static const int valueX[3] = {70, 302, 543};
  for (int k = 1; k <= meters.size(); ++k) {
    SCOPED_TRACE("meter " + std::to_string(k));
    const QJsonObject m = meters[k - 1].toObject();
    EXPECT_EQ(m.value("meter").toInt(), k);
    const std::string line = TextAt(page, valueX[(k - 1) % 3], 245 + (k - 1) / 3 * rowStep);
    double kw = 0, today = 0, year = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "%lf kW/%lf kWh/%lf kWh", &kw, &today, &year), 3) << line;
    EXPECT_NEAR(kw, m.value("power_w").toDouble() / 1000, 0.05 + 1e-9);
    EXPECT_NEAR(today, m.value("energy_today_kwh").toDouble(), 0.05 + 1e-9);
    EXPECT_NEAR(year, m.value("energy_year_kwh").toDouble(), 0.5 + 1e-9);
  }
}

// The controller's version as the simulator logged its type-1 frame: "P030512".
std::string SimulatorVersion(const std::string& log) {
  const size_t at = log.rfind("ControllerInfo type");
  int type = 0, a = 0, b = 0, c = 0;
  if (at == std::string::npos ||
      std::sscanf(log.c_str() + at, "ControllerInfo type %d version %d %d %d", &type, &a, &b, &c) != 4)
    return "(not in the log)";
  char text[16];
  std::snprintf(text, sizeof text, "P%02d%02d%02d", a, b, c);
  return text;
}

using BridgeBrokerTest = BridgeFixture;

TEST_F(BridgeBrokerTest, AfterOneExchangeTheStateIsWhatTheDailyValuesPageShowsAndTheConfigsDescribeIt) {
  ASSERT_NO_FATAL_FAILURE(StartBroker());
  ASSERT_NO_FATAL_FAILURE(StartSubscriber());
  // The first copy of block 14 goes out with a bad checksum: only its good copy counts.
  StartSimulator({"--meters", "5", "--plant-size", "304", "--commissioning", "2019-04", "--controller-type", "24",
                  "--bad-checksum", "14:1"});
  StartBridge({"--tick-ms", "100"});
  const std::optional<ReceivedMessage> state = subscriber->WaitFor(StateTopic(), 60);
  ASSERT_TRUE(state) << BridgeLog();
  // The next exchange starts seconds later: the log holds this exchange's blocks last.
  LoadSimulatorBlocks(sim, 24);
  const std::string simLog = sim.Log();
  EXPECT_NE(simLog.find("bad checksum"), std::string::npos) << "the simulator corrupted a block";
  // Retained: a subscriber that comes now gets it at once.
  MqttSubscriber late(broker.Port(), StateTopic());
  const std::optional<ReceivedMessage> kept = late.WaitFor(StateTopic(), 5);
  ASSERT_TRUE(kept);
  EXPECT_TRUE(kept->Retained);

  // Read-only: the bridge sent connection requests and block requests, no command.
  std::istringstream lines(simLog);
  for (std::string line; std::getline(lines, line);) {
    if (line.find(" PC>SIM ") == std::string::npos) continue;
    const std::string meaning = line.substr(line.find("  ") + 2);
    EXPECT_TRUE(meaning.rfind("ConnectRequest", 0) == 0 || meaning.rfind("Request ", 0) == 0) << line;
  }

  const QJsonObject s = ParseObject(state->Payload);
  EXPECT_EQ(s.value("meter_count").toInt(), 5) << "the simulator's plant";
  EXPECT_EQ(s.value("meters").toArray().size(), 5);
  EXPECT_EQ(s.value("controller_type").toInt(), 24);
  EXPECT_EQ(s.value("commissioning").toString(), "04/2019");
  EXPECT_GT(s.value("power_w").toDouble(), 0) << "11:40 on a June day";
  const std::optional<unsigned> irradiance = CurrentIrradiance();
  ASSERT_TRUE(irradiance);
  EXPECT_EQ(s.value("irradiance_w_m2").toDouble(), *irradiance);
  ExpectPageShows(s);

  ASSERT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "online", 5));
  const std::map<std::string, QJsonObject> configs = Configs(subscriber->Messages());
  EXPECT_EQ(configs.size(), 24u + 5 * 3) << "24 plant sensors and 3 per meter";
  for (const auto& [topic, c] : configs) {
    SCOPED_TRACE(topic);
    for (const char* key : {"unique_id", "name", "state_topic", "value_template", "availability_topic", "device"})
      EXPECT_TRUE(c.contains(key)) << key;
    EXPECT_EQ(topic, "homeassistant/sensor/" + c.value("unique_id").toString().mid(13).toStdString() + "/config");
    EXPECT_EQ(c.value("state_topic").toString().toStdString(), StateTopic());
    const QJsonObject device = c.value("device").toObject();
    EXPECT_EQ(device.value("identifiers").toArray(), QJsonArray{"pczentrixnet_roof"});
    EXPECT_EQ(device.value("model").toString(), "Zentrix Net controller, type 24");
    EXPECT_EQ(device.value("sw_version").toString().toStdString(), SimulatorVersion(simLog));
  }

  // SIGTERM: "offline" and a clean goodbye (the broker does not send the will).
  const size_t beforeStop = subscriber->Count();
  EXPECT_EQ(StopBridge(), 0) << BridgeLog();
  EXPECT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "offline", 5, beforeStop));
  EXPECT_EQ(Occurrences(broker.Log(), "Client pczentrixnet-bridge-" + HostNameForId() + "-roof disconnected."), 1)
      << broker.Log();

  // A second run announces the same sensors under the same unique ids.
  const size_t beforeRestart = subscriber->Count();
  StartBridge({"--tick-ms", "100"});
  ASSERT_TRUE(subscriber->WaitFor(StateTopic(), 60, beforeRestart)) << BridgeLog();
  EXPECT_EQ(UniqueIds(Configs(subscriber->Messages(), beforeRestart)), UniqueIds(configs));
}

// The line of a CSV file that starts with the text, or "" when none does.
std::string CsvLineStartingWith(const std::filesystem::path& file, const std::string& start) {
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(start, 0) == 0) return line;
  }
  return "";
}

TEST_F(BridgeBrokerTest, EveryExchangeIsArchivedWithoutABrokerAndTheArchiveExportsAsCsv) {
  StartSimulator({"--meters", "2"});
  StartBridge({"--tick-ms", "50"});
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  while (Exchanges() < 2 && std::chrono::steady_clock::now() < deadline) SleepSeconds(0.1);
  ASSERT_GE(Exchanges(), 2) << BridgeLog();
  EXPECT_EQ(StopBridge(), 0) << BridgeLog();
  EXPECT_EQ(Occurrences(BridgeLog(), "archiving into " + ArchiveFile()), 1) << BridgeLog();

  // The controller's day (2024-06-21, 11:40) is archived as the day so far.
  const Archive::DayNumber today = *Archive::DayNumberOf(2024, 6, 21);
  Archive::ArchiveOptions readOnly;
  readOnly.Create = false;
  std::vector<Archive::DayYield> days;
  {
    const Archive::PlantArchive archive(ArchiveFile(), readOnly);
    const std::vector<Archive::DayCurve> curves = archive.Curves(today, today);
    ASSERT_EQ(curves.size(), 1u);
    EXPECT_FALSE(curves[0].Complete);
    const auto sunny = std::count_if(curves[0].Samples.begin(), curves[0].Samples.end(),
                                     [](const Archive::QuarterSample& s) { return s.PowerW > 0; });
    EXPECT_GT(sunny, 10) << "the quarter hours from 6:00 to 11:30";
    days = archive.DayYields(today - 1, today);
  }
  ASSERT_EQ(days.size(), 2u);
  EXPECT_TRUE(days[0].Complete);
  EXPECT_FALSE(days[1].Complete);

  // The export writes what the archive holds, in the style asked for.
  const std::string out = (folder / "csv").string();
  ChildProcess exporter(PCZN_BRIDGE,
                        {"--archive", ArchiveFile(), "--export-csv", "2024-06-20", "2024-06-21", out, "--csv", "plain"},
                        {}, ChildProcess::Output::WithStandardError);
  EXPECT_EQ(exporter.Wait(30), 0);
  EXPECT_EQ(exporter.ReadAvailable(), "wrote 6 CSV files into " + out + "\n") << "in the bridge's language, English";
  for (const Archive::DayYield& day : days) {
    const std::string date = Archive::IsoDate(day.Day);
    EXPECT_EQ(CsvLineStartingWith(std::filesystem::path(out) / "Tage.csv", date + ","),
              date + "," + Archive::KwhText(day.EnergyWh, Archive::CsvStyle::Plain) + (day.Complete ? ",1" : ",0"));
  }

  // An archive that is not there: exit 1, the path named, no folder made.
  const std::string missing = (folder / "none.sqlite").string();
  ChildProcess failing(PCZN_BRIDGE, {"--archive", missing, "--export-csv", "2024-06-20", "2024-06-21", out + "2"}, {},
                       ChildProcess::Output::WithStandardError);
  EXPECT_EQ(failing.Wait(30), 1);
  EXPECT_NE(failing.ReadAvailable().find(missing), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(out + "2"));
}

// A log rotation or a user deletes the archive while the bridge runs: the
// bridge says so once and writes the later exchanges into a new archive.
TEST_F(BridgeBrokerTest, AnArchiveDeletedWhileRunningIsMadeAgainAndSaidOnce) {
  StartSimulator({"--meters", "2"});
  StartBridge({"--tick-ms", "50"});
  ASSERT_TRUE(WaitForBridgeLog("archiving into " + ArchiveFile(), 60)) << BridgeLog();
  const auto waitForExchanges = [this](int count) {
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (Exchanges() < count && std::chrono::steady_clock::now() < deadline) SleepSeconds(0.1);
    return Exchanges() >= count;
  };
  ASSERT_TRUE(waitForExchanges(2)) << BridgeLog();
  std::filesystem::remove(ArchiveFile());
  ASSERT_TRUE(WaitForBridgeLog("gelöscht oder durch eine andere Datei ersetzt", 60)) << BridgeLog();
  ASSERT_TRUE(waitForExchanges(Exchanges() + 2)) << BridgeLog();
  EXPECT_EQ(StopBridge(), 0) << BridgeLog();
  EXPECT_EQ(Occurrences(BridgeLog(), "gelöscht oder durch eine andere Datei ersetzt"), 1) << BridgeLog();
  ASSERT_TRUE(std::filesystem::exists(ArchiveFile())) << "the exchanges went into the deleted file";
  Archive::ArchiveOptions readOnly;
  readOnly.ReadOnly = true;
  const Archive::DayNumber today = *Archive::DayNumberOf(2024, 6, 21);
  EXPECT_EQ(Archive::PlantArchive(ArchiveFile(), readOnly).Curves(today, today).size(), 1u);
}

TEST_F(BridgeBrokerTest, ABrokerAwayAtTheStartAndLaterIsReachedAgainWhilePollingGoesOn) {
  StartSimulator({"--meters", "2"});
  StartBridge({"--tick-ms", "50"});
  // No broker yet: the exchanges run all the same.
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  while (Exchanges() < 2 && std::chrono::steady_clock::now() < deadline) SleepSeconds(0.1);
  ASSERT_GE(Exchanges(), 2) << BridgeLog();
  ASSERT_NO_FATAL_FAILURE(StartBroker());
  ASSERT_NO_FATAL_FAILURE(StartSubscriber());
  ASSERT_TRUE(subscriber->WaitFor(StateTopic(), 30)) << BridgeLog();
  ASSERT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "online", 10));

  broker.Kill();  // without persistence: its retained messages go with it
  const int exchangesBefore = Exchanges();
  SleepSeconds(7);
  EXPECT_GE(Exchanges(), exchangesBefore + 2) << "the polling cycle goes on without the broker";
  // The broker comes back empty: whatever it passes on from now on (live, or
  // as retained when the test's subscriber is back after the bridge) the bridge
  // published again on reconnecting: the configs, the state and the
  // availability, which did not change and is sent only then. (libmosquitto
  // may first send again what the broker had not acknowledged when it died.)
  const size_t from = subscriber->Count();
  ASSERT_NO_FATAL_FAILURE(StartBroker());
  ASSERT_TRUE(subscriber->WaitSubscribed(2, 15));
  EXPECT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "online", 40, from)) << BridgeLog();
  EXPECT_TRUE(subscriber->WaitFor(StateTopic(), 5, from));
  const auto all = std::chrono::steady_clock::now() + 30s;
  while (Configs(subscriber->Messages(), from).size() < 24u + 2 * 3 && std::chrono::steady_clock::now() < all)
    SleepSeconds(0.1);
  EXPECT_EQ(Configs(subscriber->Messages(), from).size(), 24u + 2 * 3) << BridgeLog();
  // And it goes on publishing: a state after the next exchange.
  const int exchangesAfter = Exchanges();
  const size_t beforeExchange = subscriber->Count();
  const auto next = std::chrono::steady_clock::now() + 30s;
  while (Exchanges() <= exchangesAfter && std::chrono::steady_clock::now() < next) SleepSeconds(0.1);
  ASSERT_GT(Exchanges(), exchangesAfter);
  EXPECT_TRUE(subscriber->WaitFor(StateTopic(), 10, beforeExchange));

  const std::string log = BridgeLog();
  EXPECT_EQ(Occurrences(log, "cannot reach the MQTT broker"), 1) << "once at the start:\n" << log;
  EXPECT_EQ(Occurrences(log, "lost the MQTT broker"), 1)
      << "and the loss is one line, the refused attempts after it none:\n"
      << log;
  EXPECT_TRUE(std::regex_search(log, std::regex("polling goes on, reconnecting in [0-9]+ s\n")))
      << "the wait it then waits:\n"
      << log;
  EXPECT_EQ(Occurrences(log, "connected to the MQTT broker"), 2) << log;
}

TEST_F(BridgeBrokerTest, AHungUpLineIsOfflineOnceWithoutSpinningAndOnlineAgainWhenItIsBack) {
  ASSERT_NO_FATAL_FAILURE(StartAllUntilOnline("100"));
  const size_t from = subscriber->Count();
  sim.Stop();  // its end of the terminal closes: the bridge's line hangs up, the COM link goes
  ASSERT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "offline", 15, from)) << BridgeLog();
  const std::string logAtLoss = BridgeLog();

  const std::optional<double> cpuBefore = ProcessCpuMs(bridge->Pid());
  const auto wallBefore = std::chrono::steady_clock::now();
  SleepSeconds(10);
  const std::optional<double> cpuAfter = ProcessCpuMs(bridge->Pid());
  const double wallMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallBefore).count();
  ASSERT_TRUE(cpuBefore && cpuAfter);
  EXPECT_LT((*cpuAfter - *cpuBefore) / wallMs, 0.10) << "a spinning bridge would use a whole core";
  const std::string quiet = BridgeLog().substr(logAtLoss.size());
  EXPECT_LE(Occurrences(quiet, "\n"), 1) << "no line per attempt to reopen:\n" << quiet;
  const std::vector<ReceivedMessage> messages = subscriber->Messages();
  const auto offline = std::count_if(messages.begin() + static_cast<long>(from), messages.end(),
                                     [&](const ReceivedMessage& m) { return m.Topic == AvailabilityTopic(); });
  EXPECT_EQ(offline, 1) << "\"offline\" once, and nothing else";

  StartSimulator();  // back, linked as the same COM port
  EXPECT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "online", 40, from)) << BridgeLog();
  EXPECT_NE(BridgeLog().find("port open again"), std::string::npos) << BridgeLog();
}

TEST_F(BridgeBrokerTest, AControllerThatStopsAnsweringForAWholeCycleIsOfflineUntilItAnswersAgain) {
  ASSERT_NO_FATAL_FAILURE(StartAllUntilOnline("20"));
  const size_t from = subscriber->Count();
  sim.Signal(SIGSTOP);  // the line stays, the answers stop
  const bool offline = subscriber->WaitFor(AvailabilityTopic(), "offline", 20, from).has_value();
  const size_t silent = subscriber->Count();
  sim.Signal(SIGCONT);
  ASSERT_TRUE(offline) << BridgeLog();
  EXPECT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "online", 30, silent)) << BridgeLog();
  EXPECT_EQ(Occurrences(BridgeLog(), "has not answered for a whole cycle"), 1) << BridgeLog();
}

TEST_F(BridgeBrokerTest, TlsTrustsTheConfiguredAuthorityAndNoOther) {
  const TestCertificates certificates = MakeTestCertificates(folder / "tls");
  const TestCertificates stranger = MakeTestCertificates(folder / "stranger");
  ASSERT_FALSE(certificates.CaFile.empty() || stranger.CaFile.empty()) << "openssl could not make certificates";
  broker.UseTls(certificates.CaFile, certificates.CertFile, certificates.KeyFile);
  ASSERT_NO_FATAL_FAILURE(StartBroker());
  subscriber = std::make_unique<MqttSubscriber>(broker.Port(), "#", certificates.CaFile);
  ASSERT_TRUE(subscriber->WaitSubscribed(1, 10));
  StartSimulator();

  StartBridge({"--tick-ms", "50", "--mqtt-cafile", stranger.CaFile});
  SleepSeconds(4);  // attempts after 0, 1 and 3 s
  EXPECT_EQ(StopBridge(), 0);
  EXPECT_EQ(Occurrences(BridgeLog(), "cannot reach the MQTT broker"), 1) << BridgeLog();
  EXPECT_EQ(Occurrences(BridgeLog(), "connected to the MQTT broker"), 0) << BridgeLog();
  EXPECT_FALSE(subscriber->WaitFor(StateTopic(), 0));

  StartBridge({"--tick-ms", "50", "--mqtt-cafile", certificates.CaFile});
  EXPECT_TRUE(subscriber->WaitFor(StateTopic(), 30)) << BridgeLog();
  EXPECT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "online", 5));
}

}  // namespace
