#include "tools/desktop/Desktop.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <cstdio>

#include "tools/desktop/StartedProcesses.h"

namespace {

bool DisplayFree(int number) {
  return !QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)) &&
         !QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number));
}

// Whether the server takes connections on the display's socket: the file is
// there from the socket's bind on, connections only from its listen on.
bool Accepts(int number) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "/tmp/.X11-unix/X%d", number);
  const bool accepted = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return accepted;
}

}  // namespace

Desktop::Desktop() = default;

Desktop::~Desktop() {
  if (xvfb_.state() != QProcess::NotRunning) {
    StartedProcesses::Remove(pid_t(xvfb_.processId()));
    xvfb_.terminate();
    xvfb_.waitForFinished(3000);
  }
}

bool Desktop::Start() {
  int number = 90 + static_cast<int>(::getpid() % 400);
  while (!DisplayFree(number)) ++number;
  display_ = QStringLiteral(":%1").arg(number);
  xvfb_.setProgram(QStringLiteral("Xvfb"));
  xvfb_.setArguments({display_, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
  xvfb_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  xvfb_.start();
  if (!xvfb_.waitForStarted(5000)) {
    error_ = QStringLiteral("Xvfb does not start: ") + xvfb_.errorString();
    return false;
  }
  StartedProcesses::Add(pid_t(xvfb_.processId()));
  QElapsedTimer timer;
  timer.start();
  while (!Accepts(number)) {
    // A new machine's first Xvfb can take long (a cold disk): wait on it.
    if (xvfb_.state() == QProcess::NotRunning) {
      error_ = QStringLiteral("Xvfb ended with exit status %1 before opening display %2 (its messages are above)")
                   .arg(xvfb_.exitCode())
                   .arg(display_);
      return false;
    }
    if (timer.elapsed() > 120000) {
      error_ = QStringLiteral("Xvfb did not open display %1 within 120 s").arg(display_);
      return false;
    }
    QThread::msleep(20);
  }
  return true;
}

QString Desktop::Run(const QString& program, const QStringList& arguments, int timeoutMs) const {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("DISPLAY"), display_);
  process.setProcessEnvironment(env);
  process.start(program, arguments);
  if (qEnvironmentVariableIsSet("PCZN_E2E_TRACE"))
    std::fprintf(stderr, "[desktop] %s %s\n", qPrintable(program), qPrintable(arguments.join(QLatin1Char(' '))));
  if (!process.waitForFinished(timeoutMs)) {
    process.kill();
    process.waitForFinished(1000);
  }
  return QString::fromLocal8Bit(process.readAllStandardOutput());
}

std::optional<ScreenRect> Desktop::FindWindow(const QString& title, int timeoutMs) const {
  const QString pattern = QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$');
  QElapsedTimer timer;
  timer.start();
  do {
    const QString out = Run(QStringLiteral("xdotool"),
                            {"search", "--onlyvisible", "--name", pattern, "getwindowgeometry", "--shell", "%@"});
    ScreenRect r;
    bool found = false;
    for (const QString& line : out.split(QLatin1Char('\n'))) {
      const QString value = line.section(QLatin1Char('='), 1);
      if (line.startsWith(QLatin1String("X="))) r.X = value.toInt();
      if (line.startsWith(QLatin1String("Y="))) r.Y = value.toInt();
      if (line.startsWith(QLatin1String("WIDTH="))) r.Width = value.toInt();
      if (line.startsWith(QLatin1String("HEIGHT="))) {
        r.Height = value.toInt();
        found = r.Width > 1 && r.Height > 1;
        if (found) break;
      }
    }
    if (found) return r;
    QThread::msleep(100);
  } while (timer.elapsed() < timeoutMs);
  return std::nullopt;
}

bool Desktop::WindowVisible(const QString& title) const { return FindWindow(title, 0).has_value(); }

bool Desktop::WindowGone(const QString& title, int timeoutMs) const {
  QElapsedTimer timer;
  timer.start();
  while (WindowVisible(title)) {
    if (timer.elapsed() >= timeoutMs) return false;
    QThread::msleep(100);
  }
  return true;
}

void Desktop::Click(int x, int y) const {
  Run(QStringLiteral("xdotool"), {"mousemove", "--sync", QString::number(x), QString::number(y), "click", "1"});
  QThread::msleep(150);
}

void Desktop::Move(int x, int y) const {
  Run(QStringLiteral("xdotool"), {"mousemove", "--sync", QString::number(x), QString::number(y)});
  QThread::msleep(100);
}

void Desktop::Key(const QString& keys) const {
  Run(QStringLiteral("xdotool"), {"key", "--delay", "60", keys});
  QThread::msleep(100);
}

void Desktop::Focus(const QString& title) const {
  const QString pattern = QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$');
  Run(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--name", pattern, "windowfocus", "--sync", "%1"});
  QThread::msleep(100);
}

void Desktop::Type(const QString& text, int delayMs) const {
  // The whole text's time and then some: xdotool ended halfway would leave half a text.
  const int limitMs = 10000 + static_cast<int>(text.size()) * (delayMs + 50);
  Run(QStringLiteral("xdotool"), {"type", "--delay", QString::number(delayMs), text}, limitMs);
  QThread::msleep(100);
}

bool Desktop::MapUmlautKeys() const {
  // Keys the virtual display has but no test uses.
  QProcess xmodmap;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("DISPLAY"), Display());
  xmodmap.setProcessEnvironment(env);
  xmodmap.start(QStringLiteral("xmodmap"),
                {"-e", "keycode 253 = adiaeresis Adiaeresis", "-e", "keycode 254 = odiaeresis Odiaeresis", "-e",
                 "keycode 255 = udiaeresis Udiaeresis"});
  return xmodmap.waitForFinished(10000) && xmodmap.exitStatus() == QProcess::NormalExit && xmodmap.exitCode() == 0;
}

QStringList Desktop::VisibleWindows() const {
  QStringList ids = Run(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--class", "."})
                        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ids.sort();
  return ids;
}

bool Desktop::Screenshot(const QString& title, const QString& path) const {
  QStringList arguments{"-window"};
  if (title.isEmpty()) {
    arguments << QStringLiteral("root");
  } else {
    const QString pattern = QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$');
    const QString id =
        Run(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--name", pattern}).section(QLatin1Char('\n'), 0, 0);
    if (id.isEmpty()) return false;
    arguments << id;
  }
  arguments << path;
  Run(QStringLiteral("import"), arguments, 20000);
  return QFile::exists(path);
}
