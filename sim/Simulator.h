#pragma once
// The controller on the line: takes the PC's bytes, answers connection
// requests, streams the blocks of a data exchange, applies commands to the
// plant model, injects the chosen faults and logs every frame. Bytes in, timed
// bytes out; the clock is injected, so the whole controller runs in a test
// without a terminal.
#include <cstdint>
#include <deque>
#include <optional>
#include <ostream>
#include <vector>

#include "BlockSet.h"
#include "Clock.h"
#include "ExchangeChain.h"
#include "Faults.h"
#include "FrameLog.h"
#include "PcFrameReader.h"
#include "PlantEvents.h"
#include "PlantModel.h"
#include "ResponseFrames.h"

namespace Sim {

struct SimConfig {
  PlantOptions Plant;
  FaultOptions Faults;
  int ReplyDelayMs = 0;            // the controller's time to think before it answers
  std::vector<PlantEvent> Events;  // changes of the controller's state at given times
};

class Simulator {
public:
  Simulator(const SimConfig& config, const Clock& clock, std::ostream* log = nullptr);

  // Bytes from the PC that arrived now.
  void Receive(const uint8_t* data, size_t count);
  void Receive(const Bytes& bytes) { Receive(bytes.data(), bytes.size()); }
  // Lets time act: drops a PC frame left unfinished too long, applies the events due.
  void Poll();
  // The bytes whose time to go out has come, in order.
  Bytes TakeDue();
  // When the next queued bytes are due (monotonic ms), if any are queued.
  std::optional<int64_t> NextDueMs() const;
  // The hang-up fault: the line is to be closed now.
  bool HangUpDue() const;

  // The plant data file (.sol) of the blocks as they stand now.
  Bytes PlantFile();
  PlantModel& Model() { return model_; }
  // The blocks of the last exchange, as taken when it started.
  const BlockSet& ExchangeBlocks() const { return exchangeBlocks_; }
  FrameLog& Log() { return log_; }

private:
  void OnChunk(const PcChunk& chunk);
  void OnFrame(const Bytes& frame);
  void OnConnectRequest(const Bytes& frame);
  void OnRequest(const Bytes& frame);
  void OnCommand(const Bytes& frame);
  void SendBlock(int type, bool again);
  void ApplyDueEvents();
  void ApplyEvent(const PlantEvent& event);
  BlockSet RenderExchange();
  Bytes BuildFrame(int type);
  void Emit(int type, Bytes frame, const std::string& meaning);
  int64_t Now() const { return clock_.MonotonicMs(); }

  struct Queued {
    int64_t DueMs;
    Bytes Data;
  };

  SimConfig config_;
  const Clock& clock_;
  int64_t startMs_;
  FrameLog log_;
  PlantModel model_;
  FaultInjector faults_;
  PcFrameReader reader_;
  ExchangeChain chain_;
  BlockSet exchangeBlocks_;  // the blocks of the running exchange, taken when it starts
  Bytes lastFrame_;          // the last block as built, to be sent again on request
  bool silent_ = false;
  PlantSchedule schedule_;
  bool dipPending_ = false;  // the next exchange reports the totals lowered
  std::deque<Queued> queue_;
};

}  // namespace Sim
