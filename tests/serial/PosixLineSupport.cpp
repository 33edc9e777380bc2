// The serial tests' lines on Linux: pseudo-terminals of this process, COMn
// links in a temporary ports folder, the process's processor time.
#include <ctime>

#include "SerialTestSupport.h"
#include "tests/support/PtyLine.h"
#include "tests/support/TempPortsFolder.h"

struct PseudoTerminal::Line : PtyLine {};

PseudoTerminal::PseudoTerminal() : line_(new Line), slavePath_(line_->SlavePath()) {}

PseudoTerminal::~PseudoTerminal() { delete line_; }

int PseudoTerminal::Slave() const { return line_->Slave(); }

void PseudoTerminal::Write(const std::string& bytes) { line_->Write(bytes); }

std::string PseudoTerminal::Read(size_t want, int timeoutMs) {
  // The port's threads may wait for the main thread meanwhile: keep its loop going.
  return line_->Read(want, timeoutMs, [] { RunMainThreadCalls(0); });
}

void PseudoTerminal::CloseMaster() { line_->CloseMaster(); }

bool RunningUnderWine() { return false; }

std::string LostLineError() { return "5, Input/output error"; }

double ProcessCpuMilliseconds() {
  timespec used{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
  return double(used.tv_sec) * 1000.0 + double(used.tv_nsec) / 1e6;
}

struct PortsFolder::Folder : TempPortsFolder {};

PortsFolder::PortsFolder() : folder_(new Folder) {}

PortsFolder::~PortsFolder() { delete folder_; }

std::string PortsFolder::Link(int number, const std::string& target) { return folder_->Link(number, target); }

std::string PortsFolder::Link(int number, const PseudoTerminal& target) { return Link(number, target.SlavePath()); }
