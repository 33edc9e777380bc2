// zentrixnet-bridge: polls the plant controller through the program's polling
// session and publishes its values to MQTT with Home Assistant discovery.
// With --export-csv it writes CSV files from the plant's archive instead; on
// Windows it installs, removes or runs as a service.
// Exit status: 0 after SIGTERM/SIGINT/SIGHUP (on Windows Ctrl+C, Ctrl+Break,
// the console's closing or the service's stop), 2 for a bad configuration, 1
// when it cannot run at all (or an export failed).
#include <QCoreApplication>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "base/Version.h"
#include "bridge/BridgeLog.h"
#include "bridge/BridgeOptions.h"
#include "bridge/BridgeRun.h"
#include "bridge/CsvExportCommand.h"
#include "bridge/DiscoveryRemoval.h"
#include "bridge/PlantLock.h"
#include "bridge/SignalWatch.h"
#include "bridge/WindowsService.h"
#include "qtloop/QtMainThreadWake.h"
#include "session/PortReport.h"

namespace {

constexpr int BadConfiguration = 2;
constexpr int CannotRun = BridgeRun::CannotRun;

struct Configuration {
  BridgeOptions Options;
  std::string Password;
};

// The options, or the exit status when the bridge is not to run.
std::optional<int> Configure(const std::vector<std::string>& args, Configuration& c) {
  try {
    c.Options = ReadBridgeOptions(args);
    if (c.Options.ShowHelp) {
      std::fputs(BridgeHelpText().c_str(), stdout);
      return 0;
    }
    if (c.Options.ShowVersion) {
      std::printf("zentrixnet-bridge %s\n", PCZN_VERSION);
      return 0;
    }
    if (c.Options.ListPorts) {
      for (const std::string& line : PortListing()) std::printf("%s\n", line.c_str());
      return 0;
    }
    if (c.Options.ExportCsv) return RunCsvExportCommand(c.Options);
    // Checked before a service is installed too, which would fail on it at every start.
    if (!c.Options.MqttPasswordFile.empty()) c.Password = ReadPasswordFile(c.Options.MqttPasswordFile);
    if (!c.Options.InstallService.empty()) return InstallWindowsService(c.Options.InstallService, c.Options.ConfigFile);
    if (!c.Options.RemoveService.empty()) return RemoveWindowsService(c.Options.RemoveService);
    if (c.Options.RemoveServices) return RemoveServicesOfThisProgram();
    if (const std::optional<std::string> warning = PlainLoginWarning(c.Options)) BridgeLog::Line(*warning);
  } catch (const EOptionError& e) {
    BridgeLog::Line(std::string("zentrixnet-bridge: ") + e.what());
    return BadConfiguration;
  }
  return std::nullopt;
}

// --remove-discovery: under the plant's lock, so that no bridge of the plant
// publishes again while it runs.
int RemovePlant(QCoreApplication& app, const Configuration& c) {
  const PlantLock lock(c.Options.Plant);
  DiscoveryRemoval removal(c.Options, c.Password);
  int status = 1;
  removal.Start([&](int result) {
    status = result;
    app.quit();
  });
  app.exec();
  return status;
}

int Run(QCoreApplication& app, const Configuration& c, RunAs as) {
  BridgeRun run(c.Options, c.Password, as);
  SignalWatch stopSignals([&run](int signal) { run.Stop(SignalWatch::Name(signal)); });
  return run.Exec(app);
}

// From the options to the bridge's end: the exit status.
int Main(int argc, char** argv, RunAs as) {
  UseProgramPortsFolder();
  Configuration configuration;
  if (const std::optional<int> status = Configure(std::vector<std::string>(argv + 1, argv + argc), configuration))
    return *status;
  QCoreApplication app(argc, argv);
  InstallQtMainThreadWake();
  try {
    if (configuration.Options.RemoveDiscovery) return RemovePlant(app, configuration);
    return Run(app, configuration, as);
  } catch (const std::exception& e) {
    BridgeLog::Line(std::string("zentrixnet-bridge: ") + e.what());
    return CannotRun;
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string service;
  try {
    service = ServiceNameIn(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const EOptionError& e) {
    BridgeLog::Line(std::string("zentrixnet-bridge: ") + e.what());
    return BadConfiguration;
  }
  // A service stops on the service manager's word alone, not on a console's
  // events (a user's logoff among them).
  if (!service.empty()) return RunAsWindowsService(service, [&] { return Main(argc, argv, RunAs::Service); });
  // Before any thread exists, so that every thread inherits the blocked signals.
  SignalWatch::TakeOverStopSignals();
  return Main(argc, argv, RunAs::Console);
}
