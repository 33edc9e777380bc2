#include "tools/desktop/PlantSession.h"

#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <fstream>
#include <sstream>

#include "tools/desktop/ShellLink.h"
#include "tools/desktop/StartedProcesses.h"

namespace {

// A path of the wine prefix (C:\...) as the Linux side names it, through the
// prefix's drive links. Read without a wine process: one started here, without
// the desktop's display, would start the prefix's session without a display.
QString UnixPath(const QString& windowsPath) {
  if (windowsPath.size() < 3 || windowsPath[1] != QLatin1Char(':')) return {};
  QString rest = windowsPath.mid(2);
  rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
  return QDir(qEnvironmentVariable("WINEPREFIX"))
             .filePath(QStringLiteral("dosdevices/") + windowsPath.left(2).toLower()) +
         rest;
}

constexpr int MainClientWidth = 792;
constexpr int MainClientHeight = 574;
const QString MainTitle = QStringLiteral("PCZentrixNet ");

// How long a process may take to show it is up before the run gives up on
// it: a new machine reads every library from a cold disk on the first start.
constexpr int StartLimitMs = 300000;
constexpr int WineStartLimitMs = 600000;

QString ReadText(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll());
}

QString LastLines(const QString& text, int count) {
  const QStringList lines = text.trimmed().split(QLatin1Char('\n'));
  const QString last = lines.mid(std::max<qsizetype>(0, lines.size() - count)).join(QStringLiteral("\n    "));
  return last.isEmpty() ? QStringLiteral("(nothing)") : last;
}

// "ended with exit status 3" or "was killed by signal 9", for a process that ended.
QString HowItEnded(const QProcess& process) {
  return process.exitStatus() == QProcess::CrashExit
             ? QStringLiteral("was ended by a signal")
             : QStringLiteral("ended with exit status %1").arg(process.exitCode());
}

}  // namespace

PlantSession::PlantSession(Desktop& desktop, const QString& binDir) : desktop_(desktop), binDir_(binDir) {
  QDir(work_.path()).mkpath(QStringLiteral("config/PCZentrixNet/ports"));
  QDir(work_.path()).mkpath(QStringLiteral("runtime"));
  QFile::setPermissions(work_.filePath(QStringLiteral("runtime")),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  for (const char* picture : {"b1.bmp", "b2.bmp", "b3.bmp", "b4.bmp", "b5.bmp", "b6.bmp", "splash.bmp"})
    QFile::copy(QDir(binDir_).filePath(picture), work_.filePath(picture));
}

PlantSession::PlantSession(Desktop& desktop, const QString& binDir, const WineProgram& wine)
    : PlantSession(desktop, binDir) {
  wine_ = wine;
}

PlantSession::~PlantSession() {
  QuitProgram();
  StopSimulator();
  for (const QString& entry : namedEntries_) QFile::remove(entry);
}

bool PlantSession::StartSimulator(const QStringList& options, int com) {
  StopSimulator();
  simLog_ = work_.filePath(QStringLiteral("sim-%1.log").arg(++simRuns_));
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), work_.filePath(QStringLiteral("config")));
  sim_.setProcessEnvironment(env);
  sim_.setProgram(QDir(binDir_).filePath(QStringLiteral("zentrixnet-sim")));
  const QStringList port = wine_ || com == 0 ? QStringList() : QStringList{"--com", QString::number(com)};
  sim_.setArguments(port + QStringList{"--log", simLog_} + options);
  sim_.start();
  if (!sim_.waitForStarted(30000)) {
    failure_ = QStringLiteral("the simulator (%1) does not start: %2").arg(sim_.program(), sim_.errorString());
    return false;
  }
  StartedProcesses::Add(pid_t(sim_.processId()));
  // Its first line names its terminal; a loaded machine can take a while.
  QElapsedTimer timer;
  timer.start();
  while (!sim_.canReadLine() && sim_.state() == QProcess::Running && timer.elapsed() < StartLimitMs)
    sim_.waitForReadyRead(1000);
  simTerminal_ = QString::fromLocal8Bit(sim_.readLine()).trimmed();
  if (!simTerminal_.startsWith(QStringLiteral("/dev/"))) {
    const QString said = simTerminal_ + QString::fromLocal8Bit(sim_.readAllStandardOutput()) +
                         QString::fromLocal8Bit(sim_.readAllStandardError());
    failure_ = sim_.state() == QProcess::Running
                   ? QStringLiteral("the simulator (%1) named no terminal within %2 s")
                         .arg(sim_.program())
                         .arg(timer.elapsed() / 1000)
                   : QStringLiteral("the simulator (%1) %2").arg(sim_.program(), HowItEnded(sim_));
    failure_ += QStringLiteral("; its last lines:\n    ") + LastLines(said, 10);
    return false;
  }
  if (!wine_ || com == 0) return true;
  // The prefix's COMn is a link of our own that leads to the simulator's terminal.
  const QString link = QDir(wine_->PortsDir).filePath(QStringLiteral("com%1").arg(com));
  QFile::remove(link);
  return QFile::link(simTerminal_, link);
}

