#include "FirstCycleSteps.h"

#include <gtest/gtest.h>

#include <QThread>

void ExpectFirstCycleExchanges(PlantSession& session, Desktop& desktop, int port) {
  session.ClickPortButton(port);
  ASSERT_TRUE(desktop.FindWindow(QStringLiteral("Tagesdaten"), 5000)) << "the daily chart comes up with the port";
  EXPECT_FALSE(session.WaitForLog(QStringLiteral("ConnectAnswer ready"), 5000).isEmpty());
  EXPECT_FALSE(session.WaitForLog(QStringLiteral("Request 16"), 35000).isEmpty());
  EXPECT_FALSE(session.WaitForLog(QStringLiteral("EndOfExchange"), 25000).isEmpty());
  const QString log = session.SimulatorLog();
  for (int type : {2, 3, 4, 5, 6, 7, 8, 9, 10, 14, 15}) {
    EXPECT_TRUE(log.contains(QStringLiteral("SIM>PC FF FA CD %1 ").arg(type, 2, 16, QLatin1Char('0')).toUpper()))
        << "block " << type;
  }
  QThread::msleep(20000);  // past the refresh at tick 41
  EXPECT_TRUE(desktop.WindowVisible(QStringLiteral("Tagesdaten")));
  EXPECT_FALSE(session.ProgramErrors().contains(QStringLiteral("error"))) << session.ProgramErrors().toStdString();
}
