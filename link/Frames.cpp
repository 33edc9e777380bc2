#include "Frames.h"

#include "Polling.h"
#include "base/BytePort.h"
#include "link/FrameTrace.h"
#include "protocol/FrameFormat.h"

uint8_t TxFrame[256] = {};
uint8_t RxFrame[256] = {};
uint8_t RxIndex = 0;
int RxActivity = 3;
int ChecksumOk = 0;

namespace {

BytePort* Port = nullptr;

// The last index at which a frame can still be gathered; one byte more and
// the partial frame is dropped.
constexpr int MaxRxIndex = 250;

}  // namespace

void SetLinkPort(BytePort* port) { Port = port; }
BytePort* LinkPort() { return Port; }

void SendFrame() {
  const int length = TxFrame[2];
  if (length >= 2) TxFrame[length - 1] = FrameFormat::Checksum(TxFrame, length);
  WriteFrame();
}

void WriteFrame() {
  if (Port == nullptr) return;
  const int written = Port->WriteBuf(TxFrame, TxFrame[2]);
  if (FrameTrace* trace = LinkFrameTrace()) trace->Sent(TxFrame, written);
}

void VerifyRxChecksum() {
  const int length = RxFrame[2];
  ChecksumOk = length >= 2 && FrameFormat::Checksum(RxFrame, length) == RxFrame[length - 1] ? 1 : 0;
}

void ResetRxFrame() {
  RxIndex = 0;
  RxFrame[0] = RxFrame[1] = RxFrame[2] = 0;
}

namespace {

// Decodes the gathered frame and makes room for the next one, also when the
// reply cannot be written: the next byte must not land behind a stale frame.
void DecodeWholeFrame() {
  struct ResetAfterwards {
    ~ResetAfterwards() { ResetRxFrame(); }
  } reset;
  DecodeFrame();
}

}  // namespace

namespace {

// Puts one received byte into the frame being gathered: waits for the start
// bytes, and decodes the frame once the length its header names is complete.
void TakeRxByte(uint8_t byte) {
  RxFrame[RxIndex] = byte;
  if (RxFrame[0] != FrameFormat::ResponseHead0) return;  // wait for a start byte
  if (RxFrame[1] == FrameFormat::ResponseHead1) {
    if (RxIndex == RxFrame[2] - 1) {
      if (FrameTrace* trace = LinkFrameTrace()) trace->Received(RxFrame, RxIndex + 1);
      DecodeWholeFrame();
    } else if (RxIndex > MaxRxIndex) {
      ResetRxFrame();
    } else {
      ++RxIndex;
    }
  } else {
    ++RxIndex;
    if (RxIndex >= 2) ResetRxFrame();
  }
}

// The bytes the frame being gathered still needs: the rest of its header,
// then the rest of the length the header names. No more are read at once, so
// a frame is decoded at the last byte taken and a purge it causes loses nothing
// already read; a length that cannot be right is gathered a byte at a time.
int BytesMissing() {
  constexpr int HeaderBytes = 3;
  if (RxIndex < HeaderBytes) return HeaderBytes - RxIndex;
  const int rest = RxFrame[2] - RxIndex;
  return rest > 0 ? rest : 1;
}

}  // namespace

void DropRxBytes() {
  ResetRxFrame();
  if (Port == nullptr) return;
  Port->PurgeRead();
  Port->ExpectBytes(BytesMissing());
}

void GatherRxBytes() {
  for (;;) {
    RxActivity = 3;
    uint8_t bytes[256];
    const int count = Port == nullptr ? 0 : Port->ReadBuf(bytes, BytesMissing());
    if (count <= 0) break;
    for (int i = 0; i < count; ++i) TakeRxByte(bytes[i]);
  }
  // Woken again once the frame can go on, not at every byte of it.
  if (Port != nullptr) Port->ExpectBytes(BytesMissing());
}
