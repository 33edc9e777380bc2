#pragma once
// Debian's ser2net as the tests run it: a serial device server on free ports
// of 127.0.0.1 with a configuration of the test's own, serving devices (the
// simulator's pseudo-terminal) raw or with RFC 2217. It can be stopped and
// started again on the same ports.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"

class Ser2netServer {
public:
  enum class Protocol { Raw, Rfc2217 };

  explicit Ser2netServer(std::filesystem::path folder);
  ~Ser2netServer();

  static std::string Program();
  static bool Installed();

  // From the next start on, the device is also served on a port of its own;
  // returns the port name that reaches it ("tcp://127.0.0.1:40123").
  std::string Serve(const std::string& device, Protocol protocol);
  // Starts it and waits until every port listens; false when it does not.
  bool Start();
  // SIGTERM: the connections close, as when the server goes away.
  void Stop();
  bool Running() const;
  // Its process id while it runs (for its processor time); -1 otherwise.
  pid_t Pid() const { return process_ ? process_->Pid() : -1; }
  std::string Log() const;

private:
  struct Accepter {
    std::string Device;
    Protocol Kind;
    int Port;
  };
  void WriteConfig() const;

  std::filesystem::path folder_;
  std::vector<Accepter> accepters_;
  std::unique_ptr<ChildProcess> process_;
};
