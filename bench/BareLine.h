#pragma once
// The line alone: the reply latency a bare reader thread reaches on a
// pseudo-terminal with the same pacing, no event loop and no serial
// component in between. It shows how much of a latency tail belongs to the
// machine's terminal layer and scheduler rather than to the program.
#include <vector>

// `blocks` blocks of `blockBytes` bytes sent one byte every 10 bit times at
// 2400 baud; after each block the reader answers with one byte. Returns the
// time from the block's last byte written to the answer read, in milliseconds.
std::vector<double> MeasureBareReplyLatenciesMs(int blocks, int blockBytes);
