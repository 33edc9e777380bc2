// Fuzz target: the receive side of the link. An arbitrary byte stream from the
// controller, cut into records (LinkRecords.h), goes through an in-memory port
// into the byte gatherer and the block decoder, with polling ticks and marked
// commands between the records. After every step the link is judged against
// ReferenceLink: the gatherer's index, the block tables, the controller values,
// and every byte the PC wrote (whole, well-formed frames, each one the answer
// it owed). AddressSanitizer watches for reads and writes outside the store.
#include <algorithm>
#include <cstring>

#include "ChecksumRepair.h"
#include "FuzzCheck.h"
#include "LinkRecords.h"
#include "PcFrames.h"
#include "ReferenceLink.h"
#include "link/Dcl.h"
#include "tests/support/MemoryPort.h"

namespace {

struct NamedTable {
  int Type;
  const uint16_t* Words;
};

// Every table with the response type that fills it.
const NamedTable Tables[] = {
    {2, Block2},   {3, Block3},   {4, Block4},   {5, Block5},   {6, Block6},
    {7, Block7},   {8, Block8},   {9, Block9},   {10, Block10}, {14, Block14},
    {15, Block15}, {16, Block16}, {17, Block17}, {18, Block18}, {19, Block19},
};

// A slot whose command has a frame (8 and 29 have none).
bool SlotHasFrame(int slot) { return slot >= 1 && slot <= 28 && slot != 8; }

class Session {
public:
  Session() {
    // The state of a freshly started program, whatever earlier inputs left.
    ClearPlantStore();
    std::memset(TxFrame, 0, sizeof TxFrame);
    std::memset(RxFrame, 0, sizeof RxFrame);
    SetCommandControls(nullptr);
    SetLinkPort(&port_);
    InitLink();
    FUZZ_CHECK(port_.TakeWritten().empty(), "the link wrote before its first tick");
  }
  ~Session() { SetLinkPort(nullptr); }

  void Play(const LinkRecords::Record& record) {
    if (record.SlotToMark != 0) MarkCommand(record.SlotToMark);
    if (record.Count > 0) Receive(record.Bytes, record.Count);
    for (int i = 0; i < record.Ticks; ++i) Tick();
  }

  // The tables hold exactly the data blocks taken, the reserved bytes stay zero.
  void CheckStore() {
    for (const auto& table : Tables) {
      const auto& expected = reference_.ExpectedTable(table.Type);
      if (!std::equal(expected.begin(), expected.end(), table.Words)) {
        std::fprintf(stderr, "Block%d: ", table.Type);
        FUZZ_CHECK(false, "a block table differs from the data blocks received");
      }
    }
    const auto zero = [](uint8_t b) { return b == 0; };
    FUZZ_CHECK(std::all_of(std::begin(GroupB.Reserved), std::end(GroupB.Reserved), zero),
               "reserved bytes after Block10 written");
    FUZZ_CHECK(std::all_of(std::begin(GroupC.Reserved), std::end(GroupC.Reserved), zero),
               "reserved bytes after Block18 written");
    FUZZ_CHECK(ControllerType == reference_.ExpectedControllerType(),
               "ControllerType differs from the last type-1 frame");
    FUZZ_CHECK(
        std::equal(std::begin(ControllerVersion), std::end(ControllerVersion), reference_.ExpectedVersion().begin()),
        "ControllerVersion differs from the last type-1 frame");
  }

private:
  void Receive(const uint8_t* bytes, size_t count) {
    port_.Feed(std::vector<uint8_t>(bytes, bytes + count));
    GatherRxBytes();
    FUZZ_CHECK(port_.Pending() == 0, "the receive handler left bytes unread");
    std::vector<ReferenceLink::Answer> answers;
    reference_.Receive(bytes, count, answers);
    CheckAnswers(answers, Written());
    CheckGatherer();
    CheckStore();  // only a received frame may change the store
  }

  void Tick() {
    const TickActions actions = PollingTick();
    reference_.Tick();
    const auto frames = Written();
    const auto commands = std::count_if(frames.begin(), frames.end(), IsCommandFrame);
    const int slot = actions.CommandSent;
    FUZZ_CHECK(commands == (SlotHasFrame(slot) ? 1 : 0), "a tick's command frames do not match the slot it reports");
    FUZZ_CHECK(static_cast<long>(frames.size()) - commands <= 1, "a tick wrote more than one request");
    if (slot != 0) FUZZ_CHECK(PendingCommands[slot] == 0, "the command of a tick is still pending");
    if (!frames.empty()) lastWritten_ = frames.back();
    CheckGatherer();
  }

  // Everything the PC wrote since the last look, as whole well-formed frames.
  std::vector<FrameBytes> Written() {
    std::vector<FrameBytes> frames;
    if (port_.Written().empty()) return frames;
    const std::string fault = SplitPcFrames(port_.TakeWritten(), frames);
    FUZZ_CHECK(fault.empty(), fault.c_str());
    return frames;
  }

  // Each complete frame is answered in order: a request for a block taken, the
  // last frame again for an unreadable one (nothing before the first frame).
  void CheckAnswers(const std::vector<ReferenceLink::Answer>& answers, const std::vector<FrameBytes>& frames) {
    size_t next = 0;
    for (const auto answer : answers) {
      switch (answer) {
        case ReferenceLink::Answer::Nothing: break;
        case ReferenceLink::Answer::Request:
          FUZZ_CHECK(next < frames.size() && IsRequestFrame(frames[next]),
                     "a block taken was not answered with a request");
          lastWritten_ = frames[next++];
          break;
        case ReferenceLink::Answer::SameAgain:
          if (lastWritten_.empty()) break;
          FUZZ_CHECK(next < frames.size() && frames[next] == lastWritten_,
                     "an unreadable frame was not answered with the last frame again");
          ++next;
          break;
      }
    }
    FUZZ_CHECK(next == frames.size(), "the PC wrote frames it did not owe");
  }

  void CheckGatherer() {
    FUZZ_CHECK(RxIndex < 252, "RxIndex left the receive buffer's 252 bytes");
    FUZZ_CHECK(RxIndex == reference_.PartialSize(), "RxIndex does not count the bytes of the partial frame");
  }

  MemoryPort port_;
  ReferenceLink reference_;
  FrameBytes lastWritten_;
};

}  // namespace

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

// libFuzzer's own mutations; every other one then makes one frame readable.
extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned seed) {
  size = LLVMFuzzerMutate(data, size, maxSize);
  if (seed % 2 == 0) RepairOneChecksum(data, size, seed / 2);
  return size;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Session session;
  LinkRecords::Record record;
  while (LinkRecords::Next(data, size, record)) session.Play(record);
  session.CheckStore();  // nor may the ticks after the last bytes
  return 0;
}
