#pragma once
// The command line of zentrixnet-poll.
#include <optional>
#include <string>
#include <vector>

struct PollOptions {
  std::string Port;       // "COMn" or a device path
  std::string SolPath;    // write the plant data file here after the exchange
  std::string TracePath;  // write the frame trace here; empty: no trace
  int Cycles = 0;         // ticks at most (0: until the exchange or the answer limit)
  int AnswerLimitSeconds = 30;
  int TickMs = 1000;  // the polling timer's period
  bool Help = false;
  bool Version = false;
  bool ListPorts = false;
};

struct ParsedPollOptions {
  std::optional<PollOptions> Options;  // nothing on an error
  std::string Error;
};

// Parses the arguments (without the program name).
ParsedPollOptions ParsePollOptions(const std::vector<std::string>& args);
std::string PollHelpText();
std::string PollVersionText();
