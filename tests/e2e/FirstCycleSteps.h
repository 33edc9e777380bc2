#pragma once
// The steps of a user's first polling cycle that the whole-program tests
// share, with their checks: a click on a COM button brings up the daily
// chart, the program connects, the controller sends every block of a data
// exchange up to its end frame, and the view is still there after the
// refresh that follows the exchange.
#include "tools/desktop/Desktop.h"
#include "tools/desktop/PlantSession.h"

// The cycle is paced by a one-second timer: connection, 24 ticks, the
// exchange, the refresh at tick 41, commands up to tick 54.
inline constexpr int CycleMs = 60000;

// Runs the first cycle on COM `port`; failures are reported to the running test.
void ExpectFirstCycleExchanges(PlantSession& session, Desktop& desktop, int port);
