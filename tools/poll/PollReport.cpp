#include "PollReport.h"

#include "link/Dcl.h"

void PrintSummary(const PollResult& result, std::ostream& out) {
  out << "Ticks: " << result.Ticks << "\n";
  out << "Blocks received: " << LinkCounters.Blocks << "\n";
  out << "Frames asked for again: " << LinkCounters.Resends << " (bad checksums: " << LinkCounters.BadChecksums
      << ")\n";
  if (ControllerType != 0 || LinkCounters.Blocks > 0) {
    out << "Controller type: " << ControllerType << ", version " << int(ControllerVersion[0]) << "."
        << int(ControllerVersion[1]) << "." << int(ControllerVersion[2]) << "\n";
  }
  if (result.End == PollEnd::ExchangeDone) {
    out << "Controller clock: " << FormatDate() << " " << FormatTime() << "\n";
  }
  out.flush();
}
