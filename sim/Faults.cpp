#include "Faults.h"

#include "Noise.h"

namespace Sim {

namespace {

constexpr uint64_t KeyStorm = 31;
constexpr uint64_t KeyStormKind = 32;
constexpr uint64_t KeyJunk = 33;

bool TakeOne(int& count) {
  if (count == EveryTime) return true;
  if (count <= 0) return false;
  --count;
  return true;
}

}  // namespace

FaultInjector::FaultInjector(FaultOptions options, uint64_t seed) : options_(std::move(options)), seed_(seed) {}

bool FaultInjector::Strikes(FaultKind kind, int type) {
  bool strikes = false;
  for (FaultRule& rule : options_.Rules)
    if (rule.Kind == kind && (rule.Type == AnyType || rule.Type == type) && TakeOne(rule.Count)) strikes = true;
  return strikes;
}

std::optional<FaultKind> FaultInjector::StormStrike() {
  if (options_.StormPercent <= 0 || options_.StormKinds.empty()) return std::nullopt;
  if (NoiseUniform(seed_, KeyStorm, frames_) * 100 >= options_.StormPercent) return std::nullopt;
  const auto pick = static_cast<size_t>(NoiseUniform(seed_, KeyStormKind, frames_) * options_.StormKinds.size());
  return options_.StormKinds[pick];
}

Emission FaultInjector::Prepare(int type, std::vector<uint8_t> frame) {
  ++frames_;
  Emission e;
  e.Frame = std::move(frame);
  const std::optional<FaultKind> storm = StormStrike();
  for (FaultKind kind : {FaultKind::Junk, FaultKind::BadChecksum, FaultKind::WrongLength, FaultKind::Truncate,
                         FaultKind::SilenceAfter}) {
    const bool fromRule = Strikes(kind, type);
    if (fromRule || storm == kind) Apply(kind, e);
  }
  return e;
}

void FaultInjector::Apply(FaultKind kind, Emission& e) {
  std::vector<uint8_t>& f = e.Frame;
  const std::string note = e.Note.empty() ? "" : ", ";
  switch (kind) {
    case FaultKind::Junk: {
      // Stray bytes without 0xFF, so the PC skips them and still finds the frame.
      const int count = 1 + static_cast<int>(NoiseBits(seed_, KeyJunk, frames_) % 8);
      for (int i = 0; i < count; ++i)
        e.Junk.push_back(static_cast<uint8_t>(NoiseBits(seed_, KeyJunk, frames_, static_cast<uint64_t>(i + 1)) % 0xFF));
      e.Note += note + "junk before";
      break;
    }
    case FaultKind::BadChecksum:
      f.back() = static_cast<uint8_t>(f.back() + 1 + NoiseBits(seed_, KeyJunk, frames_, 99) % 254);
      e.Note += note + "bad checksum";
      break;
    case FaultKind::WrongLength:
      f[2] = static_cast<uint8_t>(f[2] - 1);
      e.Note += note + "length byte " + std::to_string(f[2]) + " instead of " + std::to_string(f.size());
      break;
    case FaultKind::Truncate: {
      const size_t keep = f.size() / 2;
      e.Note += note + "truncated to " + std::to_string(keep) + " of " + std::to_string(f.size()) + " bytes";
      f.resize(keep);
      break;
    }
    case FaultKind::SilenceAfter:
      e.SilenceAfter = true;
      e.Note += note + "then silence";
      break;
  }
}

bool FaultInjector::SkipConnectAnswer() { return TakeOne(options_.NoAnswer); }

bool FaultInjector::AnswerNotReady() { return TakeOne(options_.NotReady); }

const char* FaultName(FaultKind kind) {
  switch (kind) {
    case FaultKind::BadChecksum: return "checksum";
    case FaultKind::Junk: return "junk";
    case FaultKind::Truncate: return "truncate";
    case FaultKind::WrongLength: return "length";
    case FaultKind::SilenceAfter: return "silence";
  }
  return "?";
}

std::optional<FaultKind> FaultKindNamed(const std::string& name) {
  for (FaultKind k :
       {FaultKind::BadChecksum, FaultKind::Junk, FaultKind::Truncate, FaultKind::WrongLength, FaultKind::SilenceAfter})
    if (name == FaultName(k)) return k;
  return std::nullopt;
}

}  // namespace Sim
