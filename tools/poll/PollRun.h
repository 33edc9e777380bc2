#pragma once
// One run of zentrixnet-poll: opens the port as the program does, drives the
// link's polling cycle from a plain main-thread loop (ticks on a timer, the
// port's events through the main-thread wake), and stops once a whole data
// exchange is done or a limit is reached.
#include <ostream>
#include <string>

#include "PollOptions.h"

enum class PollEnd {
  ExchangeDone,  // the controller sent every block and the end of the exchange
  OpenFailed,    // the port could not be opened
  NoAnswer,      // not a single frame within the answer limit
  TickLimit,     // no whole exchange within --cycles ticks
  LineLost,      // the device went away (a hang-up, a pulled adapter)
  LineFull,      // the line takes nothing more: what was sent is not drained
};

struct PollResult {
  PollEnd End = PollEnd::NoAnswer;
  int Ticks = 0;
  std::string Error;  // why the run ended, for every end but ExchangeDone
};

// Runs the cycle, printing the status line of each tick to `out` and every
// error the port reports to `err` as it happens.
PollResult RunPoll(const PollOptions& options, std::ostream& out, std::ostream& err);
