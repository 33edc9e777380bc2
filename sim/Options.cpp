#include "Options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>

#include "base/Exception.h"

namespace Sim {

namespace {

class EOptionError : public Exception {
public:
  using Exception::Exception;
};

long long Integer(const std::string& option, const std::string& text, long long low, long long high) {
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || v < low || v > high)
    throw EOptionError(option + " needs a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                       ", not \"" + text + "\"");
  return v;
}

double Real(const std::string& option, const std::string& text, double low, double high) {
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(v) || v < low || v > high) {
    std::ostringstream s;
    s << option << " needs a number from " << low << " to " << high << ", not \"" << text << "\"";
    throw EOptionError(s.str());
  }
  return v;
}

// COUNT: a positive number or "all".
int Count(const std::string& option, const std::string& text) {
  if (text == "all") return EveryTime;
  return static_cast<int>(Integer(option, text, 1, 1000000));
}

// TYPE[:COUNT]: a response type 1..20 or "any", then how often.
FaultRule Rule(FaultKind kind, const std::string& option, const std::string& text) {
  FaultRule rule;
  rule.Kind = kind;
  const size_t colon = text.find(':');
  const std::string type = text.substr(0, colon);
  rule.Type = type == "any" ? AnyType : static_cast<int>(Integer(option + " TYPE", type, 1, 20));
  if (colon != std::string::npos) rule.Count = Count(option + " COUNT", text.substr(colon + 1));
  return rule;
}

std::vector<FaultKind> Kinds(const std::string& option, const std::string& text) {
  std::vector<FaultKind> kinds;
  std::stringstream list(text);
  std::string name;
  while (std::getline(list, name, ',')) {
    const auto kind = FaultKindNamed(name);
    if (!kind)
      throw EOptionError(option + ": unknown fault \"" + name + "\" (checksum, junk, truncate, length, silence)");
    kinds.push_back(*kind);
  }
  if (kinds.empty()) throw EOptionError(option + " needs at least one fault");
  return kinds;
}

ClockSeconds StartTime(const std::string& text) {
  const auto t = ParseCivilTime(text);
  if (!t) throw EOptionError("--start needs \"YYYY-MM-DD HH:MM\", not \"" + text + "\"");
  return SecondsOf(*t);
}

std::pair<int, int> YearMonth(const std::string& text) {
  int year = 0, month = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%4d-%2d%c", &year, &month, &tail) != 2 || year < 2000 || year > 2099 || month < 1 ||
      month > 12)
    throw EOptionError("--commissioning needs \"YYYY-MM\" with a year from 2000 to 2099, not \"" + text + "\"");
  return {year, month};
}

// Real seconds after the start, as --hangup-after counts them.
double EventTime(const std::string& option, const std::string& text) { return Real(option, text, 0, 1e7); }

PlantEvent TimedEvent(PlantEventKind kind, const std::string& option, const std::string& seconds) {
  return PlantEvent{kind, EventTime(option, seconds), 0};
}

// METER@SECONDS. 33 is refused: the fault report's 33 stands for meter 1.
PlantEvent RaisedFault(const std::string& option, const std::string& text) {
  const size_t at = text.find('@');
  if (at == std::string::npos) throw EOptionError(option + " needs METER@SECONDS, not \"" + text + "\"");
  const int meter = static_cast<int>(Integer(option + " METER", text.substr(0, at), 1, MaxMeters));
  if (meter == 33) throw EOptionError(option + ": meter 33 cannot be reported, its report would read as meter 1");
  return PlantEvent{PlantEventKind::RaiseFault, EventTime(option + " SECONDS", text.substr(at + 1)), meter};
}

void AddEvent(ProgramOptions& o, PlantEvent event) { o.Sim.Events.push_back(event); }

void CheckEvents(const SimConfig& sim) {
  if (const std::string error = FaultTimelineError(sim.Events); !error.empty()) throw EOptionError(error);
  int monitoringOff = 0;
  for (const PlantEvent& e : sim.Events) {
    if (e.Kind == PlantEventKind::RaiseFault && e.Meter > sim.Plant.Meters)
      throw EOptionError("--raise-fault names meter " + std::to_string(e.Meter) + " beyond --meters");
    monitoringOff += e.Kind == PlantEventKind::MonitoringOff;
  }
  if (monitoringOff > 1) throw EOptionError("--monitoring-off is given more than once");
}

using Handler = std::function<void(ProgramOptions&, const std::string& option, const std::string& value)>;

