#pragma once
// Whether Home Assistant shows the plant as available: "online" while data
// exchanges complete; "offline" before the first one, once the controller has
// not answered for a whole cycle, while the port is lost, and when the bridge
// stops (then also as the broker's last will).
#include <optional>
#include <string>

class Availability {
public:
  static constexpr const char* Online = "online";
  static constexpr const char* Offline = "offline";

  // Each event returns the payload to publish when it changes the state.
  std::optional<std::string> ExchangeCompleted() { return Become(true); }
  std::optional<std::string> ControllerSilent() { return Become(false); }
  std::optional<std::string> PortLost() { return Become(false); }

  bool IsOnline() const { return online_; }
  const char* Payload() const { return online_ ? Online : Offline; }

private:
  std::optional<std::string> Become(bool online) {
    if (online == online_) return std::nullopt;
    online_ = online;
    return std::string(Payload());
  }

  bool online_ = false;
};
