#include "shell/CommandLine.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <system_error>

#include "base/Version.h"
#include "session/PortReport.h"

namespace {

constexpr const char* HelpText =
    "Aufruf: PCZentrixNet [--archive DATEI] [--plant NAME] [--csv=plain] [--trace DATEI]\n"
    "       PCZentrixNet [--list-ports | --version | --help]\n"
    "Überwacht und konfiguriert die Steuerung einer Photovoltaikanlage über die serielle\n"
    "Schnittstelle (COM 1 .. COM 11). Ohne Option öffnet sich das Programmfenster.\n"
    "\n"
    "  --archive DATEI  schreibt jeden Datenaustausch in diese Archivdatei (SQLite); ohne\n"
    "                   die Option hat jede Anlage ihre eigene Datei Anlage-KENNUNG.sqlite\n"
    "                   in $XDG_DATA_HOME/PCZentrixNet (~/.local/share/PCZentrixNet)\n"
    "  --plant NAME     der Name der Anlage, wo die Steuerung keine Internetkennung meldet\n"
    "                   (ohne die Option \"ohne-Kennung\")\n"
    "  --csv=plain      exportiert CSV mit Komma und Dezimalpunkt (für Skripte) statt mit\n"
    "                   Semikolon und Dezimalkomma für Tabellenprogramme (--csv=german)\n"
    "  --trace DATEI    schreibt jeden gesendeten (TX) und empfangenen (RX) Rahmen hexadezimal\n"
    "                   mit Zeitstempel und die Zustandswechsel der Verbindung (LINK) in die\n"
    "                   Datei, eine Zeile je Ereignis (zur Fehlersuche an Kabel und Adapter)\n"
    "  --list-ports     zeigt, welches Gerät COM 1 .. COM 11 öffnen und welche seriellen\n"
    "                   Geräte vorhanden sind\n"
    "  --version        zeigt die Version\n"
    "  --help           zeigt diesen Text\n"
    "\n"
    "Eine COM-Nummer zeigt auf ein Gerät, wenn ~/.config/PCZentrixNet/ports/COMn ein\n"
    "symbolischer Verweis darauf ist (sonst COM 1..4 /dev/ttyS0..3, COM 5..8\n"
    "/dev/ttyUSB0..3, COM 9..11 /dev/ttyACM0..2). Ist COMn dort eine Textdatei mit\n"
    "tcp://HOST:PORT oder rfc2217://HOST:PORT, erreicht die COM-Nummer die Steuerung\n"
    "über einen COM-Server im Netzwerk.\n";

int Wrong(const std::string& message) {
  std::fprintf(stderr, "PCZentrixNet: %s (--help zeigt die Optionen)\n", message.c_str());
  return 2;
}

// The value of "--name VALUE" or "--name=VALUE" at argv[i] (i moves past a
// separate value), or nothing when arg is not that option.
std::optional<std::string> ValueOf(std::string_view name, int argc, char** argv, int& i, bool& missing) {
  const std::string_view arg = argv[i];
  if (arg.size() > name.size() && arg.substr(0, name.size()) == name && arg[name.size()] == '=')
    return std::string(arg.substr(name.size() + 1));
  if (arg != name) return std::nullopt;
  missing = i + 1 >= argc;
  return missing ? std::string() : std::string(argv[++i]);
}

// A relative file is taken from the folder the program was started in.
std::filesystem::path Absolute(const std::string& file) {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::absolute(file, error);
  return error ? std::filesystem::path(file) : path;
}

}  // namespace

std::optional<int> AnswerCommandLine(int argc, char** argv, ProgramOptions& options) {
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
    bool missing = false;
    if (const auto file = ValueOf("--archive", argc, argv, i, missing)) {
      if (missing || file->empty()) return Wrong("--archive braucht eine Archivdatei");
      options.ArchiveFile = Absolute(*file);
    } else if (const auto name = ValueOf("--plant", argc, argv, i, missing)) {
      if (missing || name->empty()) return Wrong("--plant braucht einen Namen");
      options.PlantName = *name;
    } else if (const auto file = ValueOf("--trace", argc, argv, i, missing)) {
      if (missing || file->empty()) return Wrong("--trace braucht eine Datei");
      options.TraceFile = Absolute(*file);
    } else if (const auto style = ValueOf("--csv", argc, argv, i, missing)) {
      if (!Archive::ParseCsvStyle(*style, options.CsvStyle))
        return Wrong("--csv kennt plain und german, nicht \"" + *style + "\"");
    }
  }
  return std::nullopt;
}
