// The real bridge program with configurations it cannot run with: exit 2 and
// one line that names the option; and its help and version.
#include <fstream>

#include "base/Version.h"
#include "tests/bridge/BridgeFixture.h"

namespace {

struct Outcome {
  int Status;
  std::string Output;
};

Outcome RunBridge(const std::vector<std::string>& args) {
  ChildProcess bridge(PCZN_BRIDGE, args, {}, ChildProcess::Output::WithStandardError);
  const int status = bridge.Wait(10);
  return {status, bridge.ReadAvailable()};
}

TEST(BridgeConfigTest, ABadConfigurationExitsWith2AndOneLineNamingTheOption) {
  TempFolder folder("bridge-config");
  const std::string ini = (folder / "bridge.ini").string();
  std::ofstream(ini) << "port = COM3\nmqtt-hots = broker\n";
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
