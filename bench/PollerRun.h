#pragma once
// One run of the console poller (zentrixnet-poll) until its data exchange is
// done, with its processor time from the start of the exchange to its end.
#include <functional>
#include <optional>
#include <string>

struct PollerFigures {
  double ExchangeCpuMs = 0;  // from the moment `exchangeStarted` first held until the poller ended
  double TotalCpuMs = 0;
};

// Runs `program` with the arguments and XDG_CONFIG_HOME set; `exchangeStarted`
// is asked every 20 ms. Nothing when the poller did not end well within the limit.
std::optional<PollerFigures> RunPoller(const std::string& program, const std::string& port,
                                       const std::string& configHome, const std::function<bool()>& exchangeStarted,
                                       int timeoutMs);
