#pragma once
// The bridge's settings: one table of options that both the command line and
// the INI file named by --config read (the command line wins), and the help
// text made from it. A new option is one more row of the table.
#include <optional>
#include <string>
#include <vector>

#include "archive/CsvFormat.h"
#include "archive/RangeExport.h"
#include "base/Exception.h"
#include "session/PortChoice.h"

// --export-csv FROM TO OUTDIR: the archive's days FROM..TO as CSV files in OUTDIR.
struct CsvExportRequest {
  Archive::DayRange Days;
  std::string Folder;
};

struct BridgeOptions {
  std::optional<PortChoice> Port;
  std::string MqttHost = "localhost";
  int MqttPort = 0;          // 0: the default, 1883 (8883 with TLS)
  std::string MqttClientId;  // empty: "pczentrixnet-bridge-<host>-<plant>"
  std::string MqttUser;
  std::string MqttPasswordFile;
  std::string MqttCaFile;  // TLS with this certificate authority
  std::string BaseTopic = "pczentrixnet";
  std::string Plant = "plant1";
  std::string DiscoveryPrefix = "homeassistant";
  bool Discovery = true;
  bool RemoveDiscovery = false;  // clear the plant's retained messages and exit
  std::string ArchiveFile;       // empty: the plant's own file in the default archive folder
  bool Archiving = true;
  std::optional<CsvExportRequest> ExportCsv;  // export and exit instead of polling
  Archive::CsvStyle CsvStyle = Archive::CsvStyle::German;
  std::string AlarmCommand;     // run on each alarm event; empty: none
  int AlarmCommandLimitS = 30;  // then the command is ended
  int TickMs = 1000;            // the polling tick; shorter only for tests
  std::string TraceFile;        // the frame trace; empty: none
  std::string ConfigFile;
  bool ShowHelp = false;
  bool ShowVersion = false;
  bool ListPorts = false;
  // The Windows service manager's commands (refused on Linux): install the
  // service NAME that runs the bridge with --config, remove it (or all of this
  // program file's), or run as it.
  std::string InstallService;
  std::string RemoveService;
  bool RemoveServices = false;  // every service that runs this program file
  std::string ServiceName;

  int BrokerPort() const;
  std::string ClientId() const;
};

// A configuration the bridge cannot run with. The text names the option
// (and the file and line when it came from the INI file); a value it quotes
// shows control characters and bytes that are not UTF-8 as \xNN.
class EOptionError : public Exception {
public:
  explicit EOptionError(const std::string& message);
};

// This machine's name (without its domain) as it goes into the default client id.
std::string HostNameForId();

// The options of the arguments (without the program's name) over those of the
// INI file that --config names. Raises EOptionError. With --help, --version or
// --list-ports nothing else is checked.
BridgeOptions ReadBridgeOptions(const std::vector<std::string>& args);
// The NAME of --service NAME (or --service=NAME) when the arguments start the
// bridge as that Windows service; empty otherwise. Read before the other
// options, so that a refusal of them reaches the service's log. Raises
// EOptionError for a name that --service refuses.
std::string ServiceNameIn(const std::vector<std::string>& args);
std::string BridgeHelpText();
// The one line to log at the start when a login goes without TLS to a broker
// on another machine.
std::optional<std::string> PlainLoginWarning(const BridgeOptions& options);

// The broker password: the file's first line without its line end. Raises
// EOptionError naming --mqtt-password-file when it cannot be read, or when
// others than its owner and group may read it.
std::string ReadPasswordFile(const std::string& path);
