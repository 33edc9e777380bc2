// zentrixnet-bridge.exe of the Windows build under wine, between the simulator
// (native, on a pseudo-terminal that COM 6 of the stage's prefix leads to)
// and Debian's mosquitto started by the test on a free port of 127.0.0.1: the
// Linux bridge's fixture with the program run under wine at a terminal of its
// own, so that Ctrl+C reaches it as a console's Ctrl+C does.
// Run by the Windows build's tests (tests/wine), with what the stage sets:
//   PCZN_WINE_BRIDGE  the bridge.exe
//   PCZN_WINE_PORTS   the folder of the comN links of the prefix
//   PCZN_WINE_SHIM    the modem-line shim preloaded into wine
// and WINEPREFIX and WINEPATH (Qt's libraries).
#include <pwd.h>
#include <unistd.h>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/bridge/BridgeFixture.h"
#include "tests/support/TestCertificates.h"

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// wine as PATH finds it: the child is started with execv.
std::string Wine() {
  std::istringstream folders(Env("PATH"));
  for (std::string folder; std::getline(folders, folder, ':');)
    if (std::filesystem::exists(folder + "/wine")) return folder + "/wine";
  return "/usr/bin/wine";
}

// A path of the Linux side as a Windows program names it (wine's drive Z: is /).
std::string WindowsPath(const std::filesystem::path& path) {
  std::string text = "Z:" + path.string();
  for (char& c : text)
    if (c == '/') c = '\\';
  return text;
}

// The folder %LOCALAPPDATA%\PCZentrixNet of the prefix's user, wine's name for this user.
std::filesystem::path LocalAppDataFolder() {
  const passwd* user = getpwuid(getuid());
  return std::filesystem::path(Env("WINEPREFIX")) / "drive_c/users" / (user != nullptr ? user->pw_name : "root") /
         "AppData/Local/PCZentrixNet";
}

// The plant archives in the folder written since the moment.
size_t ArchivesWrittenSince(const std::filesystem::path& folder, std::filesystem::file_time_type since) {
  size_t count = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("Anlage-", 0) == 0 && name.size() > 7 && name.compare(name.size() - 7, 7, ".sqlite") == 0 &&
        entry.last_write_time(error) >= since)
      ++count;
  }
  return count;
}

// The prefix's %ProgramData%\PCZentrixNet: a service's archive and logs.
std::filesystem::path ProgramDataFolder() {
  return std::filesystem::path(Env("WINEPREFIX")) / "drive_c/ProgramData/PCZentrixNet";
}

// The folders of WINEPATH as Linux paths (all on drive Z:, which is /).
std::vector<std::filesystem::path> WinePathFolders() {
  std::vector<std::filesystem::path> folders;
  std::istringstream list(Env("WINEPATH"));
  for (std::string folder; std::getline(list, folder, ';');) {
    if (folder.rfind("Z:", 0) != 0 && folder.rfind("z:", 0) != 0) continue;
    std::string path = folder.substr(2);
    for (char& c : path)
      if (c == '\\') c = '/';
    folders.emplace_back(path);
  }
  return folders;
}

// The bridge with the libraries it loads beside it, as an installed program
// folder holds them: a service gets the system's PATH, not the stage's WINEPATH.
std::filesystem::path MakeProgramFolder(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(Env("PCZN_WINE_BRIDGE"), folder / "zentrixnet-bridge.exe");
  for (const char* library : {"Qt6Core.dll", "libstdc++-6.dll", "libgcc_s_seh-1.dll", "libwinpthread-1.dll"})
    for (const std::filesystem::path& from : WinePathFolders())
      if (std::filesystem::exists(from / library)) {
        std::filesystem::copy_file(from / library, folder / library);
        break;
      }
  return folder;
}

std::string ReadWhole(const std::filesystem::path& file) {
  std::ostringstream text;
  text << std::ifstream(file, std::ios::binary).rdbuf();
  return text.str();
}

// wine's first start of a Qt program in a loaded prefix takes a while.
constexpr double StartLimit = 180;
constexpr size_t Configs = 24 + 3 * 3;  // the plant's sensors and three per meter of the simulator

}  // namespace

