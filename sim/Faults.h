#pragma once
// Faults the simulator can put on the line on purpose, each switched on from
// the command line, so that the PC's recovery can be shown and tested.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Sim {

enum class FaultKind {
  BadChecksum,   // the frame's checksum byte is wrong
  Junk,          // a few stray bytes go out before the frame
  Truncate,      // only the first half of the frame goes out
  WrongLength,   // the length byte is one too small
  SilenceAfter,  // after the frame the controller falls silent until the next connection request
};

constexpr int AnyType = 0;
constexpr int EveryTime = -1;

struct FaultRule {
  FaultKind Kind = FaultKind::BadChecksum;
  int Type = AnyType;  // response type 1..20, or AnyType
  int Count = 1;       // how many times it strikes, or EveryTime
};

struct FaultOptions {
  std::vector<FaultRule> Rules;
  int NoAnswer = 0;  // connection requests left unanswered, or EveryTime
  int NotReady = 0;  // connection requests answered "not ready" (byte 1)
  std::optional<double> HangUpAfterSeconds;
  double StormPercent = 0;  // chance of a fault on every frame
  std::vector<FaultKind> StormKinds{FaultKind::BadChecksum};
};

// One frame as it goes out, after the faults.
struct Emission {
  std::vector<uint8_t> Junk;   // stray bytes before the frame
  std::vector<uint8_t> Frame;  // the frame as sent
  std::string Note;            // the faults applied, for the log ("" for none)
  bool SilenceAfter = false;
};

class FaultInjector {
public:
  FaultInjector(FaultOptions options, uint64_t seed);

  // Applies the faults due for a frame of this type.
  Emission Prepare(int type, std::vector<uint8_t> frame);
  // Whether this connection request gets no answer, or a "not ready" one.
  bool SkipConnectAnswer();
  bool AnswerNotReady();
  const FaultOptions& Options() const { return options_; }

private:
  bool Strikes(FaultKind kind, int type);
  std::optional<FaultKind> StormStrike();
  void Apply(FaultKind kind, Emission& e);

  FaultOptions options_;
  uint64_t seed_;
  uint64_t frames_ = 0;
};

const char* FaultName(FaultKind kind);  // "checksum", "junk", "truncate", "length", "silence"
std::optional<FaultKind> FaultKindNamed(const std::string& name);

}  // namespace Sim
