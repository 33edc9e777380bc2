// The plant's alarms on the desktop, with the real program and simulator:
// on a desktop with a tray host (trayer, a standalone X11 tray) the icon turns
// to the fault's picture and Qt's balloon tells it once; on a desktop without
// a tray the notice window tells it once and leaves the focus where it was,
// and tells the link lost when the simulator is killed.
// With PCZN_SCREENSHOT_DIR set, the pictures go there for the README.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QThread>

#include "FirstCycleSteps.h"
#include "shell/AlarmPictures.h"
#include "tools/desktop/PlantSession.h"

namespace {

const QString NoticeTitle = QStringLiteral("PCZentrixNet – Meldung");
const QStringList FaultySimulator{"--start", "2026-06-21 13:07", "--meters", "5", "--fault-meter", "5"};
// The fault shows with the first exchange: connection, 24 ticks, the exchange.
constexpr int FirstExchangeMs = CycleMs + 30000;

int CountPixels(const QImage& image, const QColor& colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y).rgb() == colour.rgb();
  return count;
}

// The pixels' bounding box of the colour, empty when there are none.
QRect AreaOf(const QImage& image, const QColor& colour) {
  QRect area;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y).rgb() == colour.rgb()) area |= QRect(x, y, 1, 1);
  return area;
}

void KeepScreenshot(const QString& path, const QString& name) {
  const QString dir = qEnvironmentVariable("PCZN_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  QFile::remove(QDir(dir).filePath(name));
  QFile::copy(path, QDir(dir).filePath(name));
}

// The part for import's -crop: WIDTHxHEIGHT+X+Y.
QString Geometry(const QRect& r) {
  return QStringLiteral("%1x%2+%3+%4").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y());
}

QString Shell(const QString& key, const QString& geometry) {
  for (const QString& line : geometry.split(QLatin1Char('\n')))
    if (line.startsWith(key + QLatin1Char('='))) return line.mid(key.size() + 1);
  return {};
}

// A window's place on the screen, from xdotool.
QRect WindowArea(const Desktop& desktop, const QString& id) {
  const QString g = desktop.Run(QStringLiteral("xdotool"), {"getwindowgeometry", "--shell", id});
  return QRect(Shell("X", g).toInt(), Shell("Y", g).toInt(), Shell("WIDTH", g).toInt(), Shell("HEIGHT", g).toInt());
}

class AlarmDesktop : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(desktop.Start()) << desktop.Error().toStdString();
    session = std::make_unique<PlantSession>(desktop, QStringLiteral(PCZN_BIN_DIR));
  }
  void TearDown() override {
    session.reset();
    if (tray.state() != QProcess::NotRunning) {
      tray.terminate();
      tray.waitForFinished(3000);
    }
  }
  void StartProgramOnAFaultyPlant() {
    ASSERT_TRUE(session->StartSimulator(FaultySimulator)) << session->StartFailure().toStdString();
    ASSERT_TRUE(session->StartProgram()) << session->StartFailure().toStdString();
    session->ClickPortButton(1);
    ASSERT_TRUE(desktop.FindWindow(QStringLiteral("Tagesdaten"), 10000)) << "the port's click brought up no chart";
  }
  QString Shot(const QString& name) const { return session->File(name); }
  // The screen, or a part of it, as a picture.
  QImage Screen(const QRect& part = {}) const {
    const QString path = Shot(QStringLiteral("screen.png"));
    QFile::remove(path);
    QStringList arguments{"-window", "root"};
    if (!part.isEmpty()) arguments << "-crop" << Geometry(part);
    desktop.Run(QStringLiteral("import"), arguments << path, 20000);
    return QImage(path);
  }
  QString FocusedWindow() const { return desktop.Run(QStringLiteral("xdotool"), {"getwindowfocus"}).trimmed(); }

  Desktop desktop;
  std::unique_ptr<PlantSession> session;
  QProcess tray;
};

class AlarmsInATray : public AlarmDesktop {
protected:
  void StartTray() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), desktop.Display());
    tray.setProcessEnvironment(env);
    tray.start(QStringLiteral("trayer"),
               {"--edge", "top", "--align", "right", "--widthtype", "request", "--heighttype", "pixel", "--height",
                "32", "--SetDockType", "false", "--transparent", "false", "--tint", "0xffffff"});
    ASSERT_TRUE(tray.waitForStarted(10000)) << "trayer does not start: " << tray.errorString().toStdString();
    // The tray is there once it shows its window.
    QElapsedTimer waited;
    waited.start();
    while (TrayArea().isEmpty() && waited.elapsed() < 60000) QThread::msleep(200);
    ASSERT_FALSE(TrayArea().isEmpty()) << "trayer shows no window";
  }
  QRect TrayArea() const {
    const QString id = desktop.Run(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--class", "trayer"})
                           .section(QLatin1Char('\n'), 0, 0);
    if (id.isEmpty()) return {};
    return WindowArea(desktop, id);
  }
  // Waits until the tray shows the look's picture; its part of the screen then.
  QImage WaitForTrayLook(AlarmLook look, int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    QImage shot;
    do {
      shot = Screen(TrayArea());
      if (CountPixels(shot, AlarmColour(look)) > 50) return shot;
      QThread::msleep(500);
    } while (waited.elapsed() < timeoutMs);
    return {};
  }
};