class WineBridgeTest : public BridgeFixture {
protected:
  void SetUp() override {
    BridgeFixture::SetUp();
    for (const char* name : {"PCZN_WINE_BRIDGE", "PCZN_WINE_PORTS", "PCZN_WINE_SHIM", "WINEPREFIX"})
      ASSERT_FALSE(Env(name).empty()) << name << " is not set: run the test through scripts/test-wine";
  }

  // COM 6 of the prefix leads to the simulator's terminal while it runs.
  std::unique_ptr<ChildProcess> StartProgram(const std::vector<std::string>& args,
                                             const ChildProcess::Environment& env) const override {
    if (sim.Running()) LeadCom6ToTheSimulator();
    ChildProcess::Environment all{{"LD_PRELOAD", Env("PCZN_WINE_SHIM")}};
    all.insert(all.end(), env.begin(), env.end());
    std::vector<std::string> words{Env("PCZN_WINE_BRIDGE")};
    words.insert(words.end(), args.begin(), args.end());
    return std::make_unique<ChildProcess>(Wine(), words, all, ChildProcess::Output::ErrorBesideTerminal);
  }

  void LeadCom6ToTheSimulator() const {
    const std::filesystem::path link = std::filesystem::path(Env("PCZN_WINE_PORTS")) / "com6";
    std::filesystem::remove(link);
    std::filesystem::create_symlink(sim.Device(), link);
  }

  void StartAllUntilOnlineUnderWine() {
    ASSERT_NO_FATAL_FAILURE(StartBroker());
    ASSERT_NO_FATAL_FAILURE(StartSubscriber());
    ASSERT_NO_FATAL_FAILURE(StartSimulator());
    StartBridge({"--tick-ms", "100"});
    ASSERT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "online", StartLimit)) << BridgeLog();
  }

  // A Windows program (the bridge of a program folder, sc, net) run to its
  // end: its exit status and what it said.
  std::pair<int, std::string> RunWine(const std::vector<std::string>& words) const {
    ChildProcess program(Wine(), words, {}, ChildProcess::Output::WithStandardError);
    const int status = program.Wait(StartLimit);
    return {status, program.ReadAvailable()};
  }

  // Ctrl+C at the bridge's terminal; its exit status.
  int InterruptBridge() {
    EXPECT_TRUE(bridge->Type("\x03"));
    const int status = bridge->Wait(60);
    BridgeLog();
    return status;
  }
};

