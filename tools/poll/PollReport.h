#pragma once
// The summary zentrixnet-poll prints after a run.
#include <ostream>

#include "PollRun.h"

// Blocks received, frames asked for again, bad checksums, the controller's
// type, version and clock (from the blocks, once an exchange brought them).
void PrintSummary(const PollResult& result, std::ostream& out);
