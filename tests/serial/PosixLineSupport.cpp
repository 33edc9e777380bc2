// The serial tests' lines on Linux: pseudo-terminals of this process, COMn
// links in a temporary ports folder, the process's processor time.
#include <stdlib.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "SerialTestSupport.h"
#include "tests/support/PtyLine.h"

struct PseudoTerminal::Line : PtyLine {};

PseudoTerminal::PseudoTerminal() : Line_(new Line), SlavePath_(Line_->SlavePath()) {}

PseudoTerminal::~PseudoTerminal() { delete Line_; }

int PseudoTerminal::Slave() const { return Line_->Slave(); }

void PseudoTerminal::Write(const std::string& bytes) { Line_->Write(bytes); }

std::string PseudoTerminal::Read(size_t want, int timeoutMs) {
  // The port's threads may wait for the main thread meanwhile: keep its loop going.
  return Line_->Read(want, timeoutMs, [] { RunMainThreadCalls(0); });
}

void PseudoTerminal::CloseMaster() { Line_->CloseMaster(); }

bool RunningUnderWine() { return false; }

std::string LostLineError() { return "5, Input/output error"; }

double ProcessCpuMilliseconds() {
  timespec used{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
  return double(used.tv_sec) * 1000.0 + double(used.tv_nsec) / 1e6;
}

PortsFolder::PortsFolder() {
  char pattern[] = "/tmp/pczn-serial-XXXXXX";
  Root_ = mkdtemp(pattern);
  std::filesystem::create_directories(Root_ + "/PCZentrixNet/ports");
  if (const char* saved = std::getenv("XDG_CONFIG_HOME")) {
    Saved_ = saved;
    HadSaved_ = true;
  }
  setenv("XDG_CONFIG_HOME", Root_.c_str(), 1);
}

PortsFolder::~PortsFolder() {
  if (HadSaved_) {
    setenv("XDG_CONFIG_HOME", Saved_.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
  std::error_code ignored;
  std::filesystem::remove_all(Root_, ignored);
}

std::string PortsFolder::Link(int number, const std::string& target) {
  const std::string link = Root_ + "/PCZentrixNet/ports/COM" + std::to_string(number);
  std::error_code ignored;
  std::filesystem::remove(link, ignored);
  std::filesystem::create_symlink(target, link);
  return link;
}

std::string PortsFolder::Link(int number, const PseudoTerminal& target) { return Link(number, target.SlavePath()); }