const std::map<std::string, Handler>& ValueOptions() {
  static const std::map<std::string, Handler> handlers = {
      {"--com", [](ProgramOptions& o, const std::string& n,
                   const std::string& v) { o.Com = static_cast<int>(Integer(n, v, 1, 255)); }},
      {"--device", [](ProgramOptions& o, const std::string&, const std::string& v) { o.Device = v; }},
      {"--seed", [](ProgramOptions& o, const std::string& n,
                    const std::string& v) { o.Sim.Plant.Seed = static_cast<uint64_t>(Integer(n, v, 0, INT64_MAX)); }},
      {"--start",
       [](ProgramOptions& o, const std::string&, const std::string& v) { o.Sim.Plant.Start = StartTime(v); }},
      {"--speed", [](ProgramOptions& o, const std::string& n,
                     const std::string& v) { o.Sim.Plant.Speed = Real(n, v, 0.001, 100000); }},
      {"--meters", [](ProgramOptions& o, const std::string& n,
                      const std::string& v) { o.Sim.Plant.Meters = static_cast<int>(Integer(n, v, 1, MaxMeters)); }},
      {"--plant-size", [](ProgramOptions& o, const std::string& n,
                          const std::string& v) { o.Sim.Plant.PlantSize = static_cast<int>(Integer(n, v, 10, 3000)); }},
      {"--commissioning",
       [](ProgramOptions& o, const std::string&, const std::string& v) { o.Sim.Plant.Commissioning = YearMonth(v); }},
      {"--controller-type",
       [](ProgramOptions& o, const std::string& n, const std::string& v) {
         o.Sim.Plant.ControllerType = static_cast<int>(Integer(n, v, 0, 255));
       }},
      {"--fault-meter",
       [](ProgramOptions& o, const std::string& n, const std::string& v) {
         o.Sim.Plant.FaultMeter = static_cast<int>(Integer(n, v, 0, MaxMeters));
       }},
      {"--reply-delay", [](ProgramOptions& o, const std::string& n,
                           const std::string& v) { o.Sim.ReplyDelayMs = static_cast<int>(Integer(n, v, 0, 10000)); }},
      {"--log", [](ProgramOptions& o, const std::string&, const std::string& v) { o.LogPath = v; }},
      {"--write-sol", [](ProgramOptions& o, const std::string&, const std::string& v) { o.WriteSol = v; }},
      {"--sol-on-signal", [](ProgramOptions& o, const std::string&, const std::string& v) { o.SolOnSignal = v; }},
      {"--bad-checksum",
       [](ProgramOptions& o, const std::string& n, const std::string& v) {
         o.Sim.Faults.Rules.push_back(Rule(FaultKind::BadChecksum, n, v));
       }},
      {"--junk", [](ProgramOptions& o, const std::string& n,
                    const std::string& v) { o.Sim.Faults.Rules.push_back(Rule(FaultKind::Junk, n, v)); }},
      {"--truncate", [](ProgramOptions& o, const std::string& n,
                        const std::string& v) { o.Sim.Faults.Rules.push_back(Rule(FaultKind::Truncate, n, v)); }},
      {"--wrong-length",
       [](ProgramOptions& o, const std::string& n, const std::string& v) {
         o.Sim.Faults.Rules.push_back(Rule(FaultKind::WrongLength, n, v));
       }},
      {"--silence-after",
       [](ProgramOptions& o, const std::string& n, const std::string& v) {
         o.Sim.Faults.Rules.push_back(Rule(FaultKind::SilenceAfter, n, v));
       }},
      {"--no-answer",
       [](ProgramOptions& o, const std::string& n, const std::string& v) { o.Sim.Faults.NoAnswer = Count(n, v); }},
      {"--not-ready",
       [](ProgramOptions& o, const std::string& n, const std::string& v) { o.Sim.Faults.NotReady = Count(n, v); }},
      {"--hangup-after", [](ProgramOptions& o, const std::string& n,
                            const std::string& v) { o.Sim.Faults.HangUpAfterSeconds = Real(n, v, 0, 1e7); }},
      {"--storm", [](ProgramOptions& o, const std::string& n,
                     const std::string& v) { o.Sim.Faults.StormPercent = Real(n, v, 0, 100); }},
      {"--raise-fault",
       [](ProgramOptions& o, const std::string& n, const std::string& v) { AddEvent(o, RaisedFault(n, v)); }},
      {"--clear-fault", [](ProgramOptions& o, const std::string& n,
                           const std::string& v) { AddEvent(o, TimedEvent(PlantEventKind::ClearFault, n, v)); }},
      {"--monitoring-off", [](ProgramOptions& o, const std::string& n,
                              const std::string& v) { AddEvent(o, TimedEvent(PlantEventKind::MonitoringOff, n, v)); }},
      {"--dip-total-once", [](ProgramOptions& o, const std::string& n,
                              const std::string& v) { AddEvent(o, TimedEvent(PlantEventKind::DipTotals, n, v)); }},
      {"--reset-totals", [](ProgramOptions& o, const std::string& n,
                            const std::string& v) { AddEvent(o, TimedEvent(PlantEventKind::ResetTotals, n, v)); }},
      {"--storm-kinds",
       [](ProgramOptions& o, const std::string& n, const std::string& v) { o.Sim.Faults.StormKinds = Kinds(n, v); }},
  };
  return handlers;
}

