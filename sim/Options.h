#pragma once
// The command line of zentrixnet-sim.
#include <optional>
#include <string>
#include <vector>

#include "Simulator.h"

namespace Sim {

struct ProgramOptions {
  SimConfig Sim;
  std::optional<int> Com;   // link the pseudo-terminal as COM n
  std::string Device;       // use this tty instead of a pseudo-terminal
  bool Fast = false;        // no pacing at the line rate
  std::string LogPath;      // the frame log
  std::string WriteSol;     // write the blocks to this .sol file and exit
  std::string SolOnSignal;  // write the blocks to this .sol file on SIGUSR1
  bool Help = false;
  bool Version = false;
  bool ListPorts = false;
};

struct ParsedOptions {
  std::optional<ProgramOptions> Options;  // nothing on an error
  std::string Error;
};

// Parses the arguments (without the program name). hostNow is the start of the
// controller clock when --start is not given.
ParsedOptions ParseOptions(const std::vector<std::string>& args, ClockSeconds hostNow);
std::string HelpText();
// Every option the command line knows, as written ("--com", ...).
std::vector<std::string> OptionNames();

}  // namespace Sim
