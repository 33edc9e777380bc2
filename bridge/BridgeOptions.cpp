#include "bridge/BridgeOptions.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "archive/CalendarDay.h"
#include "base/PrintableText.h"
#include "bridge/IniFile.h"
#include "bridge/SecretFile.h"
#include "bridge/ThisMachine.h"
#include "bridge/ValueChecks.h"
#include "bridge/WindowsService.h"

namespace {

using ArgList = std::vector<std::string>;

enum class Scope {
  Anywhere,         // command line and INI file
  CommandLineOnly,  // --config, --help, --version, --list-ports
};

struct OptionRow {
  const char* Name;       // without the leading "--"; the INI file's key
  const char* Arguments;  // the arguments' names, blank-separated; empty for a switch
  const char* Help;
  Scope Where;
  void (*Set)(BridgeOptions&, const ArgList&);  // a switch gets "1" or "0"
};

[[noreturn]] void Fail(const std::string& option, const std::string& problem) {
  throw EOptionError("--" + option + ": " + problem);
}

std::string Quoted(const std::string& value) { return "'" + value + "'"; }

std::string NonEmpty(const char* option, const std::string& value) {
  if (value.empty()) Fail(option, "must not be empty");
  return value;
}

// A file or port name: it goes into log lines, where a newline would forge
// a line of its own and an escape sequence would drive the terminal.
std::string Name(const char* option, const std::string& value) {
  NonEmpty(option, value);
  if (HoldsControlCharacter(value)) Fail(option, "holds a control character");
  return value;
}

// An integer within [low, high], all of the text.
int Integer(const char* option, const std::string& value, int low, int high, const char* what) {
  long number = 0;
  size_t used = 0;
  try {
    number = std::stol(value, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != value.size() || number < low || number > high)
    Fail(option, Quoted(value) + " is not " + what + " (" + std::to_string(low) + ".." + std::to_string(high) + ")");
  return static_cast<int>(number);
}

// A text that goes to the broker: UTF-8 without control characters, checked
// before anything quotes it in a message.
std::string BrokerText(const char* option, const std::string& value) {
  NonEmpty(option, value);
  if (const std::optional<std::string> problem = TextProblem(value)) Fail(option, *problem);
  return value;
}

// A host name or address: one word.
std::string Host(const char* option, const std::string& value) {
  BrokerText(option, value);
  if (value.find_first_of(" \t") != std::string::npos) Fail(option, Quoted(value) + " holds a blank");
  return value;
}

// A topic the bridge publishes under: no wildcards, no empty level at either end.
std::string Topic(const char* option, const std::string& value) {
  BrokerText(option, value);
  if (value.find_first_of("+#") != std::string::npos) Fail(option, Quoted(value) + " holds an MQTT wildcard (+ or #)");
  if (value.front() == '/' || value.back() == '/') Fail(option, Quoted(value) + " starts or ends with '/'");
  return value;
}

// The plant's id goes into topics and Home Assistant's unique ids and object ids.
std::string PlantId(const char* option, const std::string& value) {
  NonEmpty(option, value);
  const bool plain =
      std::all_of(value.begin(), value.end(), [](unsigned char c) { return std::isalnum(c) || c == '_' || c == '-'; });
  if (!plain) Fail(option, Quoted(value) + " may hold only letters, digits, '_' and '-'");
  return value;
}

bool Switch(const std::string& option, const std::string& value) {
  std::string v = value;
  std::transform(v.begin(), v.end(), v.begin(), [](unsigned char c) { return std::tolower(c); });
  if (v == "1" || v == "true" || v == "yes" || v == "on") return true;
  if (v == "0" || v == "false" || v == "no" || v == "off") return false;
  Fail(option, Quoted(value) + " is not a yes/no value (true, false, yes, no, on, off, 1, 0)");
}

// A Windows service's name: it goes into the service's command line and its
// log file's name, so nothing that could quote, escape or leave a folder.
std::string ServiceName(const char* option, const std::string& value) {
  if (const std::optional<std::string> refusal = ServiceOptionsRefusal()) Fail(option, *refusal);
  NonEmpty(option, value);
  const bool plain = value.size() <= 80 && std::all_of(value.begin(), value.end(), [](unsigned char c) {
                       return std::isalnum(c) || c == '_' || c == '-' || c == '.';
                     });
  if (!plain || value.front() == '.')
    Fail(option, Quoted(value) + " may hold only letters, digits, '_', '-' and '.' (up to 80, not starting with '.')");
  return value;
}

// A service switch without a name: refused where there are no Windows services.
bool ServiceSwitch(const char* option) {
  if (const std::optional<std::string> refusal = ServiceOptionsRefusal()) Fail(option, *refusal);
  return true;
}

// FROM or TO as a day; the bridge's messages are English, the archive's German.
Archive::DayNumber ExportDay(const std::string& text, const char* which) {
  const std::optional<Archive::DayNumber> day = Archive::ParseIsoDate(text);
  if (!day) Fail("export-csv", std::string(which) + " " + Quoted(text) + " is not a date YYYY-MM-DD");
  return *day;
}

CsvExportRequest ExportRequest(const ArgList& a) {
  CsvExportRequest request;
  request.Days = {ExportDay(a[0], "FROM"), ExportDay(a[1], "TO")};
  if (request.Days.From > request.Days.To) Fail("export-csv", "FROM " + a[0] + " is after TO " + a[1]);
  request.Folder = Name("export-csv", a[2]);
  return request;
}

const std::vector<OptionRow>& Table() {
  static const std::vector<OptionRow> table = {
      {"config", "FILE", "read the options from this INI file (name = value lines); the command line wins",
       Scope::CommandLineOnly, [](BridgeOptions& o, const ArgList& a) { o.ConfigFile = Name("config", a[0]); }},
      {"port", "COMn|PATH",
       "the controller's port: COM n as the program maps it, a device path, or a "
       "serial device server: tcp://HOST:PORT (raw) or rfc2217://HOST:PORT",
       Scope::Anywhere,
       [](BridgeOptions& o, const ArgList& a) {
         o.Port = ParsePortChoice(Name("port", a[0]));
         if (!o.Port)
           Fail("port", Quoted(a[0]) +
                            " is not a port (COM1..COM255, a device path, tcp://HOST:PORT or "
                            "rfc2217://HOST:PORT)");
       }},
      {"mqtt-host", "HOST", "the MQTT broker (default localhost)", Scope::Anywhere,
       [](BridgeOptions& o, const ArgList& a) { o.MqttHost = Host("mqtt-host", a[0]); }},
      {"mqtt-port", "PORT", "the broker's port (default 1883, with --mqtt-cafile 8883)", Scope::Anywhere,
       [](BridgeOptions& o, const ArgList& a) { o.MqttPort = Integer("mqtt-port", a[0], 1, 65535, "a port number"); }},
      {"mqtt-client-id", "ID", "the MQTT client id (default pczentrixnet-bridge-<host>-<plant>)", Scope::Anywhere,
       [](BridgeOptions& o, const ArgList& a) { o.MqttClientId = BrokerText("mqtt-client-id", a[0]); }},
      {"mqtt-user", "NAME", "the broker login's user name", Scope::Anywhere,
       [](BridgeOptions& o, const ArgList& a) { o.MqttUser = BrokerText("mqtt-user", a[0]); }},
      {"mqtt-password-file", "FILE", "a file whose first line is the broker login's password", Scope::Anywhere,
       [](BridgeOptions& o, const ArgList& a) { o.MqttPasswordFile = Name("mqtt-password-file", a[0]); }},
      {"mqtt-cafile", "FILE", "connect with TLS, trusting this certificate authority (PEM)", Scope::Anywhere,
       [](BridgeOptions& o, const ArgList& a) { o.MqttCaFile = Name("mqtt-cafile", a[0]); }},
      {"base-topic", "TOPIC", "the topics' first levels (default pczentrixnet)", Scope::Anywhere,
       [](BridgeOptions& o, const ArgList& a) { o.BaseTopic = Topic("base-topic", a[0]); }},
      {"plant", "ID", "the plant's id in topics and unique ids: letters, digits, _ and - (default plant1)",
       Scope::Anywhere, [](BridgeOptions& o, const ArgList& a) { o.Plant = PlantId("plant", a[0]); }},
      {"discovery-prefix", "PREFIX", "Home Assistant's discovery prefix (default homeassistant)", Scope::Anywhere,
       [](BridgeOptions& o, const ArgList& a) { o.DiscoveryPrefix = Topic("discovery-prefix", a[0]); }},
      {"no-discovery", "", "publish no Home Assistant discovery configs", Scope::Anywhere,
       [](BridgeOptions& o, const ArgList& a) { o.Discovery = a[0] != "1"; }},
      {"remove-discovery", "",
       "remove the plant from the broker (its retained discovery configs, state and "
       "availability) and exit: for a renamed plant, or to leave Home Assistant",
       Scope::Anywhere, [](BridgeOptions& o, const ArgList& a) { o.RemoveDiscovery = a[0] == "1"; }},
      {"archive", "FILE",
       "archive every exchange into this SQLite file (default: the plant's own file in "
       "$XDG_DATA_HOME/PCZentrixNet/; on Windows %LOCALAPPDATA%\\PCZentrixNet\\)",
       Scope::Anywhere, [](BridgeOptions& o, const ArgList& a) { o.ArchiveFile = Name("archive", a[0]); }},
      {"no-archive", "", "archive nothing", Scope::Anywhere,
       [](BridgeOptions& o, const ArgList& a) { o.Archiving = a[0] != "1"; }},
      {"export-csv", "FROM TO OUTDIR",
       "write the days FROM..TO (YYYY-MM-DD) of the --archive file as CSV files into OUTDIR, and exit",
       Scope::CommandLineOnly, [](BridgeOptions& o, const ArgList& a) { o.ExportCsv = ExportRequest(a); }},
      {"csv", "STYLE",
       "the CSV files' style: german (semicolon, decimal comma; the default) or plain (comma, "
       "decimal point)",
       Scope::Anywhere,
       [](BridgeOptions& o, const ArgList& a) {
         if (!Archive::ParseCsvStyle(a[0], o.CsvStyle)) Fail("csv", Quoted(a[0]) + " is neither german nor plain");
       }},
      {"alarm-command", "PROGRAM",
       "run PROGRAM (no shell, no arguments) on each alarm event, with PCZN_EVENT "
       "(fault-started, fault-ended, link-lost, link-back, monitoring-off, monitoring-on), PCZN_PLANT, PCZN_FAULT "
       "and PCZN_TIME in its environment",
       Scope::Anywhere, [](BridgeOptions& o, const ArgList& a) { o.AlarmCommand = Name("alarm-command", a[0]); }},
      {"alarm-command-timeout", "SECONDS", "end an alarm command that runs longer (default 30)", Scope::Anywhere,
       [](BridgeOptions& o, const ArgList& a) {
         o.AlarmCommandLimitS = Integer("alarm-command-timeout", a[0], 1, 3600, "a time in seconds");
       }},
      {"trace", "FILE",
       "write every frame sent (TX) and received (RX) in hex with a time stamp, and the line's "
       "state changes (LINK), one line each, to FILE (for diagnosing a cable or an adapter)",
       Scope::Anywhere, [](BridgeOptions& o, const ArgList& a) { o.TraceFile = Name("trace", a[0]); }},
      {"tick-ms", "MS", "the polling tick in ms (default 1000; shorter only for testing)", Scope::Anywhere,
       [](BridgeOptions& o, const ArgList& a) { o.TickMs = Integer("tick-ms", a[0], 1, 60000, "a tick in ms"); }},
      {"help", "", "show this help and exit", Scope::CommandLineOnly,
       [](BridgeOptions& o, const ArgList&) { o.ShowHelp = true; }},
      {"version", "", "show the version and exit", Scope::CommandLineOnly,
       [](BridgeOptions& o, const ArgList&) { o.ShowVersion = true; }},
      {"list-ports", "", "show what COM 1 .. COM 11 open and which serial devices there are, and exit",
       Scope::CommandLineOnly, [](BridgeOptions& o, const ArgList&) { o.ListPorts = true; }},
      {"install-service", "NAME",
       "Windows: install the service NAME (started with the system, restarted on failure) that runs "
       "the bridge with the --config file, and exit (as an administrator)",
       Scope::CommandLineOnly,
       [](BridgeOptions& o, const ArgList& a) { o.InstallService = ServiceName("install-service", a[0]); }},
      {"remove-service", "NAME", "Windows: stop and remove the service NAME, and exit (as an administrator)",
       Scope::CommandLineOnly,
       [](BridgeOptions& o, const ArgList& a) { o.RemoveService = ServiceName("remove-service", a[0]); }},
      {"remove-services", "",
       "Windows: stop and remove every service that runs this program file (what the setup's "
       "uninstaller does), and exit (as an administrator)",
       Scope::CommandLineOnly,
       [](BridgeOptions& o, const ArgList&) { o.RemoveServices = ServiceSwitch("remove-services"); }},
      {"service", "NAME",
       "Windows: run as the service NAME (how the service manager starts an installed service; "
       "the log goes to %ProgramData%\\PCZentrixNet\\logs\\NAME.log)",
       Scope::CommandLineOnly,
       [](BridgeOptions& o, const ArgList& a) { o.ServiceName = ServiceName("service", a[0]); }},
  };
  return table;
}

int ArgumentCount(const OptionRow& row) {
  std::istringstream names(row.Arguments);
  int count = 0;
  for (std::string name; names >> name;) ++count;
  return count;
}

// Passwords never stand in a command line or in the configuration: others can read those.
bool IsPasswordOption(const std::string& name) { return name == "mqtt-password" || name == "password"; }

const OptionRow& Find(const std::string& name) {
  if (IsPasswordOption(name))
    Fail(name,
         "a password is never given on the command line or in the configuration; write it into a file "
         "that only the bridge can read and name that file with --mqtt-password-file");
  for (const OptionRow& row : Table())
    if (name == row.Name) return row;
  Fail(name, "unknown option (zentrixnet-bridge --help lists them)");
}

// One option as the command line gives it, its arguments taken from args[i + 1 ..].
struct CommandLineOption {
  const OptionRow* Row;
  ArgList Values;
};

std::vector<CommandLineOption> SplitCommandLine(const std::vector<std::string>& args) {
  std::vector<CommandLineOption> options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0 || arg.size() == 2)
      throw EOptionError(Quoted(arg) + ": not an option (zentrixnet-bridge --help lists them)");
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    const OptionRow& row = Find(name);
    const int count = ArgumentCount(row);
    ArgList values;
    if (equals != std::string::npos) {
      if (count != 1) Fail(name, count == 0 ? "takes no value" : "takes " + std::string(row.Arguments));
      values.push_back(arg.substr(equals + 1));
    } else if (count == 0) {
      values.push_back("1");
    } else {
      if (i + count >= args.size()) Fail(name, std::string("needs ") + row.Arguments);
      values.assign(args.begin() + static_cast<long>(i) + 1, args.begin() + static_cast<long>(i) + 1 + count);
      i += static_cast<size_t>(count);
    }
    options.push_back({&row, values});
  }
  return options;
}

