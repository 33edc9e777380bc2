#include "serial/VaStream.h"

#include <charconv>
#include <functional>
#include <sstream>
#include <string_view>
#include <vector>

#include "base/Exception.h"
#include "serial/VaComm.h"

namespace {

// --- value texts -------------------------------------------------------------------

struct InvalidValue {};

constexpr const char* BaudrateNames[] = {"brUser",  "br110",    "br300",    "br600",   "br1200",  "br2400",
                                         "br4800",  "br9600",   "br14400",  "br19200", "br38400", "br56000",
                                         "br57600", "br115200", "br128000", "br256000"};
constexpr const char* ParityNames[] = {"paNone", "paOdd", "paEven", "paMark", "paSpace"};
constexpr const char* DatabitsNames[] = {"db4", "db5", "db6", "db7", "db8"};
constexpr const char* StopbitsNames[] = {"sb1", "sb15", "sb2"};
constexpr const char* DtrNames[] = {"dtrDisabled", "dtrEnabled", "dtrHandshake"};
constexpr const char* RtsNames[] = {"rtsDisabled", "rtsEnabled", "rtsHandshake", "rtsToggle"};
constexpr const char* OptionNames[] = {"coErrorChar", "coNullStrip", "coParityCheck"};
constexpr const char* EventNames[] = {"ceBreak",    "ceCts",    "ceDsr",     "ceError",  "ceRing",
                                      "ceRlsd",     "ceRxChar", "ceTxEmpty", "ceRxFlag", "cePErr",
                                      "ceRx80Full", "ceEvent1", "ceEvent2"};
constexpr const char* PriorityNames[] = {"tpIdle",   "tpLowest",  "tpLower",       "tpNormal",
                                         "tpHigher", "tpHighest", "tpTimeCritical"};

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

std::string BoolText(bool value) { return value ? "True" : "False"; }

bool ParseBool(std::string_view text) {
  if (text == "True") return true;
  if (text == "False") return false;
  throw InvalidValue{};
}

int64_t ParseNumber(std::string_view text, int64_t low, int64_t high) {
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    throw InvalidValue{};
  }
  return value;
}

int32_t ParseInt(std::string_view text) { return int32_t(ParseNumber(text, INT32_MIN, INT32_MAX)); }

template <size_t N>
std::string EnumText(const char* const (&names)[N], unsigned value) {
  return value < N ? names[value] : std::to_string(value);
}

template <size_t N>
unsigned ParseEnum(const char* const (&names)[N], std::string_view text) {
  for (unsigned i = 0; i < N; ++i) {
    if (text == names[i]) return i;
  }
  throw InvalidValue{};
}

template <size_t N>
std::string SetText(const char* const (&names)[N], unsigned bits) {
  std::string text = "[";
  for (unsigned i = 0; i < N; ++i) {
    if (!(bits & (1u << i))) continue;
    if (text.size() > 1) text += ", ";
    text += names[i];
  }
  return text + "]";
}

template <size_t N>
unsigned ParseSet(const char* const (&names)[N], std::string_view text) {
  if (text.size() < 2 || text.front() != '[' || text.back() != ']') throw InvalidValue{};
  text = Trim(text.substr(1, text.size() - 2));
  unsigned bits = 0;
  while (!text.empty()) {
    const auto comma = text.find(',');
    bits |= 1u << ParseEnum(names, Trim(text.substr(0, comma)));
    text = comma == std::string_view::npos ? std::string_view() : Trim(text.substr(comma + 1));
  }
  return bits;
}

std::string CharText(uint8_t value) { return "#" + std::to_string(value); }

// A string as form files hold it: quoted runs of printable characters,
// '' for a quote, and #n for any other character.
std::string StringText(std::string_view value) {
  std::string text;
  bool quoted = false;
  for (const char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    const bool printable = byte >= 32 && byte != 127;
    if (printable != quoted) {
      text += '\'';
      quoted = printable;
    }
    if (!printable) {
      text += CharText(byte);
    } else {
      text += c == '\'' ? std::string("''") : std::string(1, c);
    }
  }
  if (quoted) text += '\'';
  return text.empty() ? "''" : text;
}

std::string ParseString(std::string_view text) {
  std::string value;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '#') {
      size_t end = i + 1;
      while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
      value += char(ParseNumber(text.substr(i + 1, end - i - 1), 0, 255));
      i = end;
    } else if (text[i] == '\'') {
      for (++i;; ++i) {
        if (i >= text.size()) throw InvalidValue{};
        if (text[i] != '\'') {
          value += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '\'') {
          value += '\'';
          ++i;
        } else {
          break;
        }
      }
      ++i;
    } else {
      throw InvalidValue{};
    }
  }
  return value;
}

uint8_t ParseChar(std::string_view text) {
  const std::string value = ParseString(text);
  if (value.size() != 1) throw InvalidValue{};
  return static_cast<uint8_t>(value[0]);
}

// --- the published properties, in streaming order -------------------------------------

struct Property {
  std::string Name;
  std::function<std::string(const TVaComm&)> Get;
  std::function<void(TVaComm&, std::string_view)> Set;
  bool AlwaysStored = false;  // no stored default: written whatever its value
};

