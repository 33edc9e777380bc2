#pragma once
// A ports folder of the test's own: while the object lives, XDG_CONFIG_HOME
// points at a temporary folder and the serial component looks there, so the
// COMn entries made in it are what a COM number opens, in this process and in
// the programs it starts.
#include <string>

#include "tests/support/TempFolder.h"

class TempPortsFolder {
public:
  TempPortsFolder();
  ~TempPortsFolder();  // gives XDG_CONFIG_HOME its old value back
  TempPortsFolder(const TempPortsFolder&) = delete;
  TempPortsFolder& operator=(const TempPortsFolder&) = delete;

  std::string ConfigHome() const { return config_.Path().string(); }
  std::string Folder() const { return (config_ / "PCZentrixNet/ports").string(); }
  // Makes COMn a link to the target (an older entry is replaced); returns the link's path.
  std::string Link(int number, const std::string& target);
  // Makes COMn a text file holding a network port name; returns the entry's path.
  std::string Name(int number, const std::string& networkName);

private:
  TempFolder config_{"pczn-config"};
  std::string saved_;
  bool hadSaved_ = false;
  std::string savedFolder_;
};