// An INI entry's value as the option's arguments: a switch's yes/no, several
// arguments separated by blanks.
ArgList IniValues(const OptionRow& row, const IniEntry& entry) {
  const int count = ArgumentCount(row);
  if (count == 0) return {Switch(row.Name, entry.Value) ? "1" : "0"};
  if (count == 1) return {entry.Value};
  ArgList values;
  std::istringstream words(entry.Value);
  for (std::string word; words >> word;) values.push_back(word);
  if (static_cast<int>(values.size()) != count) Fail(row.Name, std::string("needs ") + row.Arguments);
  return values;
}

void ApplyIniEntry(BridgeOptions& options, const IniEntry& entry) {
  if (!entry.Section.empty() && entry.Section != "bridge")
    Fail(entry.Name, "is in section [" + entry.Section +
                         "]; the bridge reads its options outside any section or "
                         "in [bridge]");
  const OptionRow& row = Find(entry.Name);
  if (row.Where == Scope::CommandLineOnly) Fail(entry.Name, "belongs on the command line, not in the INI file");
  row.Set(options, IniValues(row, entry));
}

void ApplyIniFile(BridgeOptions& options, const std::string& path) {
  std::vector<IniEntry> entries;
  try {
    entries = ReadIniFile(path);
  } catch (const EIniError& e) {
    throw EOptionError(std::string("--config: ") + e.what());
  }
  for (const IniEntry& entry : entries) {
    try {
      ApplyIniEntry(options, entry);
    } catch (const EOptionError& e) {
      throw EOptionError(path + ":" + std::to_string(entry.Line) + ": " + e.what());
    }
  }
}

