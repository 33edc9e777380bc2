#pragma once
// The polling session: the serial port set up for the controller's line, the
// polling cycle's one-second tick, the bytes the port receives, and what the
// session's user must hear of: a completed data exchange, a controller that
// stopped answering, a lost port. The program's main window, the bridge and the
// console poller each drive one from their own loop (Tick once a second, and
// the main thread's queued calls in between).
#include <functional>
#include <memory>
#include <string>

#include "link/Polling.h"
#include "session/PortChoice.h"

class FrameTrace;
class TVaComm;

class PollingSession {
public:
  // Ticks after the last completed exchange (or the opening) that count as a
  // controller that stopped answering: one whole cycle of 56 ticks plus the
  // time an exchange with a few frames asked again may take.
  static constexpr int SilentAfterTicks = 75;

  struct Events {
    std::function<void()> ExchangeCompleted;  // a whole data exchange is in the store
    std::function<void()> ControllerSilent;   // once per silence of SilentAfterTicks
    std::function<void()> PortLost;           // once per opening; the port reported it already
    std::function<void()> PortOpened;         // each opening; the link's counts start over
  };

  // The port set up as the controller's line wants it and attached to the
  // link, which starts at its start values. One session at a time.
  PollingSession();
  ~PollingSession();
  PollingSession(const PollingSession&) = delete;
  PollingSession& operator=(const PollingSession&) = delete;

  TVaComm& Port() { return *port_; }
  // Writes every frame of the link and the session's state changes (port opened,
  // closed, lost; exchange completed or timed out) to the file from now on; an
  // empty name stops the trace. Raises Exception when the file cannot be written.
  void TraceTo(const std::string& file);
  // Closes the port, points it at the choice and opens it. Raises
  // EVaCommError with the component's text and kind when the port cannot be opened;
  // for a device that is not there, a hint follows: the serial devices that
  // exist and how to point a COM number at one.
  void Open(const PortChoice& choice);
  void Close();
  bool IsOpen() const;
  bool PortWasLost() const { return lostReported_; }

  // One tick of the polling cycle: what the caller must show.
  TickActions Tick();
  // The last status line of the cycle (code page 1252), empty before the first.
  const std::string& StatusText() const { return status_; }
  int TicksSinceExchange() const { return ticksSinceExchange_; }

  Events On;

private:
  void Configure();
  void ReceiveBytes();
  void WritePhaseLine() const;
  void NoticeLostPort();
  void NoticeSilence();

  std::unique_ptr<TVaComm> port_;
  std::unique_ptr<FrameTrace> trace_;
  std::string status_;
  std::string phaseLog_;  // the benchmarks' file for the time per phase; empty: none kept
  unsigned long exchangesSeen_ = 0;
  int ticksSinceExchange_ = 0;
  bool silenceReported_ = false;
  bool lostReported_ = false;
};
