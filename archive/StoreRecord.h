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

// The record of the store's data. The plant is the controller's
// identification, or plantName where the store holds none. Nothing when the
// controller's clock is no valid moment (no data received yet), since no value
// could be dated.
std::optional<ExchangeRecord> RecordFromStore(const std::string& plantName);

}  // namespace Archive
