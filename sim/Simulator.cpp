#include "Simulator.h"

#include <cstdio>

#include "BlockRenderer.h"
#include "CommandFrame.h"
#include "protocol/FrameFormat.h"

namespace Sim {

namespace {

std::string BlockMeaning(int type, const Bytes& frame) {
  char text[80];
  switch (type) {
    case 1:
      std::snprintf(text, sizeof text, "ControllerInfo type %d version %02d %02d %02d", frame[4], frame[5], frame[6],
                    frame[7]);
      return text;
    case EndOfExchangeType: return "EndOfExchange";
    case 20: return frame[4] == 0 ? "ConnectAnswer ready" : "ConnectAnswer not ready";
    default: return "Block " + std::to_string(type);
  }
}

constexpr double TotalsDipFraction = 0.5;

std::string WithNote(std::string meaning, const std::string& note) {
  return note.empty() ? meaning : meaning + " [" + note + "]";
}

}  // namespace

Simulator::Simulator(const SimConfig& config, const Clock& clock, std::ostream* log)
    : config_(config),
      clock_(clock),
      startMs_(clock.MonotonicMs()),
      log_(log, startMs_),
      model_(config.Plant, clock),
      faults_(config.Faults, config.Plant.Seed),
      chain_(config.Plant.ControllerType),
      schedule_(config.Events) {
  model_.Render(startMs_);  // computes the plant's history once, so that the first answer is as quick as the rest
  log_.Event(startMs_, "Controller clock " + FormatCivilTime(CivilTimeOf(model_.ControllerNow(startMs_))) +
                           ", controller type " + std::to_string(config.Plant.ControllerType));
  ApplyDueEvents();
}

void Simulator::Receive(const uint8_t* data, size_t count) {
  std::vector<PcChunk> chunks;
  reader_.Feed(data, count, Now(), chunks);
  for (const PcChunk& c : chunks) OnChunk(c);
}

void Simulator::Poll() {
  std::vector<PcChunk> chunks;
  reader_.Expire(Now(), chunks);
  for (const PcChunk& c : chunks) OnChunk(c);
  ApplyDueEvents();
}

void Simulator::ApplyDueEvents() {
  for (const PlantEvent& e : schedule_.TakeDue(static_cast<double>(Now() - startMs_) / 1000.0)) ApplyEvent(e);
}

void Simulator::ApplyEvent(const PlantEvent& e) {
  switch (e.Kind) {
    case PlantEventKind::RaiseFault:
      model_.RaiseFault(e.Meter);
      log_.Event(Now(), "Fault raised: meter " + std::to_string(e.Meter));
      break;
    case PlantEventKind::ClearFault:
      model_.ClearFault();
      log_.Event(Now(), "Fault cleared");
      break;
    case PlantEventKind::MonitoringOff:
      model_.SwitchMonitoringOff();
      log_.Event(Now(), "Monitoring switched off");
      break;
    case PlantEventKind::DipTotals: dipPending_ = true; break;  // logged when the exchange takes it
    case PlantEventKind::ResetTotals:
      model_.ResetTotals(Now());
      log_.Event(Now(), "Totals reset");
      break;
  }
}

// The blocks a starting exchange sends; a due dip lowers the totals of this exchange only.
BlockSet Simulator::RenderExchange() {
  ApplyDueEvents();
  BlockSet blocks = model_.Render(Now());
  if (dipPending_) {
    LowerTotals(blocks, TotalsDipFraction);
    dipPending_ = false;
    log_.Event(Now(), "Totals dipped to half for this exchange");
  }
  return blocks;
}

void Simulator::OnChunk(const PcChunk& chunk) {
  if (!chunk.IsFrame) {
    log_.Received(Now(), chunk.Bytes, "Unframed bytes, dropped");
    return;
  }
  OnFrame(chunk.Bytes);
}

void Simulator::OnFrame(const Bytes& frame) {
  if (FrameFormat::Checksum(frame.data(), frame.size()) != frame.back()) {
    log_.Received(Now(), frame, "Frame with bad checksum, ignored");
    return;
  }
  if (frame[0] == FrameFormat::CommandHead0) return OnCommand(frame);
  if (frame[2] == FrameFormat::ConnectLength && frame[3] == FrameFormat::ConnectCode) return OnConnectRequest(frame);
  if (frame[2] == FrameFormat::RequestLength) return OnRequest(frame);
  log_.Received(Now(), frame, "Unknown request, ignored");
}

void Simulator::OnConnectRequest(const Bytes& frame) {
  chain_.Reset();
  silent_ = false;
  if (faults_.SkipConnectAnswer()) {
    log_.Received(Now(), frame, "ConnectRequest [no answer]");
    return;
  }
  log_.Received(Now(), frame, "ConnectRequest");
  const uint8_t state = faults_.AnswerNotReady() ? 1 : 0;
  Emit(20, ConnectAnswerFrame(state), BlockMeaning(20, ConnectAnswerFrame(state)));
}

void Simulator::OnRequest(const Bytes& frame) {
  const int code = frame[3];
  if (code == StartExchangeCode) silent_ = false;
  const std::string meaning = "Request " + std::to_string(code);
  if (silent_) {
    log_.Received(Now(), frame, meaning + " [silent, no answer]");
    return;
  }
  const ExchangeChain::Step step = chain_.OnRequest(code);
  switch (step.What) {
    case ExchangeChain::Action::Send:
      log_.Received(Now(), frame, code == StartExchangeCode ? meaning + " (start of exchange)" : meaning);
      if (code == StartExchangeCode) exchangeBlocks_ = RenderExchange();
      SendBlock(step.Type, false);
      break;
    case ExchangeChain::Action::SendAgain:
      log_.Received(Now(), frame, meaning + " (again)");
      SendBlock(step.Type, true);
      break;
    case ExchangeChain::Action::Unexpected: log_.Received(Now(), frame, meaning + " [unexpected, no answer]"); break;
  }
}

void Simulator::OnCommand(const Bytes& frame) {
  const Command command = DecodeCommand(frame.data(), frame.size());
  const std::string note = model_.Apply(command, Now());
  log_.Received(Now(), frame, WithNote(DescribeCommand(command), note));
}

Bytes Simulator::BuildFrame(int type) {
  if (type == 1) return ControllerInfoFrame(model_.State().ControllerType, model_.State().Version);
  if (type == EndOfExchangeType) return EndFrame();
  return DataBlockFrame(type, exchangeBlocks_.Table(type));
}

void Simulator::SendBlock(int type, bool again) {
  if (!again) lastFrame_ = BuildFrame(type);
  const std::string meaning = BlockMeaning(type, lastFrame_) + (again ? " (again)" : "");
  Emit(type, lastFrame_, meaning);
}

void Simulator::Emit(int type, Bytes frame, const std::string& meaning) {
  Emission e = faults_.Prepare(type, std::move(frame));
  const int64_t due = Now() + config_.ReplyDelayMs;
  if (!e.Junk.empty()) {
    log_.Sent(Now(), e.Junk, "Junk");
    queue_.push_back({due, e.Junk});
  }
  log_.Sent(Now(), e.Frame, WithNote(meaning, e.Note));
  queue_.push_back({due, e.Frame});
  if (e.SilenceAfter) {
    silent_ = true;
    log_.Event(Now(), "Silent until the next connection request");
  }
}

Bytes Simulator::TakeDue() {
  Bytes out;
  while (!queue_.empty() && queue_.front().DueMs <= Now()) {
    out.insert(out.end(), queue_.front().Data.begin(), queue_.front().Data.end());
    queue_.pop_front();
  }
  return out;
}

std::optional<int64_t> Simulator::NextDueMs() const {
  if (queue_.empty()) return std::nullopt;
  return queue_.front().DueMs;
}

bool Simulator::HangUpDue() const {
  const auto& after = config_.Faults.HangUpAfterSeconds;
  return after && static_cast<double>(Now() - startMs_) >= *after * 1000.0;
}

Bytes Simulator::PlantFile() {
  ApplyDueEvents();
  return model_.Render(Now()).PlantFile();
}

}  // namespace Sim