TEST_F(WineBridgeTest, PublishesDiscoveryStateAndBirthAndStopsOnCtrlCWithOfflineAndTheArchiveClosed) {
  ASSERT_NO_FATAL_FAILURE(StartAllUntilOnlineUnderWine());
  const std::optional<ReceivedMessage> state = subscriber->WaitFor(StateTopic(), 120);
  ASSERT_TRUE(state) << BridgeLog();
  const QJsonObject values = QJsonDocument::fromJson(QByteArray::fromStdString(state->Payload)).object();
  EXPECT_EQ(values.value("meter_count").toInt(), 3) << state->Payload;
  EXPECT_GT(values.value("power_w").toDouble(), 0) << "11:40 on a June day: " << state->Payload;
  EXPECT_EQ(ConfigsFrom(subscriber->Messages(), 0), Configs);

  // Home Assistant's birth message: the configs, the state and "online" again.
  const size_t beforeBirth = subscriber->Count();
  subscriber->Publish("homeassistant/status", "online", false);
  ASSERT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "online", 60, beforeBirth)) << BridgeLog();
  EXPECT_TRUE(subscriber->WaitFor(StateTopic(), 30, beforeBirth)) << BridgeLog();
  EXPECT_EQ(ConfigsFrom(subscriber->Messages(), beforeBirth), Configs) << "every config once more";

  // A second bridge of the plant finds the lock taken and leaves the broker alone.
  const int connects = BrokerConnects();
  const std::unique_ptr<ChildProcess> second = StartProgram(
      {"--port", "COM6", "--mqtt-host", "127.0.0.1", "--mqtt-port", std::to_string(broker.Port()), "--plant", Plant},
      {});
  EXPECT_EQ(second->Wait(StartLimit), 1);
  const std::string refusal = second->ReadAvailable();
  EXPECT_NE(refusal.find("another bridge publishes the plant roof already (it holds Global\\pczentrixnet-bridge-roof)"),
            std::string::npos)
      << refusal;
  EXPECT_EQ(BrokerConnects(), connects);

  const size_t beforeStop = subscriber->Count();
  EXPECT_EQ(InterruptBridge(), 0) << BridgeLog();
  EXPECT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "offline", 10, beforeStop)) << BridgeLog();
  EXPECT_EQ(Occurrences(BridgeLog(), "stopping on Ctrl+C"), 1) << BridgeLog();
  // Its own "offline", not the last will: it said goodbye to the broker.
  EXPECT_EQ(Occurrences(broker.Log(), "-roof disconnected."), 1) << broker.Log();
  EXPECT_TRUE(std::filesystem::exists(ArchiveFile())) << BridgeLog();
  EXPECT_FALSE(std::filesystem::exists(ArchiveFile() + "-wal")) << "the archive's log is folded in on closing";

  // What it archived comes out as CSV files, through the Windows build's export.
  const std::string csv = (folder / "csv").string();
  const std::unique_ptr<ChildProcess> export_ =
      StartProgram({"--archive", ArchiveFile(), "--export-csv", "2024-06-21", "2024-06-21", csv}, {});
  EXPECT_EQ(export_->Wait(StartLimit), 0);
  const std::string said = export_->ReadAvailable();
  EXPECT_NE(said.find("CSV files into"), std::string::npos) << said;
  EXPECT_TRUE(std::filesystem::exists(csv) && !std::filesystem::is_empty(csv)) << said;
}

TEST_F(WineBridgeTest, OverTlsWithTheTestsAuthorityItOutlivesTheBrokerGoingAndComingBack) {
  const TestCertificates certificates = MakeTestCertificates(folder / "tls");
  ASSERT_FALSE(certificates.CaFile.empty()) << "openssl could not make certificates";
  broker.UseTls(certificates.CaFile, certificates.CertFile, certificates.KeyFile);
  ASSERT_NO_FATAL_FAILURE(StartBroker());
  subscriber = std::make_unique<MqttSubscriber>(broker.Port(), "#", certificates.CaFile);
  ASSERT_TRUE(subscriber->WaitSubscribed(1, 10));
  ASSERT_NO_FATAL_FAILURE(StartSimulator());
  StartBridge({"--tick-ms", "100", "--mqtt-cafile", certificates.CaFile});
  ASSERT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "online", StartLimit)) << BridgeLog();
  ASSERT_TRUE(subscriber->WaitFor(StateTopic(), 120)) << BridgeLog();

  // The broker comes back empty. A subscriber of its own: libmosquitto's
  // network thread gives up on a TLS error, which a killed broker can cause.
  broker.Kill();
  ASSERT_TRUE(broker.Start()) << broker.Log();
  subscriber = std::make_unique<MqttSubscriber>(broker.Port(), "#", certificates.CaFile);
  ASSERT_TRUE(subscriber->WaitSubscribed(1, 30));
  ASSERT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "online", 120)) << BridgeLog();
  EXPECT_TRUE(subscriber->WaitFor(StateTopic(), 60)) << BridgeLog();
  EXPECT_TRUE(WaitForBridgeLog("connected to the MQTT broker", 30, 2)) << BridgeLog();
  // The loss in the system's words, not the C library's (which knows no Winsock codes).
  EXPECT_EQ(Occurrences(BridgeLog(), "lost the MQTT broker"), 1) << BridgeLog();
  EXPECT_EQ(Occurrences(BridgeLog(), "Unknown error"), 0) << BridgeLog();

  const size_t beforeStop = subscriber->Count();
  EXPECT_EQ(InterruptBridge(), 0) << BridgeLog();
  EXPECT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "offline", 10, beforeStop)) << BridgeLog();
}

