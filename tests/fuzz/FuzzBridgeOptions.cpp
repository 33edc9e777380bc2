// Fuzz target: the bridge's configuration. Any bytes are an INI file that
// --config names, and, split at NUL or newline, a command line.
//
// An accepted configuration holds only what the bridge can run with: broker
// texts in UTF-8 without control characters, topics without wildcards or an
// empty level at either end, a plant id of letters, digits, '_' and '-', port
// numbers and the tick in range, a controller port unless nothing is polled;
// and the file's entries given as "--name=value" arguments give the same
// options. A refusal names an option, or the file and a line of it that can
// be what the message says, and is UTF-8 text without control characters. A
// secret planted into the file (a bare line, a password entry) is refused and
// never appears in the message.
#include <sys/stat.h>

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "bridge/BridgeOptions.h"
#include "bridge/IniFile.h"
#include "bridge/ValueChecks.h"

namespace {

using Args = std::vector<std::string>;

// Looks like a password and stands nowhere in the bridge's messages.
const std::string Secret = "Zq7-s3cr3t-4Kx9";

// The INI file the fuzzer's bytes are written to, in a folder of its own
// that is removed at exit.
const std::string& IniPath();

void RemoveScratchFolder() {
  unlink(IniPath().c_str());
  rmdir(IniPath().substr(0, IniPath().rfind('/')).c_str());
}

std::string MakeScratchIni() {
  const char* temp = std::getenv("TMPDIR");
  std::string folder = std::string(temp ? temp : "/tmp") + "/fuzz_bridge.XXXXXX";
  FUZZ_CHECK(mkdtemp(folder.data()), "a scratch folder is made");
  return folder + "/bridge.ini";
}

const std::string& IniPath() {
  static const std::string path = MakeScratchIni();
  // Registered after the path, so run before the path is destroyed.
  static const bool removedAtExit = std::atexit(RemoveScratchFolder) == 0;
  (void)removedAtExit;
  return path;
}

void WriteIni(const std::string& text) {
  FILE* file = std::fopen(IniPath().c_str(), "wb");
  FUZZ_CHECK(file && std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fclose(file) == 0,
             "the scratch INI file is written");
}

struct Outcome {
  std::optional<BridgeOptions> Options;
  std::string Error;
};

// Anything but an EOptionError escapes and is a finding.
Outcome Read(const Args& args) {
  try {
    return {ReadBridgeOptions(args), {}};
  } catch (const EOptionError& e) {
    return {std::nullopt, e.what()};
  }
}

// Reading must not block or take forever: the input is skipped when a file
// the options name is a device, a pipe or a large file.
bool IsHarmlessToRead(const std::string& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) return true;
  return S_ISDIR(status.st_mode) || (S_ISREG(status.st_mode) && status.st_size < (1 << 20));
}

bool IniReadsOnlyHarmlessFiles(const std::string& iniPath);

bool ArgsReadOnlyHarmlessFiles(const Args& args) {
  for (size_t i = 0; i < args.size(); ++i) {
    for (const std::string option : {"--config", "--mqtt-cafile"}) {
      std::optional<std::string> value;
      if (args[i] == option && i + 1 < args.size()) value = args[i + 1];
      if (args[i].rfind(option + "=", 0) == 0) value = args[i].substr(option.size() + 1);
      if (value && !IsHarmlessToRead(*value)) return false;
      if (value && option == "--config" && !IniReadsOnlyHarmlessFiles(*value)) return false;
    }
  }
  return true;
}

