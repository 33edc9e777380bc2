#pragma once
// The simulator program zentrixnet-sim on a pseudo-terminal of its own,
// linked as a COM port of a ports folder, with its frame log in a file.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"

class SimulatorProcess {
public:
  // `configHome` is the XDG_CONFIG_HOME whose ports folder gets the link.
  SimulatorProcess(std::string configHome, std::string logPath);
  ~SimulatorProcess();
  // Starts it as COM `com` (0: no link) with the given options; false when it does not come up.
  bool Start(int com, const std::vector<std::string>& options);
  void Stop();
  void Signal(int signal);
  bool Running() const;
  // The terminal path it printed.
  const std::string& Device() const { return device_; }
  std::string Log() const;
  // The last data block of each type that went out whole and intact
  // (type -> 100 words), read from the log's exact bytes.
  std::map<int, std::vector<uint16_t>> LastIntactBlocks() const;

  static std::string Program();

private:
  std::string configHome_;
  std::string logPath_;
  std::string device_;
  std::unique_ptr<ChildProcess> process_;
};