// A batch file whose path holds a blank: started through CreateProcess with
// the path quoted, the event and the plant in its environment, its output
// logged. And the archive's default folder on Windows.
TEST_F(WineBridgeTest, TheAlarmCommandRunsAsABatchFileAndTheArchiveGoesToTheLocalApplicationData) {
  ASSERT_NO_FATAL_FAILURE(StartBroker());
  ASSERT_NO_FATAL_FAILURE(StartSubscriber());
  ASSERT_NO_FATAL_FAILURE(StartSimulator({"--raise-fault", "2@5"}));
  const std::filesystem::path runs = folder / "runs.txt";
  const std::string script = WindowsPath(folder / "record alarm.bat");
  std::ofstream(folder / "record alarm.bat")
      << "@echo %PCZN_EVENT%^|%PCZN_PLANT%>>\"" << WindowsPath(runs) << "\"\r\n@echo told %PCZN_EVENT%\r\n";
  // Without --archive: the plant's file in the user's local application data.
  const auto started = std::filesystem::file_time_type::clock::now() - std::chrono::seconds(2);
  bridge = StartProgram({"--port", "COM6", "--mqtt-host", "127.0.0.1", "--mqtt-port", std::to_string(broker.Port()),
                         "--plant", Plant, "--tick-ms", "100", "--alarm-command", script},
                        {});

  ASSERT_TRUE(WaitForBridgeLog("alarm command fault-started said: told fault-started", 120)) << BridgeLog();
  EXPECT_NE(BridgeLog().find("alarm command fault-started: " + script + " exit status 0"), std::string::npos)
      << BridgeLog();
  std::string first;
  std::getline(std::ifstream(runs) >> std::ws, first);
  if (!first.empty() && first.back() == '\r') first.pop_back();
  EXPECT_EQ(first, "fault-started|roof");
  EXPECT_EQ(InterruptBridge(), 0) << BridgeLog();
  EXPECT_EQ(ArchivesWrittenSince(LocalAppDataFolder(), started), 1u) << LocalAppDataFolder() << "\n" << BridgeLog();
}

// The Windows programs running whose command line holds the text, as wine
// shows it in /proc.
size_t ProgramsRunning(const std::string& text) {
  size_t count = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
    std::string line = ReadWhole(entry.path() / "cmdline");
    std::replace(line.begin(), line.end(), '\0', ' ');
    if (line.find(text) != std::string::npos) ++count;
  }
  return count;
}

// A command that runs past its time is ended with the programs it started
// (ping stands in for a mail program that hangs), as its process group is on
// Linux: on Windows they share a job.
TEST_F(WineBridgeTest, AnAlarmCommandThatRunsTooLongIsEndedWithTheProgramsItStarted) {
  ASSERT_NO_FATAL_FAILURE(StartBroker());
  ASSERT_NO_FATAL_FAILURE(StartSubscriber());
  ASSERT_NO_FATAL_FAILURE(StartSimulator({"--raise-fault", "2@5"}));
  const std::string pings = "-n 41 127.0.0.1";  // "ping ..." and "C:\\windows\\system32\\ping.exe ..."
  const std::string script = WindowsPath(folder / "slow alarm.bat");
  std::ofstream(folder / "slow alarm.bat") << "@start \"\" /b ping -n 41 127.0.0.1\r\n"
                                           << "@ping -n 41 127.0.0.1 >nul\r\n";
  bridge = StartProgram(
      {"--port", "COM6", "--mqtt-host", "127.0.0.1", "--mqtt-port", std::to_string(broker.Port()), "--plant", Plant,
       "--tick-ms", "100", "--no-archive", "--alarm-command", script, "--alarm-command-timeout", "1"},
      {});
  ASSERT_TRUE(WaitUntil([&] { return ProgramsRunning(pings) == 2; }, 120)) << BridgeLog();
  ASSERT_TRUE(WaitForBridgeLog("alarm command fault-started: " + script + " ran longer than 1 s and was ended", 60))
      << BridgeLog();
  EXPECT_TRUE(WaitUntil([&] { return ProgramsRunning(pings) == 0; }, 20)) << "the programs it started outlive it";
  EXPECT_EQ(InterruptBridge(), 0) << BridgeLog();
}