std::vector<Property> EventCharProperties() {
  static constexpr const char* Names[] = {"XonChar", "XoffChar", "ErrorChar", "EventChar", "EofChar"};
  std::vector<Property> properties;
  for (int index = 1; index <= 5; ++index) {
    properties.push_back({std::string("EventChars.") + Names[index - 1],
                          [index](const TVaComm& c) { return CharText(c.EventChars().Char(index)); },
                          [index](TVaComm& c, std::string_view t) { c.EventChars().SetChar(index, ParseChar(t)); }});
  }
  return properties;
}

Property FlowFlag(const char* name, bool (TVaFlowControl::*get)() const, void (TVaFlowControl::*set)(bool)) {
  return {std::string("FlowControl.") + name, [get](const TVaComm& c) { return BoolText((c.FlowControl().*get)()); },
          [set](TVaComm& c, std::string_view t) { (c.FlowControl().*set)(ParseBool(t)); }, true};
}

std::vector<Property> FlowControlProperties() {
  using F = TVaFlowControl;
  return {
      FlowFlag("OutCtsFlow", &F::OutCtsFlow, &F::SetOutCtsFlow),
      FlowFlag("OutDsrFlow", &F::OutDsrFlow, &F::SetOutDsrFlow),
      {"FlowControl.ControlDtr", [](const TVaComm& c) { return EnumText(DtrNames, c.FlowControl().ControlDtr()); },
       [](TVaComm& c, std::string_view t) { c.FlowControl().SetControlDtr(TVaControlDtr(ParseEnum(DtrNames, t))); },
       true},
      {"FlowControl.ControlRts", [](const TVaComm& c) { return EnumText(RtsNames, c.FlowControl().ControlRts()); },
       [](TVaComm& c, std::string_view t) { c.FlowControl().SetControlRts(TVaControlRts(ParseEnum(RtsNames, t))); },
       true},
      FlowFlag("XonXoffOut", &F::XonXoffOut, &F::SetXonXoffOut),
      FlowFlag("XonXoffIn", &F::XonXoffIn, &F::SetXonXoffIn),
      FlowFlag("DsrSensitivity", &F::DsrSensitivity, &F::SetDsrSensitivity),
      FlowFlag("TxContinueOnXoff", &F::TxContinueOnXoff, &F::SetTxContinueOnXoff),
  };
}

Property BufferValue(const char* name, TVaIntW (TVaBuffers::*get)() const, void (TVaBuffers::*set)(TVaIntW)) {
  return {std::string("Buffers.") + name, [get](const TVaComm& c) { return std::to_string((c.Buffers().*get)()); },
          [set](TVaComm& c, std::string_view t) { (c.Buffers().*set)(ParseInt(t)); }};
}

std::vector<Property> BufferProperties() {
  using B = TVaBuffers;
  return {BufferValue("ReadSize", &B::ReadSize, &B::SetReadSize),
          BufferValue("WriteSize", &B::WriteSize, &B::SetWriteSize),
          BufferValue("ReadTimeout", &B::ReadTimeout, &B::SetReadTimeout),
          BufferValue("WriteTimeout", &B::WriteTimeout, &B::SetWriteTimeout),
          BufferValue("XonLimit", &B::XonLimit, &B::SetXonLimit),
          BufferValue("XoffLimit", &B::XoffLimit, &B::SetXoffLimit)};
}

