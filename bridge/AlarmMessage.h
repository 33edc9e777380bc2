#pragma once
// The alarm message: the plant's state as the alarm's sensors read it, one
// retained JSON object with "ON"/"OFF" for the binary sensors, the fault in
// the controller's words and the last good exchange in ISO 8601.
#include <string>

#include "alarm/PlantState.h"

// A moment as ISO 8601 in UTC to the second: "2026-06-21T11:40:03Z".
std::string IsoTime(Alarm::Clock::time_point time);

// {"problem":"ON","fault":"Zähler 2","link":"ON","monitoring":"ON","last_exchange":"..."};
// the fault is "" and the last exchange null while there is none.
std::string AlarmMessage(const Alarm::PlantState& state);