TEST_F(AlarmsInATray, AFaultTurnsTheIconAndTheBalloonTellsItOnce) {
  StartTray();
  StartProgramOnAFaultyPlant();
  ASSERT_FALSE(WaitForTrayLook(AlarmLook::Waiting, 30000).isNull()) << "the program's icon is not in the tray";
  const QStringList before = desktop.VisibleWindows();

  const QImage faulty = WaitForTrayLook(AlarmLook::Fault, FirstExchangeMs);
  ASSERT_FALSE(faulty.isNull()) << "the icon never showed the fault; " << session->ProgramErrors().toStdString();
  EXPECT_EQ(CountPixels(faulty, AlarmColour(AlarmLook::Waiting)), 0) << "the old picture is still there";
  faulty.save(Shot(QStringLiteral("tray.png")));

  // Qt's balloon (no notification service on this desktop) is one new window, with the warning's picture.
  QStringList added;
  for (int i = 0; i < 50 && added.isEmpty(); ++i, QThread::msleep(100))
    for (const QString& id : desktop.VisibleWindows())
      if (!before.contains(id)) added << id;
  ASSERT_EQ(added.size(), 1) << "no balloon, or more than one new window";
  const QRect balloon = WindowArea(desktop, added[0]);
  EXPECT_GT(balloon.width(), 100);
  Screen(balloon.united(TrayArea())).save(Shot(QStringLiteral("balloon.png")));
  KeepScreenshot(Shot(QStringLiteral("balloon.png")), QStringLiteral("alarm-tray-balloon.png"));

  // The tooltip under the pointer.
  const QRect icon = AreaOf(faulty, AlarmColour(AlarmLook::Fault)).translated(TrayArea().topLeft());
  const QStringList withBalloon = desktop.VisibleWindows();
  desktop.Move(icon.center().x(), icon.center().y());
  QStringList tip;
  for (int i = 0; i < 50 && tip.isEmpty(); ++i, QThread::msleep(100))
    for (const QString& id : desktop.VisibleWindows())
      if (!withBalloon.contains(id)) tip << id;
  EXPECT_EQ(tip.size(), 1) << "no tooltip at the icon";
  if (tip.size() == 1) {
    Screen(WindowArea(desktop, tip[0]).united(TrayArea())).save(Shot(QStringLiteral("tooltip.png")));
    KeepScreenshot(Shot(QStringLiteral("tooltip.png")), QStringLiteral("alarm-tray-tooltip.png"));
  }
  desktop.Move(10, 600);

  // The next exchange reports the same fault: no second balloon once the first has gone.
  const int lines = session->LogLineCount();
  ASSERT_FALSE(session->WaitForLog(QStringLiteral("EndOfExchange"), CycleMs + 30000, lines).isEmpty());
  QThread::msleep(3000);  // the exchange reaches the program's store
  EXPECT_FALSE(desktop.VisibleWindows().contains(added[0])) << "the balloon came again";
  EXPECT_EQ(desktop.VisibleWindows().size(), before.size()) << "another window came with the same fault";
  EXPECT_FALSE(WaitForTrayLook(AlarmLook::Fault, 1000).isNull());
  EXPECT_FALSE(session->ProgramErrors().contains(QStringLiteral("error"))) << session->ProgramErrors().toStdString();
}

using AlarmsWithoutATray = AlarmDesktop;

TEST_F(AlarmsWithoutATray, TheNoticeWindowTellsAFaultOnceAndLeavesTheFocus) {
  StartProgramOnAFaultyPlant();
  desktop.Focus(QStringLiteral("PCZentrixNet "));
  const QString focused = FocusedWindow();
  ASSERT_FALSE(focused.isEmpty());

  const auto notice = desktop.FindWindow(NoticeTitle, FirstExchangeMs);
  ASSERT_TRUE(notice) << "no notice window; " << session->ProgramErrors().toStdString();
  EXPECT_EQ(FocusedWindow(), focused) << "the notice window took the focus";
  const QImage shot = Screen(QRect(notice->X, notice->Y, notice->Width, notice->Height));
  EXPECT_GT(CountPixels(shot, AlarmColour(AlarmLook::Fault)), 200) << "the notice shows no fault picture";
  shot.save(Shot(QStringLiteral("notice.png")));
  KeepScreenshot(Shot(QStringLiteral("notice.png")), QStringLiteral("alarm-notice-window.png"));

  // A click closes it; the next exchange, with the same fault, brings no second notice.
  desktop.Click(notice->X + notice->Width / 2, notice->Y + notice->Height / 2);
  EXPECT_TRUE(desktop.WindowGone(NoticeTitle, 5000)) << "a click did not close the notice";
  const int lines = session->LogLineCount();
  ASSERT_FALSE(session->WaitForLog(QStringLiteral("EndOfExchange"), CycleMs + 30000, lines).isEmpty());
  EXPECT_FALSE(desktop.FindWindow(NoticeTitle, 5000)) << "the same fault was told again";
  EXPECT_FALSE(session->ProgramErrors().contains(QStringLiteral("error"))) << session->ProgramErrors().toStdString();

  // A pulled cable: the lost port is told at once, beside the exception display's box.
  session->KillSimulator();
  const auto lost = desktop.FindWindow(NoticeTitle, 30000);
  ASSERT_TRUE(lost) << "no notice of the lost link; " << session->ProgramErrors().toStdString();
  const QImage lostShot = Screen(QRect(lost->X, lost->Y, lost->Width, lost->Height));
  EXPECT_GT(CountPixels(lostShot, AlarmColour(AlarmLook::LinkLost)), 200) << "the notice shows no lost link";
  lostShot.save(Shot(QStringLiteral("lost.png")));
  KeepScreenshot(Shot(QStringLiteral("lost.png")), QStringLiteral("alarm-notice-link-lost.png"));
  session->DismissErrorBox();
}

}  // namespace
