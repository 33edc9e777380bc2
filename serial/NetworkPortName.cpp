#include "serial/NetworkPortName.h"

#include <array>
#include <cctype>

namespace {

struct Scheme {
  std::string_view Prefix;
  NetworkPortName::Protocol Kind;
};
constexpr std::array<Scheme, 2> Schemes{
    {{"tcp://", NetworkPortName::Protocol::RawTcp}, {"rfc2217://", NetworkPortName::Protocol::Rfc2217}}};

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

const Scheme* SchemeOf(std::string_view name) {
  for (const Scheme& scheme : Schemes)
    if (StartsWithNoCase(name, scheme.Prefix)) return &scheme;
  return nullptr;
}

// Letters, digits, '-', '.', and for IPv6 ':' and hex digits: nothing a
// resolver or a message could take for something else.
bool IsHostChar(char c, bool bracketed) {
  if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.') return true;
  return bracketed && c == ':';
}

std::optional<uint16_t> ParsePort(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  unsigned value = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    value = value * 10 + unsigned(c - '0');
  }
  if (value < 1 || value > 65535) return std::nullopt;
  return uint16_t(value);
}

}  // namespace

std::string NetworkPortName::Text() const {
  const std::string host = Host.find(':') != std::string::npos ? "[" + Host + "]" : Host;
  return std::string(Kind == Protocol::Rfc2217 ? "rfc2217://" : "tcp://") + host + ":" + std::to_string(Port);
}

std::string NetworkPortName::OtherSchemeText() const {
  NetworkPortName other = *this;
  other.Kind = Kind == Protocol::Rfc2217 ? Protocol::RawTcp : Protocol::Rfc2217;
  return other.Text();
}

bool HasNetworkScheme(std::string_view name) { return SchemeOf(name) != nullptr; }

std::optional<NetworkPortName> ParseNetworkPortName(std::string_view name) {
  const Scheme* scheme = SchemeOf(name);
  if (scheme == nullptr) return std::nullopt;
  std::string_view rest = name.substr(scheme->Prefix.size());
  if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
  const bool bracketed = !rest.empty() && rest.front() == '[';
  const size_t colon = bracketed ? rest.find("]:") : rest.rfind(':');
  if (colon == std::string_view::npos) return std::nullopt;
  const std::string_view host = bracketed ? rest.substr(1, colon - 1) : rest.substr(0, colon);
  const auto port = ParsePort(rest.substr(colon + (bracketed ? 2 : 1)));
  if (host.empty() || host.size() > 253 || !port) return std::nullopt;
  for (char c : host)
    if (!IsHostChar(c, bracketed)) return std::nullopt;
  return NetworkPortName{scheme->Kind, std::string(host), *port};
}
