#include "PollReport.h"

#include "link/Dcl.h"

void PrintSummary(const PollResult& result, std::ostream& out) {
  out << "Ticks: " << result.Ticks << "\n";
  out << "Blocks received: " << LinkCounts.BlocksStored << "\n";
  out << "Frames asked for again: " << LinkCounts.FramesAskedAgain << " (bad checksums: " << LinkCounts.BadChecksums
      << ")\n";
  if (ControllerType != 0 || LinkCounts.BlocksStored > 0) {
    out << "Controller type: " << ControllerType << ", version " << int(ControllerVersion[0]) << "."
        << int(ControllerVersion[1]) << "." << int(ControllerVersion[2]) << "\n";
  }
  if (result.End == PollEnd::ExchangeDone) {
    out << "Controller clock: " << FormatDate() << " " << FormatTime() << "\n";
  }
  out.flush();
}
