// The serial tests' lines on Linux: pseudo-terminals of this process, COMn
// links in a temporary ports folder, the process's processor time.
#include <ctime>

#include "SerialTestSupport.h"
#include "tests/support/PtyLine.h"
#include "tests/support/TempPortsFolder.h"

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

struct PortsFolder::Folder : TempPortsFolder {};

PortsFolder::PortsFolder() : Folder_(new Folder) {}

PortsFolder::~PortsFolder() { delete Folder_; }

std::string PortsFolder::Link(int number, const std::string& target) { return Folder_->Link(number, target); }

std::string PortsFolder::Link(int number, const PseudoTerminal& target) { return Link(number, target.SlavePath()); }
