#pragma once
// What the simulator's frame log tells about the data exchanges: when each
// started (the PC's request 16) and when its end frame was handed to the
// line, and how many bytes the controller sent in it.
#include <string>
#include <vector>

struct LoggedExchange {
  double StartS = 0;        // the log's seconds of request 16
  double EndFrameS = 0;     // the log's seconds of the end frame
  int ControllerBytes = 0;  // sent in the exchange, the end frame's included
  int EndFrameBytes = 0;
  int Frames = 0;  // the controller's frames, the end frame's included
};

// The whole exchanges in the log, in order.
std::vector<LoggedExchange> ExchangesInLog(const std::string& log);

// The exchange's time, from request 16 to the end frame's last byte at the
// PC, as on a line at 2400 baud, against the wire time of the controller's
// bytes; a PC that answers every frame at once gives 1. The simulator paces
// only its own direction (the PC's bytes reach it at once), and it writes each
// byte at the start of its time on the line, where the pseudo-terminal hands
// it over at once: a frame is whole at the PC one byte time earlier than over
// a wire. That time is added back for each frame the PC answered.
double WireTimeRatio(const LoggedExchange& exchange);

// Bytes on the lines "<seconds> SIM>PC <hex bytes>  <meaning>" of each whole
// exchange in the log, in order.
std::vector<int> ControllerBytesPerExchange(const std::string& log);