std::vector<Property> BuildProperties() {
  std::vector<Property> p;
  p.push_back({"AutoOpen", [](const TVaComm& c) { return BoolText(c.AutoOpen()); },
               [](TVaComm& c, std::string_view t) { c.SetAutoOpen(ParseBool(t)); }});
  p.push_back({"Baudrate", [](const TVaComm& c) { return EnumText(BaudrateNames, c.Baudrate()); },
               [](TVaComm& c, std::string_view t) { c.SetBaudrate(TVaBaudrate(ParseEnum(BaudrateNames, t))); }});
  p.push_back({"Parity", [](const TVaComm& c) { return EnumText(ParityNames, c.Parity()); },
               [](TVaComm& c, std::string_view t) { c.SetParity(TVaParity(ParseEnum(ParityNames, t))); }});
  p.push_back({"Databits", [](const TVaComm& c) { return EnumText(DatabitsNames, c.Databits()); },
               [](TVaComm& c, std::string_view t) { c.SetDatabits(TVaDatabits(ParseEnum(DatabitsNames, t))); }});
  p.push_back({"Stopbits", [](const TVaComm& c) { return EnumText(StopbitsNames, c.Stopbits()); },
               [](TVaComm& c, std::string_view t) { c.SetStopbits(TVaStopbits(ParseEnum(StopbitsNames, t))); }});
  for (Property& property : EventCharProperties()) p.push_back(std::move(property));
  for (Property& property : FlowControlProperties()) p.push_back(std::move(property));
  p.push_back({"Options", [](const TVaComm& c) { return SetText(OptionNames, c.Options().ToBits()); },
               [](TVaComm& c, std::string_view t) {
                 c.SetOptions(TVaCommOptions::FromBits(uint8_t(ParseSet(OptionNames, t))));
               }});
  p.push_back({"PortNum", [](const TVaComm& c) { return std::to_string(c.PortNum()); },
               [](TVaComm& c, std::string_view t) { c.SetPortNum(int32_t(ParseNumber(t, 0, INT32_MAX))); }});
  p.push_back({"DeviceName", [](const TVaComm& c) { return StringText(c.DeviceName()); },
               [](TVaComm& c, std::string_view t) { c.SetDeviceName(ParseString(t)); }, true});
  p.push_back({"MonitorEvents", [](const TVaComm& c) { return SetText(EventNames, c.MonitorEvents().ToBits()); },
               [](TVaComm& c, std::string_view t) {
                 c.SetMonitorEvents(TVaCommEvents::FromBits(uint16_t(ParseSet(EventNames, t))));
               }});
  for (Property& property : BufferProperties()) p.push_back(std::move(property));
  p.push_back(
      {"EventPriority", [](const TVaComm& c) { return EnumText(PriorityNames, c.EventPriority()); },
       [](TVaComm& c, std::string_view t) { c.SetEventPriority(TThreadPriority(ParseEnum(PriorityNames, t))); }});
  p.push_back(
      {"WritePriority", [](const TVaComm& c) { return EnumText(PriorityNames, c.WritePriority()); },
       [](TVaComm& c, std::string_view t) { c.SetWritePriority(TThreadPriority(ParseEnum(PriorityNames, t))); }});
  p.push_back({"DirectWrite", [](const TVaComm& c) { return BoolText(c.DirectWrite()); },
               [](TVaComm& c, std::string_view t) { c.SetDirectWrite(ParseBool(t)); }});
  p.push_back({"UpdateDCB", [](const TVaComm& c) { return BoolText(c.UpdateDCB()); },
               [](TVaComm& c, std::string_view t) { c.SetUpdateDCB(ParseBool(t)); }});
  p.push_back({"UserBaudrate", [](const TVaComm& c) { return std::to_string(c.UserBaudrate()); },
               [](TVaComm& c, std::string_view t) { c.SetUserBaudrate(ParseInt(t)); }});
  p.push_back({"Version", [](const TVaComm& c) { return StringText(c.Version()); },
               [](TVaComm& c, std::string_view t) { c.SetVersion(ParseString(t)); }, true});
  return p;
}

const std::vector<Property>& Properties() {
  static const std::vector<Property> properties = BuildProperties();
  return properties;
}

const Property* FindProperty(std::string_view name) {
  for (const Property& property : Properties()) {
    if (property.Name == name) return &property;
  }
  return nullptr;
}

std::string ComponentName(const TVaComm& comm) { return comm.Name().empty() ? "VaComm" : comm.Name(); }

void ReadHeader(std::string_view line, TVaComm& comm) {
  const auto colon = line.find(':');
  const std::string_view name = Trim(line.substr(0, colon));
  if (colon == std::string_view::npos || name.empty() || Trim(line.substr(colon + 1)) != "TVaComm") {
    throw Exception("Error reading " + ComponentName(comm) + ": Invalid stream format");
  }
  comm.SetName(std::string(name));
}

void ReadProperty(std::string_view line, TVaComm& comm) {
  const auto equals = line.find('=');
  const std::string_view key = Trim(line.substr(0, equals));
  const std::string where = "Error reading " + ComponentName(comm) + "." + std::string(key) + ": ";
  if (equals == std::string_view::npos) throw Exception(where + "Invalid stream format");
  const Property* property = FindProperty(key);
  if (property == nullptr) throw Exception(where + "Property " + std::string(key) + " does not exist");
  try {
    property->Set(comm, Trim(line.substr(equals + 1)));
  } catch (const InvalidValue&) {
    throw Exception(where + "Invalid property value");
  } catch (const std::exception& error) {
    throw Exception(where + error.what());
  }
}

}  // namespace

void WriteComponent(std::ostream& out, const TVaComm& comm) {
  const TVaComm defaults;
  out << "object " << ComponentName(comm) << ": TVaComm\n";
  for (const Property& property : Properties()) {
    const std::string value = property.Get(comm);
    if (property.AlwaysStored || value != property.Get(defaults)) {
      out << "  " << property.Name << " = " << value << "\n";
    }
  }
  out << "end\n";
}

std::string ComponentToText(const TVaComm& comm) {
  std::ostringstream out;
  WriteComponent(out, comm);
  return out.str();
}

void ReadComponent(std::istream& in, TVaComm& comm) {
  comm.BeginLoading();
  try {
    std::string line;
    while (std::getline(in, line)) {
      const std::string_view text = Trim(line);
      if (text.empty()) continue;
      if (text == "end") break;
      if (text.substr(0, 7) == "object ") {
        ReadHeader(text.substr(7), comm);
      } else {
        ReadProperty(text, comm);
      }
    }
  } catch (...) {
    comm.TVaComponent::Loaded();  // leaves the loading state without opening
    throw;
  }
  comm.Loaded();
}

void ComponentFromText(const std::string& text, TVaComm& comm) {
  std::istringstream in(text);
  ReadComponent(in, comm);
}
