// The program's answers on the command line, from the real program: what
// --list-ports shows for a COM number linked to the simulator's terminal.
#include <gtest/gtest.h>

#include "tests/support/ChildProcess.h"
#include "tests/support/SimulatorProcess.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TempPortsFolder.h"

namespace {

TEST(ProgramCommandLine, ListPortsShowsTheComPortLinkedToTheSimulatorAsPresent) {
  TempPortsFolder ports;
  TempFolder folder("list-ports");
  SimulatorProcess sim(ports.ConfigHome(), (folder / "sim.log").string());
  ASSERT_TRUE(sim.Start(3, {}));
  // No display: the answer comes before any window is made.
  ChildProcess program(PCZN_PROGRAM, {"--list-ports"},
                       {{"XDG_CONFIG_HOME", ports.ConfigHome()}, {"DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}});
  EXPECT_EQ(program.Wait(10), 0);
  const std::string out = program.ReadAvailable();
  EXPECT_NE(out.find("COM 3 \u2192 " + sim.Device() + " (vorhanden)\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("COM 3 \u2192 " + sim.Device() + " (nicht"), std::string::npos) << out;
}

}  // namespace