// A Windows path from a drive's root or a share: "C:\\...", "\\\\server\\...".
bool IsFullWindowsPath(const std::string& path) {
  const auto separator = [](char c) { return c == '\\' || c == '/'; };
  if (path.size() >= 2 && separator(path[0]) && separator(path[1])) return true;
  return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && separator(path[2]);
}

// A service runs in the system's folder (system32), where a relative path
// would lead. An alarm command may also be a bare name, looked for in PATH.
void CheckServicePaths(const BridgeOptions& options) {
  const auto refuse = [](const char* option, const std::string& path) {
    Fail(option, Quoted(path) + " is relative, and a service runs in the system's folder: give the full path");
  };
  const std::pair<const char*, const std::string*> files[] = {{"mqtt-password-file", &options.MqttPasswordFile},
                                                              {"mqtt-cafile", &options.MqttCaFile},
                                                              {"archive", &options.ArchiveFile},
                                                              {"trace", &options.TraceFile}};
  for (const auto& [option, path] : files)
    if (!path->empty() && !IsFullWindowsPath(*path)) refuse(option, *path);
  const std::string& command = options.AlarmCommand;
  if (command.find_first_of("\\/") != std::string::npos && !IsFullWindowsPath(command))
    refuse("alarm-command", command);
}

// What only all options together tell.
void CheckTogether(const BridgeOptions& options) {
  if (!options.InstallService.empty() && options.ConfigFile.empty())
    Fail("install-service", "needs --config FILE, the configuration the service runs with");
  // A service reads its configuration as the system and runs the alarm command it names.
  if ((!options.InstallService.empty() || !options.ServiceName.empty()) && !options.ConfigFile.empty()) {
    if (const std::optional<std::string> exposure = SecretFileExposure(options.ConfigFile))
      Fail("config", options.ConfigFile + " " + *exposure);
    CheckServicePaths(options);
  }
  if (options.ExportCsv) {
    if (options.ArchiveFile.empty()) Fail("export-csv", "needs --archive FILE, the archive to export from");
    return;
  }
  if (!options.Port && !options.RemoveDiscovery)
    Fail("port", "missing: name the controller's port (COMn or a device path)");
  if (!options.MqttPasswordFile.empty() && options.MqttUser.empty())
    Fail("mqtt-password-file", "needs --mqtt-user (a broker login has a user name)");
  if (!options.MqttCaFile.empty())
    if (const std::optional<std::string> problem = CertificateFileProblem(options.MqttCaFile))
      Fail("mqtt-cafile", *problem);
  if (!options.AlarmCommand.empty())
    if (const std::optional<std::string> problem = ProgramProblem(options.AlarmCommand))
      Fail("alarm-command", *problem);
}

}  // namespace

