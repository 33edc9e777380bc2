#include "alarm/PlantState.h"

#include "link/Polling.h"
#include "protocol/Cp1252.h"
#include "store/PlantStore.h"
#include "store/StoreWords.h"

namespace Alarm {

namespace {

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

Event At(EventKind kind, Clock::time_point now, std::string text = {}) { return Event{kind, now, std::move(text)}; }

}  // namespace

Report ReportOfStore() { return Report{Block3[Word::Block3::MonitoringOn] != 0, Block14[Word::Block14::FaultReport]}; }

std::string FaultTextFor(uint16_t code) { return Trimmed(Utf8FromCp1252(MonitorTextFor(1, code))); }

std::string MonitoringOffText() { return Trimmed(Utf8FromCp1252(MonitorTextFor(0, 0))); }

std::vector<Event> PlantState::ExchangeCompleted(const Report& report, Clock::time_point now) {
  std::vector<Event> events;
  if (link_ == Link::Lost) events.push_back(At(EventKind::LinkBack, now));
  link_ = Link::Up;
  ticksSinceExchange_ = 0;
  countFromStart_ = false;
  lastExchange_ = now;
  TakeMonitoring(report.Monitoring, now, events);
  if (report.Monitoring) TakeFault(report.FaultCode, now, events);
  return events;
}

void PlantState::TakeMonitoring(bool on, Clock::time_point now, std::vector<Event>& events) {
  if (monitoring_ && *monitoring_ != on)
    events.push_back(At(on ? EventKind::MonitoringOn : EventKind::MonitoringOff, now));
  monitoring_ = on;
  // Unwatched, the plant reports no fault: the one told last is no longer known.
  if (!on) {
    fault_.reset();
    clearExchanges_ = 0;
  }
}

void PlantState::TakeFault(uint16_t code, Clock::time_point now, std::vector<Event>& events) {
  if (code == 0) {
    if (fault_ && ++clearExchanges_ >= ClearExchangesToEnd) {
      events.push_back(At(EventKind::FaultEnded, now, *fault_));
      fault_.reset();
      clearExchanges_ = 0;
    }
    return;
  }
  clearExchanges_ = 0;
  std::string text = FaultTextFor(code);
  if (fault_ == text) return;
  // A new fault, or another meter than the one told: told once each.
  fault_ = text;
  events.push_back(At(EventKind::FaultStarted, now, std::move(text)));
}

std::vector<Event> PlantState::Tick(int unansweredExchanges, Clock::time_point now) {
  std::vector<Event> events;
  ++ticksSinceExchange_;
  // Before the first exchange after an opening the link's count stands at its
  // start value, which says nothing yet; the ticks alone decide then.
  const bool unanswered = !countFromStart_ && unansweredExchanges >= LostAfterUnansweredExchanges;
  if (unanswered || ticksSinceExchange_ > LostAfterTicks) LoseLink(now, events);
  return events;
}

std::vector<Event> PlantState::PortLost(Clock::time_point now) {
  std::vector<Event> events;
  LoseLink(now, events);
  return events;
}

void PlantState::LoseLink(Clock::time_point now, std::vector<Event>& events) {
  if (link_ == Link::Lost) return;
  link_ = Link::Lost;
  events.push_back(At(EventKind::LinkLost, now));
}

}  // namespace Alarm
