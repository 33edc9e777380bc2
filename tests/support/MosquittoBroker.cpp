#include "tests/support/MosquittoBroker.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "tests/support/FreePort.h"

MosquittoBroker::MosquittoBroker(std::filesystem::path folder) : folder_(std::move(folder)), port_(FreeTcpPort()) {
  std::filesystem::create_directories(folder_);
  WriteConfig("");
}

void MosquittoBroker::UseTls(const std::string& caFile, const std::string& certFile, const std::string& keyFile) {
  WriteConfig("cafile " + caFile + "\ncertfile " + certFile + "\nkeyfile " + keyFile + "\n");
}

void MosquittoBroker::UseSettings(const std::string& lines) { WriteConfig(lines); }

void MosquittoBroker::WriteConfig(const std::string& extra) {
  std::ofstream config(folder_ / "mosquitto.conf");
  config << "listener " << port_ << " 127.0.0.1\n"
         << "allow_anonymous true\n"
         << "persistence false\n"
         << "log_dest file " << (folder_ / "mosquitto.log").string() << "\n"
         << "log_type all\n"
         << extra;
  // Started by root it would turn into the user mosquitto, who may not write the test's folder.
  if (geteuid() == 0) config << "user root\n";
}

MosquittoBroker::~MosquittoBroker() { Kill(); }

std::string MosquittoBroker::Program() { return "/usr/sbin/mosquitto"; }

bool MosquittoBroker::Installed() { return access(Program().c_str(), X_OK) == 0; }

bool MosquittoBroker::Start() {
  process_ =
      std::make_unique<ChildProcess>(Program(), std::vector<std::string>{"-c", (folder_ / "mosquitto.conf").string()});
  // Ready once it accepts a connection; a broker that ends is noticed at once.
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(static_cast<int>(ReadinessLimitSeconds * 1000));
  while (std::chrono::steady_clock::now() < deadline) {
    if (AcceptsConnections(port_)) return true;
    if (!process_->Running()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::cerr << process_->NotReady("mosquitto", "") << "; its log:\n" << Log() << std::endl;
  return false;
}

void MosquittoBroker::Kill() {
  if (!process_) return;
  process_->Signal(SIGKILL);
  process_->Wait(5);
  process_.reset();
}

void MosquittoBroker::Signal(int signal) {
  if (process_) process_->Signal(signal);
}

bool MosquittoBroker::Running() const { return process_ && process_->Running(); }

std::string MosquittoBroker::Log() const {
  std::ifstream in(folder_ / "mosquitto.log");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}
