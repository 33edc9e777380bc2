// zentrixnet-poll: fetches a plant's data from its controller into a file,
// from a script, on Linux or Windows.
#include <iostream>
#include <string>
#include <vector>

#include "PollOptions.h"
#include "PollReport.h"
#include "PollRun.h"
#include "session/PortReport.h"
#include "store/PlantFile.h"

namespace {

constexpr int ExitDone = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

int Main(const std::vector<std::string>& args) {
  const ParsedPollOptions parsed = ParsePollOptions(args);
  if (!parsed.Options) {
    std::cerr << "zentrixnet-poll: " << parsed.Error << "\n";
    return ExitUsage;
  }
  const PollOptions& options = *parsed.Options;
  if (options.Help) {
    std::cout << PollHelpText();
    return ExitDone;
  }
  if (options.Version) {
    std::cout << PollVersionText();
    return ExitDone;
  }
  if (options.ListPorts) {
    for (const std::string& line : PortListing()) std::cout << line << "\n";
    return ExitDone;
  }
  const PollResult result = RunPoll(options, std::cout, std::cerr);
  if (result.End == PollEnd::OpenFailed) {
    std::cerr << "zentrixnet-poll: " << result.Error << "\n";
    return ExitFailed;
  }
  PrintSummary(result, std::cout);
  if (result.End != PollEnd::ExchangeDone) {
    // The port's message of a lost line was printed as it happened.
    if (result.End != PollEnd::LineLost) std::cerr << "zentrixnet-poll: " << result.Error << "\n";
    return ExitFailed;
  }
  if (options.SolPath.empty()) return ExitDone;
  try {
    SavePlantFile(options.SolPath);
  } catch (const std::exception& error) {
    std::cerr << "zentrixnet-poll: " << error.what() << "\n";
    return ExitFailed;
  }
  std::cout << "Plant data file: " << options.SolPath << std::endl;
  return ExitDone;
}

}  // namespace

int main(int argc, char** argv) {
  UseProgramPortsFolder();
  return Main(std::vector<std::string>(argv + 1, argv + argc));
}
