#pragma once
// What the simulator's frame log tells about the data exchanges: how many
// bytes the controller sent in each, from its request 16 (the start of the
// exchange) to its end frame.
#include <string>
#include <vector>

// Bytes on the lines "<seconds> SIM>PC <hex bytes>  <meaning>" of each whole
// exchange in the log, in order.
std::vector<int> ControllerBytesPerExchange(const std::string& log);
