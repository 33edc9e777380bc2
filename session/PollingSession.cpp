#include "session/PollingSession.h"

#include <cstdlib>
#include <fstream>

#include "base/ExchangePhases.h"
#include "link/FrameTrace.h"
#include "link/Frames.h"
#include "serial/VaComm.h"
#include "session/PortReport.h"

namespace {

// The program has always named its ports so; on Linux the binding maps COM n
// to a device.
constexpr const char* ComDeviceName = "\\\\.\\COM%d";

// A device path as a device name: the component formats the name, so a '%'
// of the path must stand for itself.
std::string DeviceNameFor(const std::string& path) {
  std::string name;
  for (char c : path) {
    name += c;
    if (c == '%') name += '%';
  }
  return name;
}

// The benchmarks name a file here to get the main thread's time per phase,
// one line of running totals after each completed exchange.
constexpr const char* PhaseLogVariable = "PCZN_PHASE_LOG";

std::string PhaseLogFile() {
  const char* file = std::getenv(PhaseLogVariable);
  return file != nullptr ? file : "";
}

}  // namespace

PollingSession::PollingSession() : port_(std::make_unique<TVaComm>(nullptr)) {
  Configure();
  SetLinkPort(port_.get());
  InitLink();
  exchangesSeen_ = LinkCounts.ExchangesCompleted;
  phaseLog_ = PhaseLogFile();
  if (!phaseLog_.empty()) ExchangePhases::Enable(true);
}

PollingSession::~PollingSession() {
  if (trace_) SetFrameTrace(nullptr);
  SetLinkPort(nullptr);
  port_->OnRxChar = nullptr;
}

// 2400 baud 8N1 without handshake, DTR and RTS off; the receive event with a
// count of the waiting bytes.
void PollingSession::Configure() {
  TVaComm& port = *port_;
  port.SetBaudrate(br2400);
  port.EventChars().SetEventChar(9);
  port.EventChars().SetEofChar(9);
  port.FlowControl().SetControlDtr(dtrDisabled);
  port.FlowControl().SetControlRts(rtsDisabled);
  port.SetDeviceName(ComDeviceName);
  port.SetMonitorEvents(TVaCommEvents{ceRxChar, ceRx80Full});
  port.OnRxChar = [this](TVaCustomComm*, int) { ReceiveBytes(); };
}

void PollingSession::TraceTo(const std::string& file) {
  std::unique_ptr<FrameTrace> trace = file.empty() ? nullptr : std::make_unique<FrameTrace>(file);
  SetFrameTrace(trace.get());
  trace_ = std::move(trace);
}

namespace {

// The first line of a message: the missing device's hint below it is for the user.
std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

}  // namespace

void PollingSession::Open(const PortChoice& choice) {
  Close();
  if (choice.Number > 0) {
    port_->SetDeviceName(ComDeviceName);
    port_->SetPortNum(choice.Number);
  } else {
    port_->SetDeviceName(DeviceNameFor(choice.Path));
  }
  lostReported_ = false;
  silenceReported_ = false;
  ticksSinceExchange_ = 0;
  try {
    port_->Open();
  } catch (const EVaCommError& error) {
    TraceLinkState("port not opened: " + FirstLine(error.what()));
    if (error.Kind() != TVaCommErrorKind::NotFound) throw;
    // The component's text stays the first line; below it what does exist.
    throw EVaCommError(std::string(error.what()) + "\n\n" + MissingDeviceHint(choice.Number), error.Kind(),
                       error.SystemCode());
  }
  TraceLinkState("port opened: " + port_->OpenPath());
  if (On.PortOpened) On.PortOpened();
}

void PollingSession::Close() {
  if (port_->Active()) TraceLinkState("port closed: " + port_->OpenPath());
  port_->Close();
}

bool PollingSession::IsOpen() const { return port_->Active(); }

TickActions PollingSession::Tick() {
  const PhaseScope phase(ExchangePhase::Tick);
  TickActions actions = PollingTick();
  if (actions.StatusText) status_ = *actions.StatusText;
  port_->ReportDeviceNotices();
  NoticeLostPort();
  NoticeSilence();
  return actions;
}

// The body of the receive event: the link gathers and answers the frames; a
// type-11 frame among them completes the exchange.
void PollingSession::ReceiveBytes() {
  const PhaseScope phase(ExchangePhase::Receive);
  GatherRxBytes();
  if (LinkCounts.ExchangesCompleted == exchangesSeen_) return;
  exchangesSeen_ = LinkCounts.ExchangesCompleted;
  ticksSinceExchange_ = 0;
  silenceReported_ = false;
  TraceLinkState("exchange completed");
  {
    // What the user does with an exchange beside archiving it: in the bridge, its publishing.
    const PhaseScope handler(ExchangePhase::Publish);
    if (On.ExchangeCompleted) On.ExchangeCompleted();
  }
  WritePhaseLine();
}

void PollingSession::WritePhaseLine() const {
  if (phaseLog_.empty()) return;
  std::ofstream(phaseLog_, std::ios::app)
      << "exchange " << exchangesSeen_ << ": " << ExchangePhases::TotalsLine() << std::endl;
}

void PollingSession::NoticeLostPort() {
  if (lostReported_ || !port_->Active() || !port_->DeviceLost()) return;
  lostReported_ = true;
  TraceLinkState("port lost: " + port_->OpenPath());
  if (On.PortLost) On.PortLost();
}

void PollingSession::NoticeSilence() {
  if (!port_->Active()) return;
  if (++ticksSinceExchange_ < SilentAfterTicks || silenceReported_) return;
  silenceReported_ = true;
  TraceLinkState("exchange timed out: no whole exchange within " + std::to_string(SilentAfterTicks) + " ticks");
  if (On.ControllerSilent) On.ControllerSilent();
}
