#include "shell/AlarmTexts.h"

#include <QDateTime>

namespace {

QString ClockTime(Alarm::Clock::time_point time) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
  return QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("HH:mm"));
}

QString LastExchangeLine(const Alarm::PlantState& state) {
  if (!state.LastExchange()) return QStringLiteral("noch kein Datenaustausch");
  return QStringLiteral("letzter Datenaustausch ") + ClockTime(*state.LastExchange());
}

}  // namespace

bool IsWarning(AlarmLook look) { return look == AlarmLook::Fault || look == AlarmLook::LinkLost; }

AlarmLook LookOf(const Alarm::PlantState& state) {
  if (state.LinkState() == Alarm::Link::Lost) return AlarmLook::LinkLost;
  if (state.LinkState() == Alarm::Link::Unknown || !state.Monitoring()) return AlarmLook::Waiting;
  if (!*state.Monitoring()) return AlarmLook::Unwatched;
  return state.Fault() ? AlarmLook::Fault : AlarmLook::Fine;
}

QString StateLineOf(const Alarm::PlantState& state) {
  switch (LookOf(state)) {
    case AlarmLook::LinkLost: return QStringLiteral("Verbindung unterbrochen");
    case AlarmLook::Waiting: return QStringLiteral("noch kein Datenaustausch");
    case AlarmLook::Unwatched: return QString::fromStdString(Alarm::MonitoringOffText());
    case AlarmLook::Fault: return QString::fromStdString(*state.Fault());
    case AlarmLook::Fine: break;
  }
  return QString::fromStdString(Alarm::FaultTextFor(0));
}

QString ToolTipOf(const Alarm::PlantState& state) {
  QString tip = QStringLiteral("PCZentrixNet\n") + StateLineOf(state);
  if (state.LastExchange()) tip += QLatin1Char('\n') + LastExchangeLine(state);
  return tip;
}

std::optional<AlarmNotice> NoticeFor(const Alarm::Event& event, const Alarm::PlantState& state) {
  const QString fault = QString::fromStdString(event.FaultText);
  switch (event.Kind) {
    case Alarm::EventKind::FaultStarted: return AlarmNotice{QStringLiteral("Störung"), fault, AlarmLook::Fault};
    case Alarm::EventKind::FaultEnded:
      return AlarmNotice{
          QStringLiteral("Störung beendet"),
          QString::fromStdString(Alarm::FaultTextFor(0)) + QStringLiteral(" (war: ") + fault + QLatin1Char(')'),
          AlarmLook::Fine};
    case Alarm::EventKind::LinkLost:
      return AlarmNotice{QStringLiteral("Verbindung unterbrochen"), LastExchangeLine(state), AlarmLook::LinkLost};
    case Alarm::EventKind::LinkBack:
      return AlarmNotice{QStringLiteral("Verbindung wieder da"),
                         QStringLiteral("Datenaustausch ") + ClockTime(event.Time), LookOf(state)};
    case Alarm::EventKind::MonitoringOff:
    case Alarm::EventKind::MonitoringOn: break;
  }
  return std::nullopt;
}

std::optional<AlarmNotice> NoticeFor(const std::vector<Alarm::Event>& events, const Alarm::PlantState& state) {
  std::optional<AlarmNotice> together;
  for (const Alarm::Event& event : events) {
    const auto notice = NoticeFor(event, state);
    if (!notice) continue;
    if (!together) {
      together = notice;
      continue;
    }
    together->Title += QStringLiteral(" · ") + notice->Title;
    together->Text += QLatin1Char('\n') + notice->Text;
    if (!IsWarning(together->Look)) together->Look = notice->Look;
  }
  return together;
}
