#pragma once
// An independent reading of the receive side, used to judge the link under
// fuzzing: which bytes make complete response frames, which of them the PC must
// act on, what it must answer, and what the block tables must hold afterwards.
// It is written as a plain state machine over a growing frame, unlike the
// link's index arithmetic, so that the two can disagree.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class ReferenceLink {
public:
  // What the PC must write after a complete frame.
  enum class Answer {
    Nothing,    // an end, connection or ignored frame
    Request,    // one request frame: a data block or type 1 was taken
    SameAgain,  // the last frame it wrote, again: the frame was not readable
  };

  static constexpr int Types = 21;  // response types 0..20
  using Table = std::array<uint16_t, 100>;

  // Takes received bytes; appends the answer expected for each frame completed.
  void Receive(const uint8_t* bytes, size_t count, std::vector<Answer>& answers);
  // One polling tick: a tick without received bytes since the last one drops
  // the partial frame.
  void Tick();

  // Bytes of the partial frame held now (the link's RxIndex).
  size_t PartialSize() const { return partial_.size(); }
  // The table a data block of this type must have filled (all zero until one came).
  const Table& ExpectedTable(int type) const { return tables_[type]; }
  int ExpectedControllerType() const { return controllerType_; }
  const std::array<uint8_t, 3>& ExpectedVersion() const { return version_; }

private:
  bool TakeByte(uint8_t byte);  // true when it completed a frame
  Answer Act(const std::vector<uint8_t>& frame);

  std::vector<uint8_t> partial_;
  bool activity_ = true;  // as after start: the first tick does not drop
  std::array<Table, Types> tables_{};
  int controllerType_ = 0;
  std::array<uint8_t, 3> version_{};
};
