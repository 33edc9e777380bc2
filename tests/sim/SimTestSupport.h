#pragma once
// The PC's link core (the plant store, frames, polling cycle on an in-memory
// port) against the simulator in the same process, on a clock the test moves.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "Simulator.h"
#include "link/Dcl.h"
#include "tests/support/MemoryPort.h"

namespace SimTest {

using Sim::Bytes;

// 21 June 2023, 13:00 on the controller clock unless a test says otherwise.
inline Sim::ClockSeconds Moment(int y, int mo, int d, int h, int mi) {
  return Sim::SecondsOf(Sim::CivilTime{y, mo, d, h, mi, 0});
}

inline Sim::SimConfig Config(int controllerType = 24) {
  Sim::SimConfig c;
  c.Plant.Seed = 7;
  c.Plant.Start = Moment(2023, 6, 21, 13, 0);
  c.Plant.ControllerType = controllerType;
  c.Plant.Commissioning = std::make_pair(2019, 4);
  return c;
}

class LinkAgainstSim {
public:
  explicit LinkAgainstSim(const Sim::SimConfig& config, Sim::ClockSeconds hostTime = Moment(2024, 1, 2, 3, 4))
      : clock(hostTime), sim(config, clock, &log) {
    ClearPlantStore();
    SetLinkPort(&port);
    SetCommandControls(nullptr);
    InitLink();
    port.TakeWritten();
  }
  ~LinkAgainstSim() {
    SetLinkPort(nullptr);
    SetCommandControls(nullptr);
  }

  // Moves bytes both ways until both sides are quiet, as the receive event would.
  void Pump() {
    for (int round = 0; round < 10000; ++round) {
      const Bytes fromPc = port.TakeWritten();
      if (!fromPc.empty()) sim.Receive(fromPc);
      const Bytes fromSim = sim.TakeDue();
      if (!fromSim.empty()) {
        port.Feed(fromSim);
        GatherRxBytes();
      }
      if (fromPc.empty() && fromSim.empty()) return;
    }
    ADD_FAILURE() << "the two sides never fell quiet";
  }

  // One second: the polling tick, the bytes it sets off, then the clock moves on.
  TickActions Tick() {
    const TickActions a = PollingTick();
    Pump();
    clock.Advance(1000);
    sim.Poll();
    return a;
  }

  // Ticks until the tick that leaves PollTick at target has run.
  TickActions TickUntil(int target, int limit = 200) {
    TickActions last;
    for (int i = 0; i < limit; ++i) {
      last = Tick();
      if (PollTick == target) return last;
    }
    ADD_FAILURE() << "PollTick never reached " << target;
    return last;
  }

  // From the connecting state through one data exchange up to the refresh (tick 41).
  TickActions RunToRefresh() { return TickUntil(42); }
  // On to the end of the cycle (back to connecting, commands sent on the way).
  void RunToCycleEnd() { TickUntil(60); }

  std::string LogText() const { return log.str(); }

  Sim::ManualClock clock;
  std::ostringstream log;
  Sim::Simulator sim;
  MemoryPort port;
};

// The PC's table of a block type.
inline const uint16_t* PcTable(int type) { return BlockTable(type); }

}  // namespace SimTest