void Check(ProgramOptions& o, ClockSeconds hostNow) {
  PlantOptions& p = o.Sim.Plant;
  if (o.Com && !o.Device.empty()) throw EOptionError("--com and --device exclude each other");
  if (!p.Start) p.Start = hostNow;
  const int startYear = CivilTimeOf(*p.Start).Year;
  if (!p.Commissioning) p.Commissioning = std::make_pair(startYear - 3, 4);
  const auto [year, month] = *p.Commissioning;
  if (year * 12 + month > startYear * 12 + CivilTimeOf(*p.Start).Month)
    throw EOptionError("--commissioning lies after the start of the clock");
  if (startYear - year > 13)
    throw EOptionError("--commissioning lies more than 13 years before the start of the clock");
  if (year < 2000) throw EOptionError("the commissioning year must be 2000 or later; set --commissioning");
  if (p.FaultMeter > p.Meters) throw EOptionError("--fault-meter names a meter beyond --meters");
  CheckEvents(o.Sim);
}

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& args, ClockSeconds hostNow) {
  ParsedOptions result;
  ProgramOptions o;
  try {
    for (size_t i = 0; i < args.size(); ++i) {
      std::string name = args[i];
      std::optional<std::string> value;
      if (const size_t eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
        value = name.substr(eq + 1);
        name = name.substr(0, eq);
      }
      if (name == "--help" || name == "-h") {
        o.Help = true;
        continue;
      }
      if (name == "--version") {
        o.Version = true;
        continue;
      }
      if (name == "--list-ports") {
        o.ListPorts = true;
        continue;
      }
      if (name == "--fast") {
        o.Fast = true;
        continue;
      }
      const auto handler = ValueOptions().find(name);
      if (handler == ValueOptions().end()) throw EOptionError("unknown option \"" + name + "\" (see --help)");
      if (!value) {
        if (i + 1 >= args.size()) throw EOptionError(name + " needs a value");
        value = args[++i];
      }
      handler->second(o, name, *value);
    }
    if (!o.Help && !o.Version && !o.ListPorts) Check(o, hostNow);
    result.Options = o;
  } catch (const EOptionError& e) {
    result.Error = e.what();
  }
  return result;
}

std::vector<std::string> OptionNames() {
  std::vector<std::string> names = {"--help", "--version", "--list-ports", "--fast"};
  for (const auto& entry : ValueOptions()) names.push_back(entry.first);
  return names;
}