bool PlantSession::NamePort(int com, const QString& networkName) {
  const bool inPrefix = wine_ && !wine_->PortsEntries.isEmpty();
  const QString folder = inPrefix ? wine_->PortsEntries : work_.filePath(QStringLiteral("config/PCZentrixNet/ports"));
  QDir().mkpath(folder);
  QFile entry(QDir(folder).filePath(QStringLiteral("COM%1").arg(com)));
  entry.remove();
  if (inPrefix) namedEntries_ << entry.fileName();
  return entry.open(QIODevice::WriteOnly) && entry.write((networkName + QLatin1Char('\n')).toUtf8()) > 0;
}

void PlantSession::KillSimulator() {
  if (sim_.state() == QProcess::NotRunning) return;
  StartedProcesses::Remove(pid_t(sim_.processId()));
  sim_.kill();
  sim_.waitForFinished(3000);
}

void PlantSession::StopSimulator() {
  if (sim_.state() == QProcess::NotRunning) return;
  StartedProcesses::Remove(pid_t(sim_.processId()));
  sim_.terminate();
  if (!sim_.waitForFinished(3000)) KillSimulator();
}

QString PlantSession::SimulatorLog() const { return ReadText(simLog_); }

int PlantSession::LogLineCount() const { return SimulatorLog().count(QLatin1Char('\n')); }

QString PlantSession::WaitForLog(const QString& text, int timeoutMs, int skipLines) const {
  QElapsedTimer timer;
  timer.start();
  do {
    const QStringList lines = SimulatorLog().split(QLatin1Char('\n'));
    for (int i = skipLines; i < lines.size(); ++i)
      if (lines[i].contains(text)) return lines[i];
    QThread::msleep(200);
  } while (timer.elapsed() < timeoutMs);
  return {};
}

