#pragma once
// Debian's mosquitto broker as the tests run it: on a free port of 127.0.0.1,
// with a configuration of the test's own (anonymous clients, no persistence,
// so retained messages go with it) and its log in the test's folder. It can be
// killed and started again on the same port, and speak TLS.
#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/ChildProcess.h"

class MosquittoBroker {
public:
  explicit MosquittoBroker(std::filesystem::path folder);
  ~MosquittoBroker();

  static std::string Program();
  static bool Installed();

  // From the next start on: TLS only, with these files (PEM).
  void UseTls(const std::string& caFile, const std::string& certFile, const std::string& keyFile);
  // From the next start on: these lines of mosquitto.conf as well (instead of TLS).
  void UseSettings(const std::string& lines);
  // Starts it and waits until it accepts connections; false when it does not.
  bool Start();
  // SIGKILL, the way a crashed broker goes.
  void Kill();
  // Any other signal: SIGSTOP for a broker that hangs with its connections open.
  void Signal(int signal);
  bool Running() const;
  int Port() const { return port_; }
  std::string Log() const;

private:
  void WriteConfig(const std::string& extra);

  std::filesystem::path folder_;
  int port_;
  std::unique_ptr<ChildProcess> process_;
};
