#include "shell/PlantAlarms.h"

#include <QTimer>
#include <functional>

#include "session/PollingSession.h"
#include "store/PlantStore.h"
#include "views/Bind.h"

namespace {

Alarm::Clock::time_point Now() { return Alarm::Clock::now(); }

// The session's event runs what it ran before, then `more`.
void Chain(std::function<void()>& event, std::function<void()> more) {
  event = [before = std::move(event), more = std::move(more)] {
    if (before) Guarded(before);
    Guarded(more);
  };
}

}  // namespace

PlantAlarms::PlantAlarms(PollingSession& session, QTimer& pollingTimer) : tray_(state_) {
  Chain(session.On.ExchangeCompleted, [this] { Take(state_.ExchangeCompleted(Alarm::ReportOfStore(), Now())); });
  Chain(session.On.PortLost, [this] { Take(state_.PortLost(Now())); });
  // A port chosen again starts the link's count of unanswered exchanges at its
  // start value, which is no lost link.
  Chain(session.On.PortOpened, [this] { state_.PortOpened(); });
  // After the session's own tick (connected before), with its count of unanswered exchanges.
  Bind(&pollingTimer, &QTimer::timeout, this, [this] { Take(state_.Tick(NoAnswerCount, Now())); });
}

void PlantAlarms::Take(const std::vector<Alarm::Event>& events) {
  tray_.Show(state_);
  if (const auto notice = NoticeFor(events, state_)) tray_.Tell(*notice);
}