// The service as the service manager runs it: installed with the bridge's own
// option, started and stopped with net, its log in the program data folder,
// removed again. The archive goes to the program data folder too.
TEST_F(WineBridgeTest, AsAServiceItPublishesStopsWithOfflineAndExitStatusZeroAndIsRemoved) {
  ASSERT_NO_FATAL_FAILURE(StartBroker());
  ASSERT_NO_FATAL_FAILURE(StartSubscriber());
  ASSERT_NO_FATAL_FAILURE(StartSimulator());
  LeadCom6ToTheSimulator();
  const std::string bridgeExe = WindowsPath(MakeProgramFolder(folder / "program") / "zentrixnet-bridge.exe");
  std::ofstream(folder / "bridge.ini") << "port = COM6\nmqtt-host = 127.0.0.1\nmqtt-port = " << broker.Port()
                                       << "\nplant = " << Plant << "\ntick-ms = 100\n";
  const std::string name = "pczn-test-" + std::to_string(getpid());
  const std::filesystem::path log = ProgramDataFolder() / "logs" / (name + ".log");
  std::filesystem::remove(log);

  // Whatever fails below, the service does not outlive the test.
  const std::shared_ptr<void> removal(nullptr, [&](void*) { RunWine({bridgeExe, "--remove-service", name}); });
  // The service runs what its configuration names as the system: a file others
  // may read is refused (wine makes the access list from the file's mode).
  const auto [exposed, exposedSaid] =
      RunWine({bridgeExe, "--install-service", name, "--config", WindowsPath(folder / "bridge.ini")});
  EXPECT_EQ(exposed, 2);
  EXPECT_NE(exposedSaid.find("--config: " + WindowsPath(folder / "bridge.ini") + " may be read by Everyone (S-1-1-0)" +
                             "; make it readable by the administrators and the system only: icacls \"" +
                             WindowsPath(folder / "bridge.ini") + "\" /inheritance:r"),
            std::string::npos)
      << exposedSaid;
  std::filesystem::permissions(folder / "bridge.ini",
                               std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  const auto [installed, installSaid] =
      RunWine({bridgeExe, "--install-service", name, "--config", WindowsPath(folder / "bridge.ini")});
  ASSERT_EQ(installed, 0) << installSaid;
  EXPECT_NE(installSaid.find("installed the service " + name + ": \"" + bridgeExe + "\" --service " + name +
                             " --config \"" + WindowsPath(folder / "bridge.ini") + "\""),
            std::string::npos)
      << installSaid;
  const auto [again, againSaid] =
      RunWine({bridgeExe, "--install-service", name, "--config", WindowsPath(folder / "bridge.ini")});
  EXPECT_EQ(again, 2);
  EXPECT_NE(againSaid.find("a service named " + name + " exists already"), std::string::npos) << againSaid;
  // Started by hand it is refused: only the service manager runs it so.
  const auto [byHand, byHandSaid] =
      RunWine({bridgeExe, "--service", name, "--config", WindowsPath(folder / "bridge.ini")});
  EXPECT_EQ(byHand, 2);
  EXPECT_NE(byHandSaid.find("only the service manager starts the bridge this way"), std::string::npos) << byHandSaid;

  const auto [start, startSaid] = RunWine({"net", "start", name});
  EXPECT_EQ(start, 0) << startSaid;
  EXPECT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "online", StartLimit)) << ReadWhole(log);
  EXPECT_TRUE(subscriber->WaitFor(StateTopic(), 120)) << ReadWhole(log);

  const size_t beforeStop = subscriber->Count();
  const auto [stop, stopSaid] = RunWine({"net", "stop", name});
  EXPECT_EQ(stop, 0) << stopSaid;
  EXPECT_TRUE(subscriber->WaitFor(AvailabilityTopic(), "offline", 60, beforeStop)) << ReadWhole(log);
  EXPECT_TRUE(WaitUntil([&] { return Occurrences(ReadWhole(log), "ends with exit status 0") == 1; }, 60))
      << ReadWhole(log);
  EXPECT_EQ(Occurrences(ReadWhole(log), "stopping on service stop"), 1) << ReadWhole(log);
  EXPECT_EQ(Occurrences(broker.Log(), "-roof disconnected."), 1) << broker.Log();
  std::string query;
  EXPECT_TRUE(WaitUntil(
      [&] {
        return (query = RunWine({"sc", "query", name}).second).find("STOPPED") != std::string::npos;
      },
      60))
      << query;
  EXPECT_NE(query.find("WIN32_EXIT_CODE    : 0 "), std::string::npos) << query;
  // The plant's file of an earlier run in this prefix may already hold the simulator's day.
  EXPECT_EQ(Occurrences(ReadWhole(log), "archiving into C:\\ProgramData\\PCZentrixNet\\Anlage-"), 1) << ReadWhole(log);

  const auto [removed, removeSaid] = RunWine({bridgeExe, "--remove-service", name});
  EXPECT_EQ(removed, 0) << removeSaid;
  EXPECT_NE(RunWine({"sc", "query", name}).first, 0) << "the service is gone";
  const auto [gone, goneSaid] = RunWine({bridgeExe, "--remove-service", name});
  EXPECT_EQ(gone, 2);
  EXPECT_NE(goneSaid.find("there is no service named " + name), std::string::npos) << goneSaid;
}

