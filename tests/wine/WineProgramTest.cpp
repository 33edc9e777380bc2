// The Windows program, as installed, under wine on a headless desktop against
// the simulator: COM 5 of the wine prefix leads to the simulator's terminal.
// One program run is shared by the cases, which follow each other as a
// user's session would. scripts/test-wine sets the environment:
//   PCZN_WINE_PROGRAM_DIR  the installed folder (the program, Qt, the pictures)
//   PCZN_WINE_PORTS        the folder of the comN links of the prefix
//   PCZN_WINE_SHIM         the modem-line shim preloaded into wine
//   WINEPREFIX             the prefix
//   PCZN_SCREENSHOT_DIR    where the views' screenshots go (optional)
//   PCZN_WINE_START_MENU_ENTRY  the program's Start menu entry (.lnk), to
//                          start it through (optional; the setup's test sets it)
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include <pwd.h>
#include <unistd.h>

#include "tests/support/Ser2netServer.h"
#include "tools/desktop/PlantSession.h"
#include "tools/desktop/WizardSteps.h"

namespace {

// The cycle is paced by a one-second timer: connection, 24 ticks, the
// exchange, the refresh at tick 41, commands up to tick 54.
constexpr int CycleMs = 60000;
constexpr int Com = 5;
// The controller's clock stays in its start minute (speed 0.001), so the
// program's plant file equals the simulator's own for the same plant.
const QStringList Plant = {"--seed", "5", "--start", "2023-06-21 13:00", "--speed", "0.001"};

struct SharedRun {
  Desktop desktop;
  std::unique_ptr<PlantSession> session;
};
SharedRun* Shared = nullptr;

QString Env(const char* name) { return qEnvironmentVariable(name); }

// A Linux path as the Windows program sees it: on drive Z:.
QString WindowsPath(const QString& path) {
  return QStringLiteral("Z:") + QString(path).replace(QLatin1Char('/'), QLatin1Char('\\'));
}

// %APPDATA%\PCZentrixNet\ports of the prefix's user (wine names the user as Linux does).
QString PortsEntriesOfThePrefix() {
  const passwd* user = getpwuid(getuid());
  return Env("WINEPREFIX") + QStringLiteral("/drive_c/users/") +
         QString::fromLocal8Bit(user != nullptr ? user->pw_name : "root") +
         QStringLiteral("/AppData/Roaming/PCZentrixNet/ports");
}

WineProgram TheInstalledProgram() {
  return WineProgram{Env("PCZN_WINE_PROGRAM_DIR"), Env("PCZN_WINE_PORTS"), Env("PCZN_WINE_SHIM"),
                     Env("PCZN_WINE_START_MENU_ENTRY"), PortsEntriesOfThePrefix()};
}

// The blocks of a whole data exchange in the simulator's log.
void ExpectEveryBlockSent(const QString& log) {
  for (int type : {2, 3, 4, 5, 6, 7, 8, 9, 10, 14, 15})
    EXPECT_TRUE(log.contains(QStringLiteral("SIM>PC FF FA CD %1 ").arg(type, 2, 16, QLatin1Char('0')).toUpper()))
        << "block " << type;
}

// Where the screenshots go.
QString ShotsDir() {
  const QString dir = Env("PCZN_SCREENSHOT_DIR").isEmpty() ? Shared->session->WorkDir() : Env("PCZN_SCREENSHOT_DIR");
  QDir().mkpath(dir);
  return dir;
}

class WineProgramTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    Shared = new SharedRun;
    ASSERT_FALSE(Env("PCZN_WINE_PROGRAM_DIR").isEmpty()) << "run by scripts/test-wine";
    ASSERT_TRUE(QFile::exists(Env("PCZN_WINE_PROGRAM_DIR") + QStringLiteral("/PCZentrixNet.exe")));
    ASSERT_TRUE(Shared->desktop.Start()) << Shared->desktop.Error().toStdString();
    ASSERT_TRUE(Shared->desktop.MapUmlautKeys()) << "xmodmap (x11-xserver-utils) is needed";
    Shared->session =
        std::make_unique<PlantSession>(Shared->desktop, QStringLiteral(PCZN_BIN_DIR), TheInstalledProgram());
    ASSERT_TRUE(Shared->session->StartSimulator(Plant, Com));
    ASSERT_TRUE(Shared->session->StartProgram())
        << Shared->session->StartFailure().toStdString() << Shared->session->ProgramErrors().toStdString();
  }
  static void TearDownTestSuite() {
    if (qEnvironmentVariableIsSet("PCZN_E2E_TRACE")) Shared->session->KeepWorkDir();
    delete Shared;
    Shared = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(Shared && Shared->session && Shared->session->ProgramRunning()); }
  PlantSession& S() { return *Shared->session; }
  Desktop& D() { return Shared->desktop; }
};

