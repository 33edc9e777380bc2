#pragma once
// The plant's state as its owner is told it: whether the controller's link is
// up, whether the controller watches the plant, which fault it reports, and
// when the last whole data exchange came; and each change of these as an
// event, told once. The program's tray icon and the bridge both use it.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Alarm {

using Clock = std::chrono::system_clock;

enum class EventKind { FaultStarted, FaultEnded, LinkLost, LinkBack, MonitoringOff, MonitoringOn };

struct Event {
  EventKind Kind = EventKind::FaultStarted;
  Clock::time_point Time;
  // The controller's words for the fault (UTF-8, trimmed): the new fault's
  // for FaultStarted, the one that ended for FaultEnded, else empty.
  std::string FaultText;
};

// What one whole data exchange says of the plant: the monitoring switch and
// the fault report, as the store holds them.
struct Report {
  bool Monitoring = false;
  uint16_t FaultCode = 0;  // 0 none, 33 meter 1, else the meter deviating from meter 1
};
Report ReportOfStore();

// The controller's words for a fault code (UTF-8, trimmed), "keine Störung!" for 0.
std::string FaultTextFor(uint16_t code);
// The controller's words for monitoring switched off (UTF-8, trimmed).
std::string MonitoringOffText();

enum class Link { Unknown, Up, Lost };

class PlantState {
public:
  // A fault the controller stops reporting has ended only once it was absent
  // from this many exchanges in a row (about three minutes): a meter that
  // falls behind its neighbours, catches up and falls behind again within a
  // few exchanges, as under passing clouds, is one alarm, not one per cloud.
  static constexpr int ClearExchangesToEnd = 3;
  // The link is lost when the controller has not completed an exchange for
  // more than two cycles: the program's own rule ("unterbrochen!" once three
  // exchanges were started without an end), and the same span of ticks for a
  // controller that does not even answer the connection requests.
  static constexpr int CycleTicks = 56;
  static constexpr int LostAfterTicks = 3 * CycleTicks;
  static constexpr int LostAfterUnansweredExchanges = 3;

  std::vector<Event> ExchangeCompleted(const Report& report, Clock::time_point now);
  // Once per polling tick, with the link's count of exchanges started without an end.
  std::vector<Event> Tick(int unansweredExchanges, Clock::time_point now);
  // The port was opened (again): the link's count starts over at its start
  // value, which says nothing until the next exchange.
  void PortOpened() { countFromStart_ = true; }
  // The port is gone (a pulled adapter, a server that closed): lost at once.
  std::vector<Event> PortLost(Clock::time_point now);

  Link LinkState() const { return link_; }
  // Whether the controller watches the plant, as the last exchange said; none before the first.
  std::optional<bool> Monitoring() const { return monitoring_; }
  // The fault being reported (the controller's words), none while there is none.
  const std::optional<std::string>& Fault() const { return fault_; }
  std::optional<Clock::time_point> LastExchange() const { return lastExchange_; }

private:
  void TakeMonitoring(bool on, Clock::time_point now, std::vector<Event>& events);
  void TakeFault(uint16_t code, Clock::time_point now, std::vector<Event>& events);
  void LoseLink(Clock::time_point now, std::vector<Event>& events);

  Link link_ = Link::Unknown;
  std::optional<bool> monitoring_;
  std::optional<std::string> fault_;
  int clearExchanges_ = 0;
  int ticksSinceExchange_ = 0;
  bool countFromStart_ = true;  // no exchange since the port was opened
  std::optional<Clock::time_point> lastExchange_;
};

}  // namespace Alarm