bool PlantSession::StartProgram(const QStringList& arguments, const std::function<void(int)>& waiting) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), work_.filePath(QStringLiteral("config")));
  env.insert(QStringLiteral("XDG_DATA_HOME"), work_.filePath(QStringLiteral("data")));
  env.insert(QStringLiteral("DISPLAY"), desktop_.Display());
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), work_.filePath(QStringLiteral("runtime")));
  env.remove(QStringLiteral("QT_QPA_PLATFORM"));
  program_.setWorkingDirectory(ProgramDir());
  program_.setStandardErrorFile(work_.filePath(QStringLiteral("program-errors.txt")));
  if (wine_) {
    // Nothing but the installed folder: no search path into a Qt elsewhere.
    env.remove(QStringLiteral("WINEPATH"));
    env.insert(QStringLiteral("WINEDEBUG"), QStringLiteral("-all"));
    env.insert(QStringLiteral("LD_PRELOAD"), wine_->Shim);
    program_.setProgram(QStringLiteral("wine"));
    QString exe = QDir(wine_->ProgramDir).filePath(QStringLiteral("PCZentrixNet.exe"));
    if (!wine_->StartMenuEntry.isEmpty()) {
      const auto link = ReadShellLink(wine_->StartMenuEntry);
      if (!link) {
        failure_ = QStringLiteral("the Start menu entry %1 names no program").arg(wine_->StartMenuEntry);
        return false;
      }
      exe = UnixPath(link->Path);
      if (!QFile::exists(exe)) {
        failure_ = QStringLiteral("the Start menu entry leads to %1, which does not exist").arg(link->Path);
        return false;
      }
      if (!link->WorkingFolder.isEmpty()) program_.setWorkingDirectory(UnixPath(link->WorkingFolder));
    }
    program_.setArguments(QStringList{exe} + arguments);
  } else {
    program_.setProgram(QDir(binDir_).filePath(QStringLiteral("PCZentrixNet")));
    program_.setArguments(arguments);
  }
  program_.setProcessEnvironment(env);
  program_.start();
  if (!program_.waitForStarted(30000)) {
    failure_ = QStringLiteral("the program (%1) does not start: %2").arg(program_.program(), program_.errorString());
    return false;
  }
  StartedProcesses::Add(pid_t(program_.processId()));
  return WaitForMainWindow(waiting);
}

bool PlantSession::WaitForMainWindow(const std::function<void(int)>& waiting) {
  // A loaded machine (sanitizer builds beside other work), a new machine's
  // cold disk and wine's first start in a new prefix can each take long:
  // wait on the window or on the program's end, not on a fixed short time.
  const int limitMs = wine_ ? WineStartLimitMs : StartLimitMs;
  const QString name = wine_ ? program_.arguments().join(QLatin1Char(' ')) : program_.program();
  QElapsedTimer timer;
  timer.start();
  int told = 0;
  while (!desktop_.FindWindow(MainTitle, 0)) {
    // Waiting on the process also lets QProcess see that it ended.
    if (program_.waitForFinished(500) || program_.state() == QProcess::NotRunning) {
      failure_ = QStringLiteral("the program (%1) %2 before showing its window").arg(name, HowItEnded(program_));
    } else if (!desktop_.Running()) {
      failure_ = QStringLiteral("the virtual display %1 ended while the program started").arg(desktop_.Display());
    } else if (timer.elapsed() >= limitMs) {
      failure_ = QStringLiteral("the program (%1) showed no window within %2 s").arg(name).arg(limitMs / 1000);
    } else {
      if (waiting && timer.elapsed() / 10000 > told) waiting(int(++told * 10));
      continue;
    }
    failure_ += QStringLiteral("; its last lines of output:\n    ") + LastLines(ProgramErrors(), 10);
    return false;
  }
  return true;
}

QString PlantSession::ProgramDir() const { return wine_ ? wine_->ProgramDir : work_.path(); }

bool PlantSession::ProgramRunning() const { return program_.state() == QProcess::Running; }

QString PlantSession::ProgramErrors() const {
  QFile f(work_.filePath(QStringLiteral("program-errors.txt")));
  return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()) : QString();
}

