#include "tests/support/SimulatorProcess.h"

#include <fstream>
#include <iostream>
#include <sstream>

namespace {

// A log line: "seconds direction hex hex ..  meaning"; the bytes of a SIM>PC line.
bool ParseSimulatorBytes(const std::string& line, std::vector<uint8_t>& bytes) {
  const std::string frame = line.substr(0, line.find("  "));
  std::istringstream fields(frame);
  std::string seconds, direction, hex;
  if (!(fields >> seconds >> direction) || direction != "SIM>PC") return false;
  while (fields >> hex) bytes.push_back(static_cast<uint8_t>(std::stoul(hex, nullptr, 16)));
  return true;
}

// A whole, intact data block somewhere in the bytes (a line may carry stray bytes first).
bool FindIntactBlock(const std::vector<uint8_t>& bytes, int& type, std::vector<uint16_t>& words) {
  for (size_t at = 0; at + 205 <= bytes.size(); ++at) {
    if (bytes[at] != 0xFF || bytes[at + 1] != 0xFA || bytes[at + 2] != 205) continue;
    uint8_t sum = 0;
    for (size_t i = at; i < at + 204; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
    if (sum != bytes[at + 204]) continue;
    words.assign(100, 0);
    for (int i = 0; i < 100; ++i) words[i] = static_cast<uint16_t>(bytes[at + 4 + 2 * i] << 8 | bytes[at + 5 + 2 * i]);
    type = bytes[at + 3];
    return true;
  }
  return false;
}

}  // namespace

std::string SimulatorProcess::Program() { return PCZN_SIMULATOR; }

SimulatorProcess::SimulatorProcess(std::string configHome, std::string logPath)
    : configHome_(std::move(configHome)), logPath_(std::move(logPath)) {}

SimulatorProcess::~SimulatorProcess() { Stop(); }

bool SimulatorProcess::Start(int com, const std::vector<std::string>& options) {
  std::vector<std::string> args{"--log", logPath_};
  if (com > 0) args.insert(args.begin(), {"--com", std::to_string(com)});
  args.insert(args.end(), options.begin(), options.end());
  process_ =
      std::make_unique<ChildProcess>(Program(), args, ChildProcess::Environment{{"XDG_CONFIG_HOME", configHome_}});
  // Its first line names the terminal once it is ready; it ends instead when it cannot start.
  device_ = process_->ReadLine(ReadinessLimitSeconds);
  if (device_.rfind("/dev/", 0) == 0) return true;
  std::cerr << process_->NotReady("zentrixnet-sim", device_) << std::endl;
  return false;
}

void SimulatorProcess::Stop() {
  if (process_) process_->Stop();
}

void SimulatorProcess::Signal(int signal) {
  if (process_) process_->Signal(signal);
}

bool SimulatorProcess::Running() const { return process_ && process_->Running(); }

std::string SimulatorProcess::Log() const {
  std::ifstream in(logPath_);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::map<int, std::vector<uint16_t>> SimulatorProcess::LastIntactBlocks() const {
  std::map<int, std::vector<uint16_t>> blocks;
  std::istringstream lines(Log());
  for (std::string line; std::getline(lines, line);) {
    std::vector<uint8_t> bytes;
    int type = 0;
    std::vector<uint16_t> words;
    if (ParseSimulatorBytes(line, bytes) && FindIntactBlock(bytes, type, words)) blocks[type] = words;
  }
  return blocks;
}
