#include "tests/support/Ser2netServer.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "tests/support/FreePort.h"

Ser2netServer::Ser2netServer(std::filesystem::path folder) : folder_(std::move(folder)) {
  std::filesystem::create_directories(folder_);
}

Ser2netServer::~Ser2netServer() { Stop(); }

std::string Ser2netServer::Program() { return "/usr/sbin/ser2net"; }

bool Ser2netServer::Installed() { return access(Program().c_str(), X_OK) == 0; }

std::string Ser2netServer::Serve(const std::string& device, Protocol protocol) {
  const int port = FreeTcpPort();
  accepters_.push_back(Accepter{device, protocol, port});
  return std::string(protocol == Protocol::Rfc2217 ? "rfc2217" : "tcp") + "://127.0.0.1:" + std::to_string(port);
}

// One connection per accepter; "local" because a pseudo-terminal has no modem
// lines, kickolduser so a client that comes back after a loss is let in.
void Ser2netServer::WriteConfig() const {
  std::ofstream config(folder_ / "ser2net.yaml");
  config << "%YAML 1.1\n---\n";
  int index = 0;
  for (const Accepter& a : accepters_) {
    config << "connection: &line" << index++ << "\n"
           << "    accepter: " << (a.Kind == Protocol::Rfc2217 ? "telnet(rfc2217),tcp," : "tcp,") << "127.0.0.1,"
           << a.Port << "\n"
           << "    connector: serialdev," << a.Device << ",2400n81,local\n"
           << "    options:\n"
           << "      kickolduser: true\n";
  }
}

bool Ser2netServer::Start() {
  WriteConfig();
  // -n: in the foreground; -u: no UUCP lock files.
  process_ = std::make_unique<ChildProcess>(
      Program(), std::vector<std::string>{"-n", "-u", "-c", (folder_ / "ser2net.yaml").string()},
      ChildProcess::Environment{}, ChildProcess::Output::WithStandardError);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(static_cast<int>(ReadinessLimitSeconds * 1000));
  while (std::chrono::steady_clock::now() < deadline) {
    bool all = true;
    for (const Accepter& a : accepters_) all = all && ListensOn(a.Port);
    if (all) return true;
    if (!process_->Running()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::cerr << process_->NotReady("ser2net", process_->ReadAvailable()) << std::endl;
  return false;
}

void Ser2netServer::Stop() {
  if (!process_) return;
  process_->Stop();
  process_.reset();
}

bool Ser2netServer::Running() const { return process_ && process_->Running(); }

std::string Ser2netServer::Log() const { return process_ ? process_->ReadAvailable() : std::string(); }