TEST_F(WineProgramTest, ChoosingCom5ExchangesWithTheController) {
  EXPECT_TRUE(D().Screenshot(QString(), QDir(ShotsDir()).filePath(QStringLiteral("windows-start.png"))));
  S().ClickPortButton(Com);
  ASSERT_TRUE(D().FindWindow(QStringLiteral("Tagesdaten"), 15000)) << "the daily chart comes up with the port";
  EXPECT_FALSE(S().WaitForLog(QStringLiteral("ConnectAnswer ready"), 15000).isEmpty());
  ASSERT_FALSE(S().WaitForLog(QStringLiteral("EndOfExchange"), CycleMs + 15000).isEmpty())
      << S().SimulatorLog().right(2000).toStdString();
  ExpectEveryBlockSent(S().SimulatorLog());
  // The processor share of the program while it polls, a figure for the
  // comparison with the native program (scripts/bench's program_bench).
  const long cpuBefore = S().ProgramCpuMs();
  const long serverBefore = PlantSession::WineServerCpuMs();
  QElapsedTimer polling;
  polling.start();
  QThread::msleep(20000);  // past the views' refresh at tick 41
  const double elapsed = double(polling.elapsed());
  const double share = 100.0 * double(S().ProgramCpuMs() - cpuBefore) / elapsed;
  const double serverShare = 100.0 * double(PlantSession::WineServerCpuMs() - serverBefore) / elapsed;
  std::printf("wine polling: the program used %.2f %% of a core over %.0f ms, the wine server %.2f %%\n", share,
              elapsed, serverShare);
  RecordProperty("wine_polling_cpu_percent", std::to_string(share));
  EXPECT_TRUE(D().WindowVisible(QStringLiteral("Tagesdaten")));
}

TEST_F(WineProgramTest, EveryViewOpensFromTheMenu) {
  // The pictures' names, in the order of the menu's items.
  const char* files[] = {"daily-chart", "monthly-chart", "yearly-chart", "year-balance",
                         "day-balance", "plant-yield",   "daily-values", "settings"};
  const QString shots = ShotsDir();
  for (int item = 0; item < 8; ++item) {
    const QString title = QString::fromUtf8(ViewTitles[item]);
    S().ChooseMenuItem(Menu::Anlagendaten, item);
    EXPECT_TRUE(D().FindWindow(title, 10000)) << ViewTitles[item];
    QThread::msleep(2500);  // wine repaints the closed menu's area late; the picture waits for it
    const QString shot = QDir(shots).filePath(QStringLiteral("windows-%1.png").arg(QString::fromUtf8(files[item])));
    EXPECT_TRUE(D().Screenshot(title, shot)) << ViewTitles[item];
  }
  // The whole screen: the main window with the view in front of it.
  S().ChooseMenuItem(Menu::Anlagendaten, 6);
  QThread::msleep(1000);
  EXPECT_TRUE(D().Screenshot(QString(), QDir(shots).filePath(QStringLiteral("windows-screen.png"))));
}

TEST_F(WineProgramTest, ASavedPlantFileEqualsTheControllersOwn) {
  const QString reference = S().File(QStringLiteral("reference.sol"));
  QProcess sim;
  sim.start(QStringLiteral(PCZN_BIN_DIR "/zentrixnet-sim"), Plant + QStringList{"--write-sol", reference});
  ASSERT_TRUE(sim.waitForFinished(60000) && sim.exitCode() == 0);

  const QString saved = S().File(QStringLiteral("plant.sol"));
  S().ChooseMenuItem(Menu::Datei, 1);
  ASSERT_TRUE(D().FindWindow(QStringLiteral("Speichern unter"), 10000)) << "no save dialog";
  S().AnswerFileDialog(WindowsPath(saved));
  for (int i = 0; i < 600 && !QFile::exists(saved); ++i) QThread::msleep(100);  // a minute on a loaded machine
  QFile program(saved), controller(reference);
  ASSERT_TRUE(program.open(QIODevice::ReadOnly)) << "no file written";
  ASSERT_TRUE(controller.open(QIODevice::ReadOnly));
  const QByteArray bytes = program.readAll();
  EXPECT_EQ(bytes.size(), 3220);
  EXPECT_TRUE(bytes == controller.readAll()) << "the saved plant file differs from the simulator's --write-sol";
}