std::string HelpText() {
  return R"(Usage: zentrixnet-sim [OPTION]...
Plays the plant controller on a serial line for PCZentrixNet: answers the PC's
connection requests, streams its data blocks, applies the PC's commands to a
simulated photovoltaic plant, and can disturb the line on purpose.

By default it creates a pseudo-terminal and prints the path of its terminal
side as the first line on standard output. It runs until interrupted (Ctrl+C,
SIGTERM). Exit status: 0 after an interrupt, a hang-up fault or --write-sol,
1 when the line cannot be opened, 2 for a wrong command line.

Line:
  --com N               also link the terminal as COM N (1..255): a symbolic link
                        $XDG_CONFIG_HOME/PCZentrixNet/ports/COMN (default
                        ~/.config/PCZentrixNet/ports/COMN), removed at exit
  --device PATH         use this tty (2400 baud, 8N1, raw) instead of a
                        pseudo-terminal; excludes --com
  --fast                send without pacing (default: 2400 baud, 10 bits a byte)
  --reply-delay MS      wait MS milliseconds before each answer (default 0)

Plant and controller:
  --seed N              seed of weather and plant details (default 1); the same
                        seed and start time give the same plant
  --start "YYYY-MM-DD HH:MM"
                        start of the controller clock (default: now)
  --speed X             the controller clock runs X times as fast as real time
                        (default 1)
  --meters N            number of meters, 1..48 (default 3)
  --plant-size TENTHS   plant size in tenths of kWp, 10..3000 (default 304)
  --commissioning YYYY-MM
                        month of commissioning, at most 13 years before the start
                        (default: April, three years before the start)
  --controller-type T   the controller type of the type-1 frame, 0..255
                        (default 24)
  --fault-meter K       meter K gives only half its share (the controller then
                        reports it as deviating), 0 for none (default 0)

Files:
  --log FILE            log every frame (see below) to FILE, replacing it
  --write-sol FILE      write the current blocks as a plant data file (.sol,
                        3220 bytes) to FILE and exit without opening a line
  --sol-on-signal FILE  while running, write the current blocks to FILE each
                        time the simulator receives SIGUSR1

Faults (TYPE is a response type 1..20 or "any"; COUNT a number or "all",
default 1 for the TYPE options):
  --bad-checksum TYPE[:COUNT]   send frames of TYPE with a wrong checksum
  --junk TYPE[:COUNT]           send stray bytes before frames of TYPE
  --truncate TYPE[:COUNT]       send only the first half of frames of TYPE
  --wrong-length TYPE[:COUNT]   send frames of TYPE with a length byte one too small
  --silence-after TYPE[:COUNT]  after a frame of TYPE answer nothing until the
                                next connection request
  --no-answer COUNT             leave COUNT connection requests unanswered
  --not-ready COUNT             answer COUNT connection requests with "not ready"
  --hangup-after SECONDS        close the line (and exit) after SECONDS
  --storm PERCENT               a fault on every frame with this chance (0..100),
                                drawn from the seed
  --storm-kinds LIST            the faults of the storm, comma-separated from
                                checksum, junk, truncate, length, silence
                                (default checksum)

Controller events (SECONDS: real seconds after the start, as for --hangup-after;
each may be given more than once unless said otherwise):
  --raise-fault METER@SECONDS   from SECONDS on the controller reports a fault of
                                METER (1..--meters, not 33) in Block14[75]:
                                33 for meter 1, else the meter's number
  --clear-fault SECONDS         from SECONDS on the report is the controller's own
                                again: 0, or --fault-meter's meter where that
                                deviates; the --raise-fault and --clear-fault
                                times must rise in the order given, and a clear
                                follows a raise
  --monitoring-off SECONDS      from SECONDS on monitoring is off (Block3[32] 0) and
                                the fault report 0, whatever is raised; once only
  --dip-total-once SECONDS      the first data exchange after SECONDS reports the
                                energy totals at half (the meters' today and
                                yearly words, the month table); the next is right
  --reset-totals SECONDS        at SECONDS the controller clears its values as the
                                PC's clear commands do, and today's yield and the
                                month table start again from 0
Each event is logged when it strikes: "Fault raised: meter K", "Fault cleared",
"Monitoring switched off", "Totals dipped to half for this exchange" (when that
exchange starts), "Totals reset".

Each fault is a fault of the simulator's own frames; the response types are
1 controller info, 2..10 and 14..19 data blocks, 11 end of exchange,
20 answer to a connection request.

Log format (one line per frame, flushed at once):
  <seconds> <direction> <hex bytes>  <meaning>
seconds since the start with three decimals; direction PC>SIM (received),
SIM>PC (handed to the line) or SIM (an event; the hex field is "-"); the bytes
exactly as on the line, upper-case, separated by single blanks; two blanks;
the meaning. Examples:
  12.345 PC>SIM FE 8F 09 01 25 00 0C 00 C8  SetMeterCount 12
  30.020 PC>SIM FF F8 06 10 00 0D  Request 16 (start of exchange)
  30.020 SIM>PC FF FA 09 01 18 03 05 0C 2F  ControllerInfo type 24 version 03 05 12
  31.100 SIM>PC FF FA CD 05 ...  Block 5 [bad checksum]
Commands are logged by name with their value or text; a command the simulator
refuses ends in "[ignored: ...]". Faults appear in brackets after the meaning.

Other:
  --list-ports          show what COM 1 .. COM 11 open and which serial devices
                        exist, and exit
  --version             show the version and exit
  -h, --help            show this text and exit
)";
}

}  // namespace Sim
