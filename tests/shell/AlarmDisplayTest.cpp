// The plant's alarms in the program: the words and pictures for each state,
// notices that come together told as one, and the program's alarm part fed
// through a real polling session's events and the polling timer. Offscreen
// there is no tray, so every notice goes to the notice window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QMouseEvent>
#include <QSystemTrayIcon>
#include <QTimer>

#include "session/PollingSession.h"
#include "shell/AlarmPictures.h"
#include "shell/PlantAlarms.h"
#include "store/PlantStore.h"
#include "store/StoreWords.h"

namespace {

using Alarm::EventKind;

Alarm::Clock::time_point At(int hour, int minute) {
  const QDateTime local(QDate(2026, 6, 21), QTime(hour, minute));
  return Alarm::Clock::time_point(std::chrono::seconds(local.toSecsSinceEpoch()));
}

Alarm::Report Watched(uint16_t fault) { return Alarm::Report{true, fault}; }

struct StateCase {
  const char* Name;
  std::vector<Alarm::Report> Exchanges;
  bool PortLost;
  AlarmLook Look;
  const char* Line;
};

class AlarmWords : public ::testing::TestWithParam<StateCase> {};

TEST_P(AlarmWords, TheStateShowsAsItsPictureAndLine) {
  Alarm::PlantState state;
  for (const auto& report : GetParam().Exchanges) state.ExchangeCompleted(report, At(13, 7));
  if (GetParam().PortLost) state.PortLost(At(13, 9));
  EXPECT_EQ(LookOf(state), GetParam().Look);
  EXPECT_EQ(StateLineOf(state), QString::fromUtf8(GetParam().Line));
}

INSTANTIATE_TEST_SUITE_P(
    States, AlarmWords,
    ::testing::Values(StateCase{"BeforeAnyExchange", {}, false, AlarmLook::Waiting, "noch kein Datenaustausch"},
                      StateCase{"NoFault", {Watched(0)}, false, AlarmLook::Fine, "keine Störung!"},
                      StateCase{"MeterFive", {Watched(5)}, false, AlarmLook::Fault, "Zähler 1 oder Zähler 5"},
                      StateCase{"MeterOne", {Watched(33)}, false, AlarmLook::Fault, "Zähler 1"},
                      StateCase{
                          "Unwatched", {Watched(5), {false, 0}}, false, AlarmLook::Unwatched, "Überpüfung = AUS!"},
                      StateCase{"LostBeatsFault", {Watched(5)}, true, AlarmLook::LinkLost, "Verbindung unterbrochen"},
                      StateCase{"LostBeforeAnyExchange", {}, true, AlarmLook::LinkLost, "Verbindung unterbrochen"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(AlarmWords, TheTooltipNamesTheLastExchangeOnceThereWasOne) {
  Alarm::PlantState state;
  EXPECT_EQ(ToolTipOf(state), QStringLiteral("PCZentrixNet\nnoch kein Datenaustausch"));
  state.ExchangeCompleted(Watched(5), At(13, 7));
  state.PortLost(At(13, 20));
  EXPECT_EQ(ToolTipOf(state), QStringLiteral("PCZentrixNet\nVerbindung unterbrochen\nletzter Datenaustausch 13:07"));
}

TEST(AlarmWords, EachAlarmHasItsNoticeAndTheMonitoringSwitchNone) {
  Alarm::PlantState state;
  state.ExchangeCompleted(Watched(0), At(13, 7));
  const auto started = NoticeFor(Alarm::Event{EventKind::FaultStarted, At(13, 8), "Zähler 1"}, state);
  ASSERT_TRUE(started);
  EXPECT_EQ(started->Title, QStringLiteral("Störung"));
  EXPECT_EQ(started->Text, QStringLiteral("Zähler 1"));
  EXPECT_TRUE(IsWarning(started->Look));
  const auto ended = NoticeFor(Alarm::Event{EventKind::FaultEnded, At(13, 9), "Zähler 1"}, state);
  ASSERT_TRUE(ended);
  EXPECT_EQ(ended->Text, QStringLiteral("keine Störung! (war: Zähler 1)"));
  EXPECT_FALSE(IsWarning(ended->Look));
  const auto lost = NoticeFor(Alarm::Event{EventKind::LinkLost, At(13, 20), {}}, state);
  ASSERT_TRUE(lost);
  EXPECT_EQ(lost->Text, QStringLiteral("letzter Datenaustausch 13:07"));
  EXPECT_EQ(lost->Look, AlarmLook::LinkLost);
  EXPECT_FALSE(NoticeFor(Alarm::Event{EventKind::MonitoringOff, At(13, 9), {}}, state));
  EXPECT_FALSE(NoticeFor(Alarm::Event{EventKind::MonitoringOn, At(13, 9), {}}, state));
}

TEST(AlarmWords, AlarmsThatComeTogetherAreOneNoticeWithTheWarningsPicture) {
  Alarm::PlantState state;
  state.ExchangeCompleted(Watched(5), At(13, 30));
  const std::vector<Alarm::Event> together{{EventKind::LinkBack, At(13, 30), {}},
                                           {EventKind::MonitoringOn, At(13, 30), {}},
                                           {EventKind::FaultStarted, At(13, 30), "Zähler 1 oder Zähler 5"}};
  const auto notice = NoticeFor(together, state);
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->Title, QStringLiteral("Verbindung wieder da · Störung"));
  EXPECT_EQ(notice->Text, QStringLiteral("Datenaustausch 13:30\nZähler 1 oder Zähler 5"));
  EXPECT_EQ(notice->Look, AlarmLook::Fault);
  EXPECT_FALSE(NoticeFor(std::vector<Alarm::Event>{{EventKind::MonitoringOff, At(13, 30), {}}}, state));
}

TEST(AlarmPictures, EachLookHasItsOwnColourFillingMostOfThePicture) {
  const AlarmLook looks[] = {AlarmLook::Waiting, AlarmLook::Fine, AlarmLook::Fault, AlarmLook::Unwatched,
                             AlarmLook::LinkLost};
  for (const AlarmLook look : looks) {
    const QImage picture = AlarmPicture(look, 22);
    int own = 0;
    for (int y = 0; y < 22; ++y)
      for (int x = 0; x < 22; ++x) own += picture.pixelColor(x, y).rgb() == AlarmColour(look).rgb();
    EXPECT_GT(own, 22 * 22 / 2) << int(look);
    for (const AlarmLook other : looks)
      if (other != look) EXPECT_NE(AlarmColour(other).rgb(), AlarmColour(look).rgb());
  }
}

// The program's alarm part on a polling session that is not opened: its
// events are called as the session calls them, with the store's words set as
// an exchange leaves them.
class ProgramAlarms : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable()) << "these cases are for a desktop without a tray";
    session.On.ExchangeCompleted = [this] { ++archived; };
    alarms = std::make_unique<PlantAlarms>(session, timer);
    NoAnswerCount = 0;
  }
  void Exchange(bool monitoring, uint16_t fault) {
    Block3[Word::Block3::MonitoringOn] = monitoring ? 1 : 0;
    Block14[Word::Block14::FaultReport] = fault;
    session.On.ExchangeCompleted();
  }
  // Runs the polling timer once.
  void OneTick() {
    timer.setInterval(0);
    timer.setSingleShot(true);
    bool ticked = false;
    const auto seen = QObject::connect(&timer, &QTimer::timeout, [&] { ticked = true; });
    timer.start();
    while (!ticked) QApplication::processEvents(QEventLoop::AllEvents, 10);
    QObject::disconnect(seen);
  }
  const NoticeWindow& Notice() { return alarms->Tray().Window(); }
  void CloseNotice() { const_cast<NoticeWindow&>(Notice()).hide(); }