namespace {

long ProcessCpuMs(const std::string& pid) {
  std::ifstream stat("/proc/" + pid + "/stat");
  std::string content((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  // Fields after the command name, which ends with the last ')'.
  std::istringstream fields(content.substr(content.rfind(')') + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) utime = std::stol(field);
    if (i == 15) stime = std::stol(field);
  }
  return (utime + stime) * 1000 / ::sysconf(_SC_CLK_TCK);
}

}  // namespace

long PlantSession::ProgramCpuMs() const { return ProcessCpuMs(std::to_string(program_.processId())); }

long PlantSession::WineServerCpuMs() {
  const QByteArray prefix = "WINEPREFIX=" + qgetenv("WINEPREFIX") + '\0';
  for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    QFile name(QStringLiteral("/proc/%1/comm").arg(pid));
    QFile environment(QStringLiteral("/proc/%1/environ").arg(pid));
    if (!name.open(QIODevice::ReadOnly) || !name.readAll().startsWith("wineserver")) continue;  // or wineserver64
    if (environment.open(QIODevice::ReadOnly) && environment.readAll().contains(prefix)) {
      return ProcessCpuMs(pid.toStdString());
    }
  }
  return -1;
}

void PlantSession::QuitProgram() {
  if (program_.state() == QProcess::NotRunning) return;
  StartedProcesses::Remove(pid_t(program_.processId()));
  program_.terminate();
  if (!program_.waitForFinished(5000)) {
    program_.kill();
    program_.waitForFinished(2000);
  }
}

std::optional<ScreenRect> PlantSession::MainWindow() const { return desktop_.FindWindow(MainTitle); }

void PlantSession::ClickPortButton(int port) {
  const auto main = MainWindow();
  if (!main) return;
  // The panel's buttons, in client coordinates; the menu bar is hidden until
  // a port is chosen, so the client area starts at the window's corner.
  const int menuBar = main->Height - MainClientHeight;
  desktop_.Click(main->X + 24 + 24 + 64 * (port - 1) + 28, main->Y + menuBar + 208 + 64 + 11);
}

void PlantSession::ChooseMenuItem(Menu menu, int item) {
  const auto main = MainWindow();
  if (!main) return;
  const int menuBar = main->Height - MainClientHeight;
  // Open the first menu with a click on its title, walk to the wanted menu
  // and item with the keyboard, as a user of the keyboard would.
  // A menu opened by a click has no item selected; one reached with the
  // arrow key starts on its first item.
  desktop_.Key(QStringLiteral("Escape"));
  desktop_.Move(main->X + main->Width / 2, main->Y + main->Height - 8);
  desktop_.Click(main->X + 20, main->Y + menuBar / 2);
  if (qEnvironmentVariableIsSet("PCZN_E2E_TRACE"))
    desktop_.Screenshot(QString(),
                        work_.filePath(QStringLiteral("open-%1-%2.png").arg(static_cast<int>(menu)).arg(item)));
  for (int i = 0; i < static_cast<int>(menu); ++i) desktop_.Key(QStringLiteral("Right"));
  const int downs = menu == Menu::Datei ? item + 1 : item;
  for (int i = 0; i < downs; ++i) desktop_.Key(QStringLiteral("Down"));
  if (qEnvironmentVariableIsSet("PCZN_E2E_TRACE"))
    desktop_.Screenshot(QString(),
                        work_.filePath(QStringLiteral("menu-%1-%2.png").arg(static_cast<int>(menu)).arg(item)));
  desktop_.Key(QStringLiteral("Return"));
  QThread::msleep(300);
}

bool PlantSession::ClickIn(const QString& windowTitle, int x, int y) {
  const auto window = desktop_.FindWindow(windowTitle);
  if (!window) return false;
  desktop_.Click(window->X + x, window->Y + y);
  return true;
}

bool PlantSession::AnswerFileDialog(const QString& path, int typingDelayMs) {
  QThread::msleep(800);  // the dialog opens with its file name field focused
  desktop_.Key(QStringLiteral("ctrl+a"));
  desktop_.Type(path, typingDelayMs);
  desktop_.Key(QStringLiteral("Return"));
  QThread::msleep(800);
  return true;
}

bool PlantSession::DismissErrorBox() {
  const auto box = desktop_.FindWindow(QStringLiteral("PCZentrixNet"), 5000);
  if (!box) return false;
  desktop_.Click(box->X + box->Width / 2, box->Y + box->Height / 2);  // focus the box
  if (wine_) desktop_.Focus(QStringLiteral("PCZentrixNet"));
  desktop_.Key(QStringLiteral("Return"));
  // Wine takes a moment to take a closed window off the screen.
  return desktop_.WindowGone(QStringLiteral("PCZentrixNet"), 10000);
}
