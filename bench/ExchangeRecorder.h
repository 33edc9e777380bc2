#pragma once
// Follows the frames on both directions of the line, as the controller side
// sees them, and measures each data exchange: from the first byte of the PC's
// request 16 to the last byte of the controller's end frame, the bytes that
// crossed in that time, and per block the PC's reply latency (from the block's
// last byte written to the first byte of the PC's next frame read).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

struct ReplyLatency {
  int BlockType;  // the block the PC answered
  double Ns;
};

struct ExchangeFigures {
  int64_t StartNs = 0;                // first byte of request 16 read
  int64_t EndNs = 0;                  // last byte of the end frame written
  int64_t PcBytes = 0;                // bytes from the PC in the exchange
  int64_t ControllerBytes = 0;        // bytes to the PC in the exchange
  int64_t ControllerLateNs = 0;       // how much later than due the frames' last bytes were written, summed
  std::vector<ReplyLatency> Replies;  // one per block answered, in order

  int64_t Bytes() const { return PcBytes + ControllerBytes; }
  int64_t DurationNs() const { return EndNs - StartNs; }
};

class ExchangeRecorder {
public:
  // Bytes from the PC, read at `readNs`.
  void PcBytes(const uint8_t* data, size_t count, int64_t readNs);
  // A frame of the controller whose last byte was written at `writtenNs`, due at `dueNs`.
  void ControllerFrame(const uint8_t* frame, size_t length, int64_t writtenNs, int64_t dueNs);

  const std::vector<ExchangeFigures>& Exchanges() const { return done_; }
  // PC frames that were neither a request nor a command, and bytes outside any frame.
  int StrayPcBytes() const { return stray_; }

private:
  void PcFrameComplete();

  // The PC frame being gathered and when its first byte came.
  std::vector<uint8_t> pcFrame_;
  int64_t pcFrameStartNs_ = 0;
  // The controller's last block, waiting for the PC's reply, and when its last byte was written.
  int awaitingType_ = 0;
  std::optional<int64_t> awaitingReplySinceNs_;
  std::optional<ExchangeFigures> running_;
  std::vector<ExchangeFigures> done_;
  int stray_ = 0;
};