// As on Linux, the broker's password is refused where others may read it.
TEST_F(WineBridgeTest, APasswordFileThatOthersMayReadOrAServiceCannotFindIsRefused) {
  std::ofstream(folder / "password") << "secret\n";
  std::filesystem::permissions(folder / "password", std::filesystem::perms::owner_read |
                                                        std::filesystem::perms::owner_write |
                                                        std::filesystem::perms::others_read);
  const std::unique_ptr<ChildProcess> refused = StartProgram(
      {"--port", "COM6", "--mqtt-user", "bridge", "--mqtt-password-file", WindowsPath(folder / "password")}, {});
  EXPECT_EQ(refused->Wait(StartLimit), 2);
  const std::string said = refused->ReadAvailable();
  EXPECT_NE(said.find("--mqtt-password-file: " + WindowsPath(folder / "password") + " may be read by Everyone"),
            std::string::npos)
      << said;

  // A service is not installed with it either: it would fail at every start.
  std::ofstream(folder / "bridge.ini") << "port = COM6\nmqtt-user = bridge\nmqtt-password-file = "
                                       << WindowsPath(folder / "password") << "\n";
  std::filesystem::permissions(folder / "bridge.ini",
                               std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  const std::string name = "pczn-test-" + std::to_string(getpid());
  const auto [installed, installSaid] =
      RunWine({Env("PCZN_WINE_BRIDGE"), "--install-service", name, "--config", WindowsPath(folder / "bridge.ini")});
  EXPECT_EQ(installed, 2);
  EXPECT_NE(installSaid.find("--mqtt-password-file: "), std::string::npos) << installSaid;
  EXPECT_NE(RunWine({"sc", "query", name}).first, 0) << "no service was installed";

  // Nor with a relative path, which a service would take from the system's folder.
  std::filesystem::permissions(folder / "password",
                               std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  std::ofstream(folder / "bridge.ini") << "port = COM6\nmqtt-user = bridge\nmqtt-password-file = password\n";
  const auto [relative, relativeSaid] =
      RunWine({Env("PCZN_WINE_BRIDGE"), "--install-service", name, "--config", WindowsPath(folder / "bridge.ini")});
  EXPECT_EQ(relative, 2);
  EXPECT_NE(relativeSaid.find("--mqtt-password-file: 'password' is relative, and a service runs in the system's "
                              "folder: give the full path"),
            std::string::npos)
      << relativeSaid;
  EXPECT_NE(RunWine({"sc", "query", name}).first, 0) << "no service was installed";
}
