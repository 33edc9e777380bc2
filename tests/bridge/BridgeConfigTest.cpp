// The real bridge program with configurations it cannot run with: exit 2 and
// one line that names the option; and its help and version.
#include <sys/stat.h>
#include <fstream>

#include "base/Version.h"
#include "tests/bridge/BridgeFixture.h"

namespace {

struct Outcome {
  int Status;
  std::string Output;
};

// Its lock, if it gets that far, in the folder given.
Outcome RunBridge(const std::vector<std::string>& args, const std::string& runtimeFolder = "/nonexistent") {
  ChildProcess bridge(PCZN_BRIDGE, args, {{"XDG_RUNTIME_DIR", runtimeFolder}, {"RUNTIME_DIRECTORY", ""}},
                      ChildProcess::Output::WithStandardError);
  const int status = bridge.Wait(10);
  return {status, bridge.ReadAvailable()};
}

TEST(BridgeConfigTest, ABadConfigurationExitsWith2AndOneLineNamingTheOption) {
  TempFolder folder("bridge-config");
  const std::string ini = (folder / "bridge.ini").string();
  std::ofstream(ini) << "port = COM3\nmqtt-hots = broker\n";
  const std::string latin1 = (folder / "latin1.ini").string();
  std::ofstream(latin1) << "port = COM3\nbase-topic = S\xFC"
                           "d\n";
  const std::string shared = (folder / "password").string();
  std::ofstream(shared) << "secret\n";
  chmod(shared.c_str(), 0644);
  const std::string escape = (folder / "escape.ini").string();
  std::ofstream(escape) << "port = /dev/tty\x1b[2JUSB0\n";
  const std::string notCa = (folder / "ca.pem").string();
  std::ofstream(notCa) << "not a certificate\n";
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"--port", "COM3", "--mqtt-port", "abc"}, "--mqtt-port: 'abc' is not a port number (1..65535)"},
      {{"--mqtt-host", "localhost"}, "--port: missing"},
      {{"--config", ini}, ini + ":2: --mqtt-hots: unknown option"},
      {{"--port", "COM3", "--mqtt-password", "secret"}, "--mqtt-password: a password is never given"},
      {{"--port", "COM3", "--mqtt-user", "pv", "--mqtt-password-file", (folder / "none").string()},
       "--mqtt-password-file: cannot read " + (folder / "none").string()},
      // Each of these failed at every connect (exit 1, restarted for ever) or not at all.
      {{"--config", latin1}, latin1 + ":2: --base-topic: is not valid UTF-8"},
      {{"--port", "COM3", "--mqtt-user", "pv", "--mqtt-password-file", shared},
       "--mqtt-password-file: " + shared + " may be read by others (mode 0644); make it private: chmod 600 " + shared},
      {{"--port", "COM3", "--mqtt-cafile", notCa}, "--mqtt-cafile: " + notCa + " holds no certificate"},
      // A newline in the port forged a log line; the INI case ran (exit 1) and wrote the escape raw.
      {{"--port", "/dev/ttyUSB0\ndata exchange completed; online"}, "--port: holds a control character"},
      {{"--config", escape}, escape + ":1: --port: holds a control character"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const Outcome outcome = RunBridge(c.args);
    EXPECT_EQ(outcome.Status, 2);
    EXPECT_EQ(outcome.Output.rfind("zentrixnet-bridge: " + c.message, 0), 0u) << outcome.Output;
    EXPECT_EQ(Occurrences(outcome.Output, "\n"), 1) << outcome.Output;
    EXPECT_EQ(outcome.Output.find("secret"), std::string::npos) << "a password is never repeated";
  }
}

// The port that does not exist ends it before it would contact the broker.
TEST(BridgeConfigTest, ALoginWithoutTlsToAnotherMachineIsOneWarningLineAtTheStart) {
  TempFolder folder("bridge-config");
  const std::string password = (folder / "password").string();
  std::ofstream(password) << "secret\n";
  chmod(password.c_str(), 0600);
  const std::vector<std::string> login{
      "--port",      (folder / "no-such-port").string(), "--mqtt-user", "pv", "--mqtt-password-file", password,
      "--no-archive"};
  std::vector<std::string> remote = login;
  remote.insert(remote.end(), {"--mqtt-host", "broker.example"});
  const Outcome plain = RunBridge(remote, folder.Path().string());
  EXPECT_EQ(plain.Status, 1) << plain.Output;
  EXPECT_EQ(Occurrences(plain.Output, "warning: the broker login's password goes unencrypted to broker.example"), 1)
      << plain.Output;
  EXPECT_EQ(plain.Output.find("secret"), std::string::npos);

  std::vector<std::string> local = login;
  local.insert(local.end(), {"--mqtt-host", "127.0.0.1"});
  const Outcome here = RunBridge(local, folder.Path().string());
  EXPECT_EQ(here.Status, 1) << here.Output;
  EXPECT_EQ(here.Output.find("warning"), std::string::npos) << here.Output;
}

TEST(BridgeConfigTest, HelpVersionAndPortsNeedNoPort) {
  const Outcome help = RunBridge({"--help"});
  EXPECT_EQ(help.Status, 0);
  EXPECT_NE(help.Output.find("--discovery-prefix PREFIX"), std::string::npos) << help.Output;
  const Outcome version = RunBridge({"--version"});
  EXPECT_EQ(version.Status, 0);
  EXPECT_EQ(version.Output, "zentrixnet-bridge " PCZN_VERSION "\n");
  const Outcome ports = RunBridge({"--list-ports"});
  EXPECT_EQ(ports.Status, 0);
  EXPECT_EQ(ports.Output.rfind("COM 1 \u2192 ", 0), 0u) << ports.Output;
}

}  // namespace