EOptionError::EOptionError(const std::string& message) : Exception(Printable(message)) {}

int BridgeOptions::BrokerPort() const {
  if (MqttPort != 0) return MqttPort;
  return MqttCaFile.empty() ? 1883 : 8883;
}

// Unique per machine and plant: the broker drops a connection when another
// client connects with its id, and two bridges of one plant on two machines
// (or two plants of one name) would take turns forever.
std::string BridgeOptions::ClientId() const {
  return MqttClientId.empty() ? "pczentrixnet-bridge-" + HostNameForId() + "-" + Plant : MqttClientId;
}

std::string HostNameForId() {
  std::string id = ThisMachineName();
  if (id.empty()) return "localhost";
  id = id.substr(0, id.find('.'));  // the host's own name, not its domain
  for (char& c : id)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') c = '-';
  return id;
}

BridgeOptions ReadBridgeOptions(const std::vector<std::string>& args) {
  const std::vector<CommandLineOption> commandLine = SplitCommandLine(args);
  BridgeOptions options;
  for (const CommandLineOption& option : commandLine)
    if (option.Row->Where == Scope::CommandLineOnly) option.Row->Set(options, option.Values);
  if (options.ShowHelp || options.ShowVersion || options.ListPorts) return options;
  if (!options.RemoveService.empty() || options.RemoveServices) return options;
  if (!options.ConfigFile.empty()) ApplyIniFile(options, options.ConfigFile);
  for (const CommandLineOption& option : commandLine)
    if (option.Row->Where == Scope::Anywhere) option.Row->Set(options, option.Values);
  CheckTogether(options);
  return options;
}

