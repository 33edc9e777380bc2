#pragma once
// The two frame buffers, the checksum and the byte gatherer of the receive side.
#include <cstdint>

class BytePort;

// The port the link writes to and reads from; nullptr while none is attached
// (then frames are built but go nowhere, and nothing is read).
void SetLinkPort(BytePort* port);
BytePort* LinkPort();

// The frame being sent. It is not cleared between frames, so the last frame
// can be sent again after a bad checksum.
extern uint8_t TxFrame[256];
// The response frame being gathered (positions 0..251 are used).
extern uint8_t RxFrame[256];
extern uint8_t RxIndex;
// Set to 3 whenever the receive handler runs; the polling tick clears it.
extern int RxActivity;
// Result of the last VerifyRxChecksum: 1 good, 0 bad.
extern int ChecksumOk;

// Computes the checksum of TxFrame (length TxFrame[2]) and writes the frame.
void SendFrame();
// Writes TxFrame[2] bytes of TxFrame to the port.
void WriteFrame();
// Sets ChecksumOk for the frame in RxFrame.
void VerifyRxChecksum();
// Drops a partial frame: RxIndex and RxFrame[0..2] back to 0.
void ResetRxFrame();
// Drops the partial frame and everything waiting on the port's receive side;
// the port is told that a new frame's header is awaited.
void DropRxBytes();
// The body of the receive handler: reads the waiting bytes one at a time,
// gathers them into RxFrame and hands each complete frame to DecodeFrame.
void GatherRxBytes();