  PollingSession session;
  QTimer timer;
  int archived = 0;
  std::unique_ptr<PlantAlarms> alarms;
};

TEST_F(ProgramAlarms, AFaultTurnsTheIconAndIsToldOnceInTheNoticeWindow) {
  Exchange(true, 0);
  EXPECT_EQ(archived, 1) << "the session's earlier handler no longer runs";
  EXPECT_EQ(alarms->Tray().Look(), AlarmLook::Fine);
  EXPECT_FALSE(Notice().isVisible()) << "a plant without a fault gave a notice";

  Exchange(true, 5);
  EXPECT_EQ(alarms->Tray().Look(), AlarmLook::Fault);
  const QString tip = alarms->Tray().Icon().toolTip();
  EXPECT_TRUE(tip.contains(QStringLiteral("\nZähler 1 oder Zähler 5\nletzter Datenaustausch "))) << tip.toStdString();
  ASSERT_TRUE(Notice().isVisible());
  EXPECT_EQ(Notice().Text(), QStringLiteral("Störung\nZähler 1 oder Zähler 5"));
  CloseNotice();
  Exchange(true, 5);
  Exchange(true, 0);
  Exchange(true, 5);  // flickering: the same alarm
  EXPECT_FALSE(Notice().isVisible()) << "the same fault was told again";
  EXPECT_EQ(archived, 5);
}

