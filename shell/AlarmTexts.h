#pragma once
// The German words of the plant's alarms on the desktop: what the tray icon
// shows for the plant's state, and the notice each event gives.
#include <QString>
#include <optional>
#include <vector>

#include "alarm/PlantState.h"

// The state as one picture: the link first, then the monitoring, then the fault.
enum class AlarmLook { Waiting, Fine, Fault, Unwatched, LinkLost };

struct AlarmNotice {
  QString Title;
  QString Text;
  AlarmLook Look = AlarmLook::Fine;  // the picture beside it
};
// A fault or a lost link, not an all-clear.
bool IsWarning(AlarmLook look);

AlarmLook LookOf(const Alarm::PlantState& state);
// One line: "Verbindung unterbrochen", "Überwachung aus", the controller's own
// fault words ("keine Störung!", "Zähler 1 oder Zähler 5") or "noch kein Datenaustausch".
QString StateLineOf(const Alarm::PlantState& state);
// The program's name, the state line and, once there was one, "letzter Datenaustausch HH:MM".
QString ToolTipOf(const Alarm::PlantState& state);
// The notice of a fault that starts or ends and of a link that is lost or
// back; none for the monitoring switch, which only the icon shows.
std::optional<AlarmNotice> NoticeFor(const Alarm::Event& event, const Alarm::PlantState& state);
// The notices of events that came together (a link back with its fault's end)
// as one, so that none hides another: the titles in a row, a line of text each,
// the picture of the first warning.
std::optional<AlarmNotice> NoticeFor(const std::vector<Alarm::Event>& events, const Alarm::PlantState& state);
