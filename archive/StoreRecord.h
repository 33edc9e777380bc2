#pragma once
// Builds the record of the exchange that the plant data store holds now: the
// days, months and meters the controller reported, dated by its own clock.
#include <optional>
#include <string>

#include "archive/ExchangeRecord.h"

namespace Archive {

// The controller's identification ("Internetkennung") as text, or "" when
// the store holds none.
std::string ControllerIdentity();

// Why the store's clock cannot date a record (a year outside the
// controller's calendar, a month or day out of range, an impossible time);
// "" when it can, or when no clock was received yet (all date words 0).
std::string StoreClockProblem();

// The record of the store's data. The plant is the controller's
// identification, or plantName where the store holds none. Nothing when the
// controller's clock is no possible moment (no data received yet, or a year
// outside FirstControllerYear..LastControllerYear), since no value could be dated.
std::optional<ExchangeRecord> RecordFromStore(const std::string& plantName);

}  // namespace Archive