std::string ServiceNameIn(const std::vector<std::string>& args) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--service" && i + 1 < args.size()) return ServiceName("service", args[i + 1]);
    if (args[i].rfind("--service=", 0) == 0) return ServiceName("service", args[i].substr(10));
  }
  return "";
}

std::optional<std::string> PlainLoginWarning(const BridgeOptions& options) {
  if (options.MqttUser.empty() || options.MqttPasswordFile.empty() || !options.MqttCaFile.empty() ||
      IsThisMachine(options.MqttHost))
    return std::nullopt;
  return "warning: the broker login's password goes unencrypted to " + options.MqttHost +
         ", which is not this machine; set --mqtt-cafile for TLS";
}

std::string BridgeHelpText() {
  std::string text =
      "Usage: zentrixnet-bridge --port COMn|PATH [options]\n"
      "       zentrixnet-bridge --config FILE [options]\n"
      "       zentrixnet-bridge --archive FILE --export-csv FROM TO OUTDIR [--csv STYLE]\n"
      "       zentrixnet-bridge --install-service NAME --config FILE   (Windows)\n"
      "       zentrixnet-bridge --remove-service NAME                  (Windows)\n"
      "       zentrixnet-bridge --remove-services                      (Windows)\n"
      "Polls the plant controller and publishes its values to an MQTT broker, with\n"
      "Home Assistant discovery. It changes no controller setting.\n\n"
      "Every option may also stand in the INI file as 'name = value' (without the\n"
      "dashes; a switch as 'name = true'), except --config, --help, --version,\n"
      "--list-ports and --export-csv.\n\n";
  for (const OptionRow& row : Table()) {
    std::string head =
        std::string("  --") + row.Name + (ArgumentCount(row) > 0 ? std::string(" ") + row.Arguments : "");
    head.resize(std::max<size_t>(head.size() + 2, 32), ' ');
    text += head + row.Help + "\n";
  }
  text +=
      "\nExit status: 0 after SIGTERM, SIGINT or SIGHUP (on Windows Ctrl+C, Ctrl+Break, the\n"
      "console's closing or the service's stop; \"offline\" published), 2 for a bad\n"
      "configuration, 1 when the bridge cannot run at all; with --export-csv 0 when\n"
      "the files are written, 1 when the export failed or was cancelled.\n";
  return text;
}

// As ssh does with keys: a secret that others may read is no secret.
void CheckPrivate(const std::string& path) {
  if (const std::optional<std::string> exposure = SecretFileExposure(path))
    Fail("mqtt-password-file", path + " " + *exposure);
}

std::string ReadPasswordFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail("mqtt-password-file", "cannot read " + path + " (" + std::strerror(errno) + ")");
  CheckPrivate(path);
  std::string line;
  std::getline(in, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.empty()) Fail("mqtt-password-file", path + " holds no password on its first line");
  return line;
}
