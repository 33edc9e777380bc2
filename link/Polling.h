#pragma once
// The polling cycle: the once-a-second tick, the block decoder that answers
// every received block at once, and the requests.
#include <optional>
#include <string>

// What the window layer must do after a tick. Texts are code page 1252.
struct TickActions {
  std::optional<std::string> StatusText;  // the main window's status line

  bool Refresh = false;  // the refresh point of the cycle (tick 41)
  // With Refresh: the settings window's check boxes, indexed by their number
  // (1..8 "Adr.1".."Adr.8", 9 "ER2", 10 "0 Vorwahl für Modem ", 11 "ER3").
  bool CheckBoxes[12] = {};
  // With Refresh: the view (1..5) to centre, show and redraw, 0 for none;
  // views 1 and 2 hide every view first.
  int RedrawView = 0;
  bool HideAllFirst = false;
  std::optional<std::string> LinkText;     // settings window, "PC-TERVA Verbindung"
  std::optional<std::string> MonitorText;  // settings window, plant monitoring

  int CommandSent = 0;  // the slot whose command went out at this tick, 0 for none
};

// What the decoder has seen since the last InitLink: for summaries and for
// noticing that a data exchange has completed.
struct LinkStatistics {
  unsigned long Frames = 0;              // whole frames received
  unsigned long BlocksStored = 0;        // data blocks taken into the store
  unsigned long FramesAskedAgain = 0;    // frames answered by sending the last frame again
  unsigned long BadChecksums = 0;        // of those, the ones whose checksum was wrong
  unsigned long ExchangesCompleted = 0;  // type-11 frames: a whole data exchange is in the store
};
extern LinkStatistics LinkCounts;

// Start values of the link (as at program start) and a purge of the port.
void InitLink();
// One tick of the polling timer.
TickActions PollingTick();
// Verifies, stores and answers the frame in RxFrame.
void DecodeFrame();
// Request frame FF F8 06 code 00 checksum.
void SendRequest(int code);
// Connection request FF F8 08 15 00 00 00 checksum.
void SendConnectRequest();
// The reply code to a data block of the given type for the current ControllerType,
// or 0 when the type gets no reply.
int ReplyCodeFor(int type);

// The texts the cycle shows (code page 1252).
std::string ConnectingStatusText();
std::string MonitorTextFor(unsigned monitoringOn, unsigned faultReport);
