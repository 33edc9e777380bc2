#pragma once
// The program's one plant state for alarms, fed by the polling session (each
// completed exchange, each tick, a lost port) and shown in the tray: each
// change of state redraws the icon, each alarm gives one notice.
#include <QObject>
#include <vector>

#include "alarm/PlantState.h"
#include "shell/AlarmTray.h"

class PollingSession;
class QTimer;

class PlantAlarms : public QObject {
public:
  // Attaches to the session's events (after those already set) and to the polling timer's tick.
  PlantAlarms(PollingSession& session, QTimer& pollingTimer);

  const Alarm::PlantState& State() const { return state_; }
  const AlarmTray& Tray() const { return tray_; }

private:
  void Take(const std::vector<Alarm::Event>& events);

  Alarm::PlantState state_;
  AlarmTray tray_;
};
