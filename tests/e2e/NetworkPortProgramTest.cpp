// The real program reaching its controller through a serial device server:
// COM 4 of the program's ports folder is a text file naming ser2net's
// RFC 2217 port, and ser2net serves the simulator's terminal. Nothing in the
// folder leads to the terminal itself, so every byte of the cycle crosses the
// Telnet connection.
#include <gtest/gtest.h>

#include <filesystem>

#include "FirstCycleSteps.h"
#include "tests/support/Ser2netServer.h"

namespace {

constexpr int ServedPort = 4;

TEST(ProgramBehindAComServer, ThePortsFolderFileLeadsToTheControllerForAWholeCycle) {
  ASSERT_TRUE(Ser2netServer::Installed()) << Ser2netServer::Program() << " is missing: run scripts/install-deps";
  Desktop desktop;
  ASSERT_TRUE(desktop.Start()) << desktop.Error().toStdString();
  PlantSession session(desktop, QStringLiteral(PCZN_BIN_DIR));
  ASSERT_TRUE(session.StartSimulator({"--start", "2026-06-21 13:07", "--meters", "5"}, 0));
  Ser2netServer server(std::filesystem::path(session.File(QStringLiteral("ser2net")).toStdString()));
  const std::string name = server.Serve(session.SimulatorTerminal().toStdString(), Ser2netServer::Protocol::Rfc2217);
  ASSERT_TRUE(server.Start());
  ASSERT_TRUE(session.NamePort(ServedPort, QString::fromStdString(name)));
  ASSERT_TRUE(session.StartProgram());

  ExpectFirstCycleExchanges(session, desktop, ServedPort);
  EXPECT_TRUE(server.Running()) << server.Log();
}

}  // namespace
