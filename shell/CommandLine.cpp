#include "shell/CommandLine.h"

#include <cstdio>
#include <string_view>

#include "base/Version.h"
#include "serial/PortReport.h"

namespace {

constexpr const char* HelpText =
    "Aufruf: PCZentrixNet [--list-ports | --version | --help]\n"
    "Überwacht und konfiguriert die Steuerung einer Photovoltaikanlage über die serielle\n"
    "Schnittstelle (COM 1 .. COM 11). Ohne Option öffnet sich das Programmfenster.\n"
    "\n"
    "  --list-ports   zeigt, welches Gerät COM 1 .. COM 11 öffnen und welche seriellen\n"
    "                 Geräte vorhanden sind\n"
    "  --version      zeigt die Version\n"
    "  --help         zeigt diesen Text\n"
    "\n"
    "Eine COM-Nummer zeigt auf ein Gerät, wenn ~/.config/PCZentrixNet/ports/COMn ein\n"
    "symbolischer Verweis darauf ist (sonst COM 1..4 /dev/ttyS0..3, COM 5..8\n"
    "/dev/ttyUSB0..3, COM 9..11 /dev/ttyACM0..2).\n";

}  // namespace

std::optional<int> AnswerCommandLine(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(HelpText, stdout);
      return 0;
    }
    if (arg == "--version") {
      std::puts("PCZentrixNet " PCZN_VERSION);
      return 0;
    }
    if (arg == "--list-ports") {
      for (const std::string& line : PortListing()) std::puts(line.c_str());
      return 0;
    }
  }
  return std::nullopt;
}