TEST_F(ProgramAlarms, TheNoticeWindowNeverTakesTheFocus) {
  Exchange(true, 7);
  ASSERT_TRUE(Notice().isVisible());
  EXPECT_TRUE(Notice().windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
  EXPECT_TRUE(Notice().windowFlags().testFlag(Qt::Tool));
  EXPECT_TRUE(Notice().testAttribute(Qt::WA_ShowWithoutActivating));
  EXPECT_FALSE(Notice().isActiveWindow());
}

TEST_F(ProgramAlarms, ALostPortAndUnansweredExchangesLoseTheLinkOnce) {
  Exchange(true, 0);
  session.On.PortLost();
  EXPECT_EQ(alarms->Tray().Look(), AlarmLook::LinkLost);
  ASSERT_TRUE(Notice().isVisible());
  EXPECT_TRUE(Notice().Text().startsWith(QStringLiteral("Verbindung unterbrochen\nletzter Datenaustausch ")));
  CloseNotice();
  OneTick();
  EXPECT_FALSE(Notice().isVisible()) << "a lost link was told again";

  Exchange(true, 0);
  EXPECT_EQ(alarms->Tray().Look(), AlarmLook::Fine);
  ASSERT_TRUE(Notice().isVisible());
  EXPECT_TRUE(Notice().Text().startsWith(QStringLiteral("Verbindung wieder da\n")));
  CloseNotice();

  // The polling timer's tick with the link's count of exchanges started without an end.
  NoAnswerCount = Alarm::PlantState::LostAfterUnansweredExchanges;
  OneTick();
  EXPECT_EQ(alarms->Tray().Look(), AlarmLook::LinkLost);
  EXPECT_TRUE(Notice().isVisible());
}

TEST_F(ProgramAlarms, APortChosenAgainIsNoLostLink) {
  Exchange(true, 0);
  ASSERT_TRUE(session.On.PortOpened) << "the alarms do not hear of a port opened again";
  session.On.PortOpened();
  NoAnswerCount = 3;  // the link's start value after an opening
  OneTick();
  EXPECT_EQ(alarms->Tray().Look(), AlarmLook::Fine);
  EXPECT_FALSE(Notice().isVisible()) << "choosing the port again told a lost link";
}

TEST_F(ProgramAlarms, ClickingTheNoticeClosesIt) {
  Exchange(true, 33);
  ASSERT_TRUE(Notice().isVisible());
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(const_cast<NoticeWindow*>(&Notice()), &press);
  EXPECT_FALSE(Notice().isVisible());
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