bool IniReadsOnlyHarmlessFiles(const std::string& iniPath) {
  try {
    for (const IniEntry& entry : ReadIniFile(iniPath))
      if (entry.Name == "mqtt-cafile" && !IsHarmlessToRead(entry.Value)) return false;
  } catch (const EIniError&) {
  }
  return true;
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

bool HasControl(std::string_view text) { return std::any_of(text.begin(), text.end(), IsControl); }

// ---- accepted configurations ------------------------------------------------

void CheckBrokerText(const std::string& text, bool mayBeEmpty, const char* what) {
  FUZZ_CHECK(mayBeEmpty || !text.empty(), what);
  FUZZ_CHECK(!TextProblem(text) && !HasControl(text), what);
}

void CheckTopic(const std::string& topic, const char* what) {
  CheckBrokerText(topic, false, what);
  FUZZ_CHECK(topic.find_first_of("+#") == std::string::npos, what);
  FUZZ_CHECK(topic.front() != '/' && topic.back() != '/', what);
}

bool IsPlantIdCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

void CheckPort(const BridgeOptions& o) {
  const bool pollsNothing = o.ExportCsv || o.RemoveDiscovery || o.ShowHelp || o.ShowVersion || o.ListPorts;
  FUZZ_CHECK(o.Port || pollsNothing, "a configuration that polls names the controller's port");
  if (o.Port)
    FUZZ_CHECK((o.Port->Number >= 1 && o.Port->Number <= 255 && o.Port->Path.empty()) ||
                   (o.Port->Number == 0 && !o.Port->Path.empty()),
               "a port is COM 1..255 or a device path");
}

void CheckAccepted(const BridgeOptions& o) {
  if (o.ShowHelp || o.ShowVersion || o.ListPorts) return;  // nothing else is checked then
  CheckBrokerText(o.MqttHost, false, "the broker host is a text for the broker");
  FUZZ_CHECK(o.MqttHost.find_first_of(" \t") == std::string::npos, "the broker host is one word");
  FUZZ_CHECK(o.MqttPort == 0 || (o.MqttPort >= 1 && o.MqttPort <= 65535), "the broker port is in range");
  FUZZ_CHECK(o.BrokerPort() >= 1 && o.BrokerPort() <= 65535, "the port connected to is in range");
  CheckBrokerText(o.MqttClientId, true, "a client id is a text for the broker");
  CheckBrokerText(o.ClientId(), false, "the client id used is a text for the broker");
  CheckBrokerText(o.MqttUser, true, "a user is a text for the broker");
  FUZZ_CHECK(o.MqttPasswordFile.empty() || !o.MqttUser.empty(), "a password goes with a user");
  CheckTopic(o.BaseTopic, "the base topic is a topic to publish under");
  CheckTopic(o.DiscoveryPrefix, "the discovery prefix is a topic to publish under");
  FUZZ_CHECK(!o.Plant.empty() && std::all_of(o.Plant.begin(), o.Plant.end(), IsPlantIdCharacter),
             "the plant id is letters, digits, '_' and '-'");
  FUZZ_CHECK(o.TickMs >= 1 && o.TickMs <= 60000, "the tick is in range");
  FUZZ_CHECK(o.MqttCaFile.empty() || !CertificateFileProblem(o.MqttCaFile), "a certificate authority file holds one");
  CheckPort(o);
  if (o.ExportCsv)
    FUZZ_CHECK(o.ExportCsv->Days.From <= o.ExportCsv->Days.To && !o.ExportCsv->Folder.empty() && !o.ArchiveFile.empty(),
               "an export has days in order, a folder and an archive");
}

bool SameOptions(const BridgeOptions& a, const BridgeOptions& b) {
  const auto port = [](const BridgeOptions& o) {
    return o.Port ? std::make_pair(o.Port->Number, o.Port->Path) : std::make_pair(-1, std::string());
  };
  return port(a) == port(b) && a.MqttHost == b.MqttHost && a.MqttPort == b.MqttPort &&
         a.MqttClientId == b.MqttClientId && a.MqttUser == b.MqttUser && a.MqttPasswordFile == b.MqttPasswordFile &&
         a.MqttCaFile == b.MqttCaFile && a.BaseTopic == b.BaseTopic && a.Plant == b.Plant &&
         a.DiscoveryPrefix == b.DiscoveryPrefix && a.Discovery == b.Discovery &&
         a.RemoveDiscovery == b.RemoveDiscovery && a.ArchiveFile == b.ArchiveFile && a.Archiving == b.Archiving &&
         a.CsvStyle == b.CsvStyle && a.TickMs == b.TickMs && !a.ExportCsv && !b.ExportCsv;
}

// The file's entries as a command line: "--name=value" in file order; the
// switches, which the command line can only set, as the file left them.
Args AsCommandLine(const std::vector<IniEntry>& entries, const BridgeOptions& fromFile) {
  Args args;
  for (const IniEntry& entry : entries)
    if (entry.Name != "no-discovery" && entry.Name != "remove-discovery" && entry.Name != "no-archive")
      args.push_back("--" + entry.Name + "=" + entry.Value);
  if (!fromFile.Discovery) args.push_back("--no-discovery");
  if (fromFile.RemoveDiscovery) args.push_back("--remove-discovery");
  if (!fromFile.Archiving) args.push_back("--no-archive");
  return args;
}

void CheckAcceptedFile(const BridgeOptions& o, const std::string& text) {
  CheckAccepted(o);
  FUZZ_CHECK(o.ConfigFile == IniPath() && !o.ShowHelp && !o.ShowVersion && !o.ListPorts && !o.ExportCsv,
             "the file sets no command-line-only option");
  std::vector<IniEntry> entries;
  try {
    entries = ParseIni(text, IniPath());
  } catch (const EIniError&) {
    FUZZ_CHECK(false, "an accepted file parses");
  }
  const Outcome again = Read(AsCommandLine(entries, o));
  FUZZ_CHECK(again.Options, "the file's entries are accepted as a command line");
  FUZZ_CHECK(SameOptions(o, *again.Options), "the file and the command line give the same options");
}

// ---- refusals -----------------------------------------------------------------

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// The line number after "<prefix>" and before ": ", or 0.
int LineAfter(const std::string& message, const std::string& prefix) {
  if (message.rfind(prefix, 0) != 0) return 0;
  size_t at = prefix.size(), digits = 0;
  while (at + digits < message.size() && digits < 9 && message[at + digits] >= '0' && message[at + digits] <= '9')
    ++digits;
  if (digits == 0 || message.compare(at + digits, 2, ": ") != 0) return 0;
  return std::stoi(message.substr(at, digits));
}

std::string Trimmed(const std::string& line) {
  const size_t first = line.find_first_not_of(" \t\r");
  return first == std::string::npos ? "" : line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

// Returns the line a refusal of the file names, 0 when it names an option alone.
int CheckFileRefusal(const std::string& message, const std::string& text) {
  FUZZ_CHECK(!TextProblem(message), "a refusal is UTF-8 text without control characters");
  const std::vector<std::string> lines = Lines(text);
  const int unreadable = LineAfter(message, "--config: " + IniPath() + ":");
  const int badEntry = LineAfter(message, IniPath() + ":");
  const int line = std::max(unreadable, badEntry);
  FUZZ_CHECK(line > 0 || message.rfind("--", 0) == 0, "a refusal names an option or the file and line");
  FUZZ_CHECK(line <= static_cast<int>(lines.size()), "a refusal names a line the file has");
  if (unreadable) {
    const std::string bad = Trimmed(lines[unreadable - 1]);
    FUZZ_CHECK(!bad.empty() && bad[0] != '#' && bad[0] != ';', "an unreadable line is neither blank nor a comment");
  }
  if (badEntry) {
    FUZZ_CHECK(lines[badEntry - 1].find('=') != std::string::npos, "a refused entry's line holds one");
    FUZZ_CHECK(message.compare(message.find(": ") + 2, 2, "--") == 0, "a refused entry names its option");
  }
  return line;
}

// "--name: ...", "'argument': not an option", or "<config file>:<line>: --name: ...".
void CheckCommandLineRefusal(const std::string& message) {
  FUZZ_CHECK(!TextProblem(message), "a refusal is UTF-8 text without control characters");
  FUZZ_CHECK(message.rfind("--", 0) == 0 || message.rfind("'", 0) == 0 || message.find(": --") != std::string::npos,
             "a refusal names an option, an argument or the file and line");
}

// The text with a secret as line `index` (0-based): alone, as a password
// entry, or quoted in a password entry.
std::string WithSecret(const std::string& text, size_t index, int form) {
  static const std::string forms[] = {Secret, "mqtt-password = " + Secret, "password=\"" + Secret + "\""};
  size_t at = 0;
  for (size_t i = 0; i < index; ++i) at = text.find('\n', at) + 1;
  const std::string before = text.substr(0, at);
  const bool needsBreak = !before.empty() && before.back() != '\n';
  return before + (needsBreak ? "\n" : "") + forms[form] + "\n" + text.substr(at);
}

void CheckSecretRefused(const std::string& text) {
  if (text.find(Secret) != std::string::npos) return;
  const size_t lineCount = Lines(text).size();
  const size_t index = text.size() % (lineCount + 1);
  const int form = static_cast<int>(text.size() / 7 % 3);
  const std::string planted = WithSecret(text, index, form);
  WriteIni(planted);
  const Outcome outcome = Read({"--config", IniPath()});
  FUZZ_CHECK(!outcome.Options, "a file with a password in it is refused");
  FUZZ_CHECK(outcome.Error.find(Secret) == std::string::npos, "a refusal never repeats a secret");
  const int line = CheckFileRefusal(outcome.Error, planted);
  const size_t secretAt = planted.find(Secret);
  const int secretLine = static_cast<int>(std::count(planted.begin(), planted.begin() + secretAt, '\n')) + 1;
  if (form == 0)
    FUZZ_CHECK(line >= 1 && line <= secretLine, "a bare secret line is refused where it stands, or before");
}

// ---- the two readings ------------------------------------------------------------

void CheckAsFile(const std::string& text) {
  WriteIni(text);
  if (!IniReadsOnlyHarmlessFiles(IniPath())) return;
  const Outcome outcome = Read({"--config", IniPath()});
  if (outcome.Options) CheckAcceptedFile(*outcome.Options, text);
  else CheckFileRefusal(outcome.Error, text);
  CheckSecretRefused(text);
}

Args SplitArguments(const std::string& text) {
  Args args;
  size_t start = 0;
  for (size_t end; (end = text.find_first_of(std::string_view("\n\0", 2), start)) != std::string::npos; start = end + 1)
    args.push_back(text.substr(start, end - start));
  if (start < text.size()) args.push_back(text.substr(start));
  return args;
}

void CheckAsCommandLine(const std::string& text) {
  const Args args = SplitArguments(text);
  if (!ArgsReadOnlyHarmlessFiles(args)) return;
  const Outcome outcome = Read(args);
  if (outcome.Options) CheckAccepted(*outcome.Options);
  else CheckCommandLineRefusal(outcome.Error);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckAsFile(text);
  CheckAsCommandLine(text);
  return 0;
}