// A folder and a file name with umlauts and spaces, typed into the save
// dialog: the file is written under that name, and nothing else is left beside
// it. (xdotool types no letter outside Latin-1 into wine; names with one are
// tested in the plant file's and the windows' tests under wine.)
TEST_F(WineProgramTest, APlantFileSavesUnderANameWithUmlauts) {
  const QString folder = S().File(QStringLiteral("Eigene Dateien Büro"));
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString saved = QDir(folder).filePath(QStringLiteral("Anlage Müller.sol"));
  S().ChooseMenuItem(Menu::Datei, 1);
  ASSERT_TRUE(D().FindWindow(QStringLiteral("Speichern unter"), 10000)) << "no save dialog";
  // Typed at a human pace: on a loaded machine wine has dropped a remapped umlaut key typed faster.
  S().AnswerFileDialog(WindowsPath(saved), 100);
  for (int i = 0; i < 600 && !QFile::exists(saved); ++i) QThread::msleep(100);  // a minute on a loaded machine
  EXPECT_EQ(QFileInfo(saved).size(), 3220) << S().ProgramErrors().toStdString();
  EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System),
            QStringList{QStringLiteral("Anlage Müller.sol")});
}

TEST_F(WineProgramTest, AWizardSettingReachesTheController) {
  ASSERT_TRUE(EnterMeterCountInWizard(S(), D(), 7));
  // At the next command tick the meter count's frame goes out, byte for byte.
  const QString sent = S().WaitForLog(QStringLiteral("PC>SIM FE 8F 09 01 25 00 07 00 C3"), CycleMs + 15000);
  EXPECT_FALSE(sent.isEmpty()) << S().SimulatorLog().right(2000).toStdString();
}

TEST_F(WineProgramTest, AnUnpluggedControllerIsReportedOnce) {
  const int before = S().LogLineCount();
  ASSERT_FALSE(S().WaitForLog(QStringLiteral("Request"), CycleMs + 15000, before).isEmpty());
  S().KillSimulator();
  // The exception display shows one message box titled like the program.
  ASSERT_TRUE(D().FindWindow(QStringLiteral("PCZentrixNet"), 30000)) << "the loss was not reported";
  EXPECT_TRUE(S().DismissErrorBox());
  QThread::msleep(5000);  // a reported loss is not reported again
  EXPECT_FALSE(D().FindWindow(QStringLiteral("PCZentrixNet"), 0)) << "the loss was reported twice";
  EXPECT_TRUE(S().ProgramRunning());
}

// A remote plant's controller behind a serial device server, set up as its
// owner does on Windows: COM 4 is a text file in %APPDATA%\PCZentrixNet\ports
// naming ser2net's RFC 2217 port, which serves the simulator's terminal.
// Nothing of the prefix leads to the terminal itself, so every byte of the
// exchange crosses the Telnet connection. (After the shared run: one program
// on the desktop at a time.)
TEST(WineProgramBehindAComServer, ThePortsFileLeadsToTheControllerForAWholeExchange) {
  constexpr int ServedPort = 4;
  ASSERT_TRUE(Ser2netServer::Installed()) << Ser2netServer::Program() << " is missing: run scripts/install-deps";
  Desktop desktop;
  ASSERT_TRUE(desktop.Start()) << desktop.Error().toStdString();
  PlantSession session(desktop, QStringLiteral(PCZN_BIN_DIR), TheInstalledProgram());
  ASSERT_TRUE(session.StartSimulator(Plant, 0)) << session.StartFailure().toStdString();
  Ser2netServer server(std::filesystem::path(session.File(QStringLiteral("ser2net")).toStdString()));
  const std::string name = server.Serve(session.SimulatorTerminal().toStdString(), Ser2netServer::Protocol::Rfc2217);
  ASSERT_TRUE(server.Start()) << server.Log();
  ASSERT_TRUE(session.NamePort(ServedPort, QString::fromStdString(name)));
  ASSERT_TRUE(session.StartProgram()) << session.StartFailure().toStdString() << session.ProgramErrors().toStdString();

  session.ClickPortButton(ServedPort);
  ASSERT_TRUE(desktop.FindWindow(QStringLiteral("Tagesdaten"), 15000)) << "the daily chart comes up with the port";
  EXPECT_FALSE(session.WaitForLog(QStringLiteral("ConnectAnswer ready"), 30000).isEmpty())
      << session.ProgramErrors().toStdString();
  ASSERT_FALSE(session.WaitForLog(QStringLiteral("EndOfExchange"), CycleMs + 15000).isEmpty())
      << session.SimulatorLog().right(2000).toStdString() << server.Log();
  ExpectEveryBlockSent(session.SimulatorLog());
  QThread::msleep(20000);  // past the views' refresh at tick 41, which draws the exchange's data
  EXPECT_TRUE(desktop.WindowVisible(QStringLiteral("Tagesdaten")));
  EXPECT_TRUE(server.Running()) << server.Log();
  if (!Env("PCZN_SCREENSHOT_DIR").isEmpty()) {
    QDir().mkpath(Env("PCZN_SCREENSHOT_DIR"));
    EXPECT_TRUE(desktop.Screenshot(
        QString(), QDir(Env("PCZN_SCREENSHOT_DIR")).filePath(QStringLiteral("windows-network-port.png"))));
  }
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");  // the twins of this process; the program gets the desktop
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
