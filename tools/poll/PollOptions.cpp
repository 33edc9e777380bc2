#include "PollOptions.h"

#include "base/Exception.h"
#include "base/PrintableText.h"
#include "base/Version.h"
#include "session/PortChoice.h"

#include <cerrno>
#include <cstdlib>

namespace {

class EOptionError : public Exception {
public:
  using Exception::Exception;
};

int Number(const std::string& option, const std::string& text, long low, long high) {
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || value < low || value > high) {
    throw EOptionError(option + " needs a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                       ", not \"" + text + "\"");
  }
  return int(value);
}

// A file or port name goes into the output: a newline in it would forge a
// line of its own, an escape sequence would drive the terminal.
void CheckName(const std::string& option, const std::string& value) {
  if (HoldsControlCharacter(value)) throw EOptionError(option + " holds a control character");
}

void Apply(PollOptions& o, const std::string& option, const std::string& value) {
  if (option == "--port" || option == "--sol" || option == "--trace") CheckName(option, value);
  if (option == "--port") {
    if (!ParsePortChoice(value))
      throw EOptionError("--port needs COMn (1..255), a device path, tcp://HOST:PORT or rfc2217://HOST:PORT, not \"" +
                         value + "\"");
    o.Port = value;
  } else if (option == "--sol") {
    if (value.empty()) throw EOptionError("--sol needs a file name");
    o.SolPath = value;
  } else if (option == "--trace") {
    if (value.empty()) throw EOptionError("--trace needs a file name");
    o.TracePath = value;
  } else if (option == "--cycles") {
    o.Cycles = Number(option, value, 1, 1000000);
  } else if (option == "--wait") {
    o.AnswerLimitSeconds = Number(option, value, 1, 86400);
  } else if (option == "--tick") {
    o.TickMs = Number(option, value, 10, 1000);
  } else {
    throw EOptionError("unknown option " + option + " (see --help)");
  }
}

bool TakesValue(const std::string& option) {
  return option == "--port" || option == "--sol" || option == "--trace" || option == "--cycles" || option == "--wait" ||
         option == "--tick";
}

}  // namespace

ParsedPollOptions ParsePollOptions(const std::vector<std::string>& args) {
  ParsedPollOptions result;
  PollOptions o;
  try {
    for (size_t i = 0; i < args.size(); ++i) {
      std::string option = args[i];
      std::string value;
      const size_t equals = option.find('=');
      const bool inlineValue = option.rfind("--", 0) == 0 && equals != std::string::npos;
      if (inlineValue) {
        value = option.substr(equals + 1);
        option.resize(equals);
      }
      if (option == "-h" || option == "--help") {
        o.Help = true;
      } else if (option == "--version") {
        o.Version = true;
      } else if (option == "--list-ports") {
        o.ListPorts = true;
      } else if (TakesValue(option)) {
        if (!inlineValue && i + 1 >= args.size()) throw EOptionError(option + " needs a value");
        Apply(o, option, inlineValue ? value : args[++i]);
      } else {
        throw EOptionError("unknown option " + option + " (see --help)");
      }
    }
    if (!o.Help && !o.Version && !o.ListPorts && o.Port.empty()) throw EOptionError("--port is required (see --help)");
    result.Options = o;
  } catch (const EOptionError& error) {
    result.Error = Printable(error.what());  // it quotes what was given
  }
  return result;
}

std::string PollVersionText() { return "zentrixnet-poll (PCZentrixNet) " PCZN_VERSION "\n"; }

std::string PollHelpText() {
  return R"(Usage: zentrixnet-poll --port COMn|PATH [--sol FILE] [--trace FILE] [--cycles N]
Fetches a plant's data from its controller over a serial line: opens the port
as the program does (2400 baud, 8N1), runs the polling cycle of the program
once a second, prints the status line of each tick, and stops once a whole
data exchange is done. Then it prints a summary (blocks received, frames
asked for again, bad checksums, controller type and clock) and, with --sol,
writes the plant data file.

  --port COMn|PATH  the port: COMn as in the program (on Linux through
                    $XDG_CONFIG_HOME/PCZentrixNet/ports/COMn, else the
                    built-in mapping COM1..4 = /dev/ttyS0..3, COM5..8 =
                    /dev/ttyUSB0..3, COM9..11 = /dev/ttyACM0..2), a device
                    path (/dev/ttyUSB0; on Windows \\.\COM12), or on Linux
                    a serial device server on the network: tcp://HOST:PORT
                    (raw) or rfc2217://HOST:PORT (Telnet, RFC 2217)
  --sol FILE        write the blocks as a plant data file (.sol); an existing
                    file is replaced in one step and kept if that fails
  --trace FILE      write every frame sent (TX) and received (RX) in hex with
                    a time stamp, and the line's state changes (LINK), one
                    line each, to FILE
  --cycles N        give up after N ticks without a whole data exchange
                    (default: no limit besides --wait)
  --wait SECONDS    give up when the controller has not answered at all within
                    SECONDS (default 30; the program sends a connection
                    request every second)
  --tick MS         milliseconds between ticks (default 1000, as the program;
                    shorter ticks suit only a line without pacing, such as
                    zentrixnet-sim --fast)
  --list-ports      show what COM 1 .. COM 11 open and which serial devices
                    exist, and exit
  -h, --help        show this text and exit
  --version         show the version and exit

Exit status: 0 after a whole data exchange (and the file, if asked for, is
written); 1 when the port cannot be opened, the controller does not answer
within --wait, no exchange was done within --cycles, the line was lost, or
the file cannot be written; 2 for a wrong command line.
)";
}
